// SPDX-License-Identifier: MIT

#pragma once

#include <istream>
#include <string>

// Longest line kept; the rest of a longer line is read and dropped.
inline constexpr std::size_t MaxLineLength = std::size_t{64} * 1024;

// Next line that, trimmed, is neither empty nor a "#" comment; the empty text at the end.
// Lines end at CR or CR LF; a lone LF belongs to the line.
std::string ReadNextLine(std::istream& file);
