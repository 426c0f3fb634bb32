// SPDX-License-Identifier: MIT

#include "skin/ReadNextLine.h"

#include "text/Text.h"

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

std::string ReadNextLine(std::istream& file) {
    std::string line;
    while (ReadRawLine(file, line)) {
        const std::string_view trimmed = TrimBlanks(line);
        if (!trimmed.empty() && trimmed.front() != '#')
            return std::string(trimmed);
    }
    return {};
}
