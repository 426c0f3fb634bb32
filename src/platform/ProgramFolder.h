// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// The folder of the running executable, without a trailing separator.
std::string ProgramFolder();

// The folder the default auto-save path ".\captured" names.
inline constexpr const char* CaptureFolderName = "captured";

// Where the default auto-save path ".\captured" leads: "captured" beside the program
// where that folder can be made and written and the program is not installed (in
// <prefix>/lib/tarvik, /usr or /opt), else "captured" in the user's pictures folder.
std::string DefaultCaptureFolder(const std::string& programFolder);

// The user's own skins folder, read beside the program's skins: for an installed or
// unwritable program $XDG_DATA_HOME/tarvik/skins/ (by default ~/.local/share), ending with
// the separator; empty for a program in a writable folder of its own, which holds them.
std::string UserSkinsFolder(const std::string& programFolder);

#ifndef _WIN32
// The user's home: $HOME, else the account's home from the password database, else "/".
std::string HomeFolder();
#endif

// The separator the program joins its own paths with.
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif
