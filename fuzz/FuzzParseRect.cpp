// SPDX-License-Identifier: MIT

// ParseRect and ReadNumber on any text: no crash, and a success always stores in range.
#include "skin/ParseRect.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = ReadNumber(text);
    if (std::isnan(number))
        std::abort(); // a number read is a number
    SkinRect rect{};
    ParseRect(text, rect);
    return 0;
}
