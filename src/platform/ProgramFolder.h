#pragma once

#include <string>

// The folder of the running executable, without a trailing separator.
std::string ProgramFolder();

// The separator the program joins its own paths with.
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif
