// SPDX-License-Identifier: MIT

#include "backends/wayland/ScreenshotPng.h"
#include "FilteredPng.h"

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Values spread without pattern over byte i of row y.
std::uint32_t Scatter(int i, int y) {
    std::uint32_t h = (i + 1) * 2654435761u ^ (y + 1) * 40503u;
    h ^= h >> 15;
    return h * 2246822519u >> 8;
}

// A PNG whose rows take the filter types 0 to filters - 1 in turn (5 and up are unknown);
// its channels take so many levels (few levels, many ties between neighbours).
std::string Png(int width, int height, int colour, int depth = 8, int interlace = 0,
                int levels = 256, int filters = 5) {
    const int bpp = colour == 6 ? 4 : 3;
    std::vector<std::vector<int>> pixels(height, std::vector<int>(width * bpp));
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width * bpp; ++i)
            pixels[y][i] = static_cast<int>(Scatter(i, y) % levels);
    return FilteredPng(
        pixels, colour, [filters](int y) { return y % filters; }, depth, interlace);
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
