// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// A decoded picture: 0xffRRGGBB pixels, rows top-down (the layout of a 32-bit RGB image).
// With Alpha the top byte is each pixel's opacity, from 0 (see-through) to 255 (opaque).
struct Image {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
    bool Alpha = false;

    Image() = default;
    Image(int width, int height, std::uint32_t fill = 0xffffffffu)
        : Width(width), Height(height),
          Pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    std::uint32_t At(int x, int y) const {
        return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                      static_cast<std::size_t>(x)];
    }
    std::uint32_t& At(int x, int y) {
        return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                      static_cast<std::size_t>(x)];
    }
};

// Reference-counted picture; the last reference frees it.
using Picture = std::shared_ptr<const Image>;

inline constexpr std::uint32_t Rgb(int r, int g, int b) {
    return 0xff000000u | (static_cast<std::uint32_t>(r) << 16) |
           (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}
