// SPDX-License-Identifier: MIT

#pragma once

#include <libdeflate.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// The PNG filters' predictors, from their definition: a left, b above, c upper left.
inline int PngPredict(int filter, int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    switch (filter) {
    case 1:
        return a;
    case 2:
        return b;
    case 3:
        return (a + b) / 2;
    case 4:
        return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    default:
        return 0;
    }
}

inline void PngChunk(std::string& png, const char* type, const std::string& data) {
    const std::size_t n = data.size();
    png += {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    const std::string body = type + data;
    png += body;
    const std::uint32_t crc = libdeflate_crc32(0, body.data(), body.size());
    png += {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
}

// A PNG of the channel values in pixels (one vector a row, colour 2: RGB, 6: RGBA), row y
// filtered with filterOf(y) (5 and up are unknown types, their data left as it is), its data
// split over two IDAT chunks, after a text chunk.
inline std::string FilteredPng(const std::vector<std::vector<int>>& pixels, int colour,
                               const std::function<int(int)>& filterOf, int depth = 8,
                               int interlace = 0) {
    const int bpp = colour == 6 ? 4 : 3;
    const int height = static_cast<int>(pixels.size());
    const int width = height ? static_cast<int>(pixels[0].size()) / bpp : 0;
    std::string raw;
    for (int y = 0; y < height; ++y) {
        const int filter = filterOf(y);
        raw += char(filter);
        for (int i = 0; i < width * bpp; ++i) {
            const int a = i >= bpp ? pixels[y][i - bpp] : 0, b = y ? pixels[y - 1][i] : 0;
            const int c = i >= bpp && y ? pixels[y - 1][i - bpp] : 0;
            raw += char(pixels[y][i] - PngPredict(filter, a, b, c));
        }
    }
    libdeflate_compressor* deflater = libdeflate_alloc_compressor(6);
    std::string z(libdeflate_zlib_compress_bound(deflater, raw.size()), '\0');
    z.resize(libdeflate_zlib_compress(deflater, raw.data(), raw.size(), z.data(), z.size()));
    libdeflate_free_compressor(deflater);
    std::string png = "\x89PNG\r\n\x1a\n";
    PngChunk(png, "IHDR",
             {char(0), char(0), char(width >> 8), char(width), char(0), char(0), char(height >> 8),
              char(height), char(depth), char(colour), 0, 0, char(interlace)});
    PngChunk(png, "tEXt", std::string("Software\0test", 13));
    PngChunk(png, "IDAT", z.substr(0, z.size() / 2));
    PngChunk(png, "IDAT", z.substr(z.size() / 2));
    PngChunk(png, "IEND", "");
    return png;
}
