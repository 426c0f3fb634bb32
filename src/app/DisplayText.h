// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>

// Longest line, in characters, and most lines of a text shown in a message or a tip.
inline constexpr std::size_t MaxShownLineChars = 120;
inline constexpr std::size_t MaxShownLines = 20;

// The text as a message or tip shows it: a longer line keeps its start and end with "..."
// between them, and more lines keep the first and the last ones with a "..." line between.
// Line breaks are kept as they are; a text within the limits is returned unchanged.
std::string ShortenForDisplay(std::string_view text);
