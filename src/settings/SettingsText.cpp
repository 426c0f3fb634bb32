// SPDX-License-Identifier: MIT

#include "settings/SettingsText.h"

#include "text/Text.h"

#include <string_view>
#include <unordered_map>

namespace SettingsText {

namespace {

std::string Quote(const std::string& text) {
    static const char* hex = "0123456789abcdef";
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a quoted text at text[pos]; pos ends after the closing quote.
bool Unquote(const std::string& text, std::size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= text.size())
            return false;
        const char e = text[pos++];
        switch (e) {
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (pos + 2 > text.size())
                return false;
            const int hi = HexDigit(text[pos]), lo = HexDigit(text[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool ParseNumber(const std::string& text, std::int32_t& out) {
    if (text.empty() || text.size() > 11)
        return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    if (text[0] == '-')
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

constexpr std::string_view Bom = "\xEF\xBB\xBF";
// What a line may have around its parts: a hand-edited file may end lines in CR LF.
constexpr std::string_view Blanks = " \t\r";

// Reads one value line, "name"="text" or "name"=dword:number, blanks allowed around "=".
bool ParseValue(std::string_view line, Value& value) {
    const std::string text(line);
    std::size_t pos = 0;
    if (!Unquote(text, pos, value.Name))
        return false;
    const std::string_view rest = Trim(line.substr(pos), Blanks);
    if (rest.empty() || rest[0] != '=')
        return false;
    const std::string_view data = Trim(rest.substr(1), Blanks);
    if (data.substr(0, 6) == "dword:") {
        value.IsNumber = true;
        return ParseNumber(std::string(Trim(data.substr(6), Blanks)), value.Number);
    }
    const std::string quoted(data);
    pos = 0;
    return Unquote(quoted, pos, value.Text) && pos == quoted.size();
}

} // namespace

Contents Parse(const std::string& text, std::size_t* skipped) {
    Contents contents;
    // Where each key and value already stands, by its name in lower case.
    std::unordered_map<std::string, std::size_t> keyIndex;
    std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
    Key* key = nullptr; // values below a damaged key line belong to no key
    std::size_t start = text.rfind(Bom, 0) == 0 ? Bom.size() : 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line =
            Trim(std::string_view(text).substr(start, end - start), Blanks);
        start = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            key = nullptr;
            if (line.back() != ']' || line.size() < 3) {
                if (skipped)
                    ++*skipped;
                continue;
            }
            std::string path(line.substr(1, line.size() - 2));
            const auto [at, added] = keyIndex.try_emplace(LowerAscii(path), contents.size());
            if (added) {
                contents.push_back({std::move(path), {}});
                valueIndex.emplace_back();
            }
            key = &contents[at->second];
            continue;
        }
        Value value;
        if (!key || !ParseValue(line, value)) {
            if (skipped)
                ++*skipped;
            continue;
        }
        auto& index = valueIndex[static_cast<std::size_t>(key - contents.data())];
        // A later line for the same name replaces the earlier one.
        const auto [at, added] = index.try_emplace(LowerAscii(value.Name), key->Values.size());
        if (added)
            key->Values.push_back(std::move(value));
        else
            key->Values[at->second] = std::move(value);
    }
    return contents;
}

std::string Write(const Contents& contents) {
    std::string out = "# Tarvik settings, rewritten whenever the program closes.\n"
                      "# Numbers (dword:) are decimal.\n";
    for (const Key& key : contents) {
        out += "\n[" + key.Path + "]\n";
        for (const Value& v : key.Values) {
            out += Quote(v.Name) + "=";
            out += v.IsNumber ? "dword:" + std::to_string(v.Number) : Quote(v.Text);
            out += "\n";
        }
    }
    return out;
}

} // namespace SettingsText
