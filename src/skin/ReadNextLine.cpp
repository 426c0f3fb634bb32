// SPDX-License-Identifier: MIT

#include "skin/ReadNextLine.h"

namespace {

// One raw line; false when the file had nothing left.
bool ReadRawLine(std::istream& file, std::string& line) {
    line.clear();
    std::streambuf* buf = file.rdbuf();
    if (!buf)
        return false;
    bool any = false;
    for (;;) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof())
            return any;
        any = true;
        if (c == '\r') {
            if (buf->sgetc() == '\n')
                buf->sbumpc();
            return true;
        }
        if (line.size() < MaxLineLength)
            line.push_back(static_cast<char>(c));
    }
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string ReadNextLine(std::istream& file) {
    std::string line;
    while (ReadRawLine(file, line)) {
        const std::string_view trimmed = TrimBlanks(line);
        if (!trimmed.empty() && trimmed.front() != '#')
            return std::string(trimmed);
    }
    return {};
}
