// SPDX-License-Identifier: MIT

// The settings file reader: any bytes parse (what cannot be read is skipped), and whatever
// was read writes back into a text that reads as the same values.
#include "settings/SettingsText.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool Same(const SettingsText::Contents& a, const SettingsText::Contents& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k].Path != b[k].Path || a[k].Values.size() != b[k].Values.size())
            return false;
        for (std::size_t v = 0; v < a[k].Values.size(); ++v) {
            const auto &x = a[k].Values[v], &y = b[k].Values[v];
            if (x.Name != y.Name || x.IsNumber != y.IsNumber || x.Text != y.Text ||
                x.Number != y.Number)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto contents =
        SettingsText::Parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!Same(contents, SettingsText::Parse(SettingsText::Write(contents))))
        std::abort();
    return 0;
}
