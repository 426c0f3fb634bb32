// SPDX-License-Identifier: MIT

#include "skin/ParseRect.h"

#include "platform/Twips.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

double ReadNumber(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t')
            s.push_back(c);

    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        return i - start;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0.0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (digits() > 0)
            end = i;
    }
    return std::strtod(s.substr(0, end).c_str(), nullptr);
}

namespace {

bool StoreField(double value, std::int16_t& field) {
    const double r = RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0)) // NaN and infinities fail too
        return false;
    field = static_cast<std::int16_t>(r);
    return true;
}

} // namespace

bool ParseRect(std::string_view text, SkinRect& target) {
    if (text.empty())
        return false;
    text.remove_prefix(1);

    std::string_view pieces[4];
    for (int k = 0; k < 3; ++k) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos)
            return false;
        pieces[k] = text.substr(0, comma);
        text.remove_prefix(comma + 1);
    }
    pieces[3] = text;

    return StoreField(ReadNumber(pieces[0]), target.Left) &&
           StoreField(ReadNumber(pieces[1]), target.Top) &&
           StoreField(target.Left + ReadNumber(pieces[2]), target.Right) &&
           StoreField(target.Top + ReadNumber(pieces[3]), target.Bottom);
}
