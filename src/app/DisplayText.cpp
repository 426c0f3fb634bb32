// SPDX-License-Identifier: MIT

#include "app/DisplayText.h"

#include <vector>

namespace {

constexpr std::string_view Ellipsis = "...";

// True for the first byte of a UTF-8 character (any byte that is not a continuation).
bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (char byte : text)
        count += StartsCharacter(byte);
    return count;
}

// The offset of character n, counted from 0.
std::size_t OffsetOfCharacter(std::string_view text, std::size_t n) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (StartsCharacter(text[i]) && n-- == 0)
            return i;
    return text.size();
}

void AppendLine(std::string& out, std::string_view line) {
    const std::size_t chars = CountCharacters(line);
    if (chars <= MaxShownLineChars) {
        out += line;
        return;
    }
    const std::size_t kept = MaxShownLineChars - Ellipsis.size();
    out += line.substr(0, OffsetOfCharacter(line, kept / 2));
    out += Ellipsis;
    out += line.substr(OffsetOfCharacter(line, chars - (kept - kept / 2)));
}

} // namespace

std::string ShortenForDisplay(std::string_view text) {
    // Lines end at CR LF, CR or LF.
    struct Line {
        std::string_view Text, Break;
    };
    std::vector<Line> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({text.substr(start), {}});
            break;
        }
        const std::size_t length = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({text.substr(start, end - start), text.substr(end, length)});
        start = end + length;
    }

    const std::size_t head = MaxShownLines / 2, tail = MaxShownLines - head - 1;
    const bool cut = lines.size() > MaxShownLines;
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (cut && i == head) {
            out += Ellipsis;
            out += lines[i - 1].Break;
            i = lines.size() - tail;
        }
        AppendLine(out, lines[i].Text);
        out += lines[i].Break;
    }
    return out;
}
