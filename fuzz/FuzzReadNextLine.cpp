// SPDX-License-Identifier: MIT

// ReadNextLine over any bytes: it ends, returns trimmed data lines, and never one longer
// than the limit.
#include "skin/ReadNextLine.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char*>(data), size));
    for (std::size_t lines = 0;; ++lines) {
        const std::string line = ReadNextLine(file);
        if (line.empty())
            break;
        if (line.size() > MaxLineLength || line.front() == ' ' || line.back() == ' ' ||
            line.front() == '#')
            std::abort();
        if (lines > size)
            std::abort(); // more lines than bytes: the reader does not move on
    }
    return 0;
}
