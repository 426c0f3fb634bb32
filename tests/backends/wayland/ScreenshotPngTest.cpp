// SPDX-License-Identifier: MIT

#include "backends/wayland/ScreenshotPng.h"

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <libdeflate.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Chunk(std::string& png, const char* type, const std::string& data) {
    const std::size_t n = data.size();
    png += {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    const std::string body = type + data;
    png += body;
    const std::uint32_t crc = libdeflate_crc32(0, body.data(), body.size());
    png += {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
}

int Predict(int filter, int a, int b, int c) {
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

// Values spread without pattern over byte i of row y.
std::uint32_t Scatter(int i, int y) {
    std::uint32_t h = (i + 1) * 2654435761u ^ (y + 1) * 40503u;
    h ^= h >> 15;
    return h * 2246822519u >> 8;
}

// A PNG whose rows take the filter types 0 to filters - 1 in turn (5 and up are unknown),
// its data split over two IDAT chunks; its channels take so many levels (few levels, many
// ties between neighbours).
std::string Png(int width, int height, int colour, int depth = 8, int interlace = 0,
                int levels = 256, int filters = 5) {
    const int bpp = colour == 6 ? 4 : 3;
    std::vector<std::vector<int>> pixels(height, std::vector<int>(width * bpp));
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * bpp; ++i)
            pixels[y][i] = static_cast<int>(Scatter(i, y) % levels);
    std::string raw;
    for (int y = 0; y < height; ++y) {
        const int filter = y % filters;
        raw += char(filter);
        for (int i = 0; i < width * bpp; ++i) {
            const int a = i >= bpp ? pixels[y][i - bpp] : 0, b = y ? pixels[y - 1][i] : 0;
            const int c = i >= bpp && y ? pixels[y - 1][i - bpp] : 0;
            raw += char(pixels[y][i] - Predict(filter, a, b, c));
        }
    }
    libdeflate_compressor* deflater = libdeflate_alloc_compressor(6);
    std::string z(libdeflate_zlib_compress_bound(deflater, raw.size()), '\0');
    z.resize(libdeflate_zlib_compress(deflater, raw.data(), raw.size(), z.data(), z.size()));
    libdeflate_free_compressor(deflater);
    std::string png = "\x89PNG\r\n\x1a\n";
    Chunk(png, "IHDR",
          {char(0), char(0), char(width >> 8), char(width), char(0), char(0), char(height >> 8),
           char(height), char(depth), char(colour), 0, 0, char(interlace)});
    Chunk(png, "tEXt", std::string("Software\0test", 13));
    Chunk(png, "IDAT", z.substr(0, z.size() / 2));
    Chunk(png, "IDAT", z.substr(z.size() / 2));
    Chunk(png, "IEND", "");
    return png;
}

} // namespace

TEST(ScreenshotPng, EveryFilterAsTheGeneralReaderAndTheRestLeftToIt) {
    for (const int colour : {2, 6}) {
        const QByteArray png = QByteArray::fromStdString(Png(37, 11, colour));
        const QImage ours = DecodeScreenshotPng(png);
        ASSERT_EQ(ours.format(), QImage::Format_RGB32) << colour;
        EXPECT_EQ(ours, QImage::fromData(png).convertToFormat(QImage::Format_RGB32)) << colour;
        // Into memory made ready for it, or past memory of another size.
        for (const QSize size : {QSize(37, 11), QSize(36, 11)}) {
            PngRoom room = ReservePngRoom(size);
            EXPECT_EQ(DecodeScreenshotPng(png, &room), ours) << colour << size.width();
        }
    }
    // Ties between the neighbours a filter looks at, and values far apart; wide pictures,
    // whose rows are split between two threads, at odd and even widths.
    for (const int levels : {2, 3, 8, 256})
        for (const int colour : {2, 6})
            for (const int width : {300, 301}) {
                const QByteArray png =
                    QByteArray::fromStdString(Png(width, 60, colour, 8, 0, levels));
                ASSERT_EQ(DecodeScreenshotPng(png).width(), width);
                EXPECT_EQ(DecodeScreenshotPng(png),
                          QImage::fromData(png).convertToFormat(QImage::Format_RGB32))
                    << levels << " " << colour << " " << width;
            }
    std::string damaged = Png(37, 11, 2);
    damaged[damaged.size() - 30] ^= 1;
    for (const std::string& other : {Png(37, 11, 2, 16), Png(37, 11, 2, 8, 1), damaged,
                                     Png(37, 11, 2).substr(0, 60), Png(300, 60, 2, 8, 0, 256, 6)})
        EXPECT_TRUE(DecodeScreenshotPng(QByteArray::fromStdString(other)).isNull());
}
