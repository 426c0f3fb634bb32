// SPDX-License-Identifier: MIT

#include "skin/WindowShape.h"

#include "capture/PhoneMockup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <utility>

namespace {

using PixelSet = std::set<std::pair<int, int>>;

// The outline pixel by pixel, straight from its definition.
PixelSet Naive(const Image& image, const SkinRect& shot) {
    PixelSet set;
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const bool key = (image.At(x, y) & 0xffffff) == (image.At(0, 0) & 0xffffff);
            const bool hole = shot.Left <= x && x < shot.Right && shot.Top <= y && y < shot.Bottom;
            if (!key && !hole)
                set.insert({x, y});
        }
    return set;
}

PixelSet Covered(const Region& region) {
    PixelSet set;
    std::size_t area = 0;
    for (const RegionRect& r : region) {
        EXPECT_GT(r.Width, 0);
        EXPECT_GT(r.Height, 0);
        area += static_cast<std::size_t>(r.Width) * r.Height;
        for (int y = r.Y; y < r.Y + r.Height; ++y)
            for (int x = r.X; x < r.X + r.Width; ++x)
                set.insert({x, y});
    }
    EXPECT_EQ(area, set.size()) << "rectangles overlap";
    return set;
}

Image FromRows(std::initializer_list<const char*> rows) {
    Image image(static_cast<int>(std::string(*rows.begin()).size()), static_cast<int>(rows.size()));
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; row[x]; ++x)
            image.At(x, y) = row[x] == '.'   ? Rgb(255, 255, 255)
                             : row[x] == 'n' ? Rgb(252, 254, 252)
                                             : Rgb(10, 20, 30);
        ++y;
    }
    return image;
}

} // namespace

TEST(WindowShape, KeyColouredPixelsVanishEverywhereAndTheHoleIsCut) {
    const Image image = FromRows({"......", ".#nn#.", ".#nn#.", ".#.##.", "......"});
    const SkinRect hole{2, 1, 4, 3};
    const Region region = ComputeWindowShape(image, hole);
    EXPECT_EQ(Covered(region), Naive(image, hole));
    EXPECT_EQ(Covered(region), (PixelSet{{1, 1}, {4, 1}, {1, 2}, {4, 2}, {1, 3}, {3, 3}, {4, 3}}));
    // Identical rows share one band.
    EXPECT_EQ(region.size(), 4u);
}

TEST(WindowShape, OnlyTheCornerIsRemovedWhenNoOtherPixelHasTheKeyColour) {
    Image image(4, 3, Rgb(1, 2, 3));
    image.At(0, 0) = Rgb(9, 9, 9);
    EXPECT_EQ(Covered(ComputeWindowShape(image, AbsentRect)).size(), 11u);
}

TEST(WindowShape, ColoursCompareExactlyAndIgnoreTheAlphaByte) {
    Image image(3, 1, Rgb(255, 255, 255));
    image.At(1, 0) = Rgb(255, 255, 254);
    image.At(2, 0) = 0x00ffffffu; // a decoder's fully transparent white is still white
    EXPECT_EQ(Covered(ComputeWindowShape(image, AbsentRect)), (PixelSet{{1, 0}}));
}

TEST(WindowShape, PictureWithAlphaIsSeeThroughBelowHalfAndItsMockupKeepsItsOwnAlpha) {
    // A soft edge from see-through to opaque, then opaque white (the corner's colour) and
    // the display.
    Image skin(6, 2, 0xffffffffu);
    skin.Alpha = true;
    const std::uint32_t row[] = {0x00ffffffu, 0x7f102030u, 0x80102030u, 0xff102030u};
    std::copy(std::begin(row), std::end(row), skin.Pixels.begin());
    const SkinRect shot{5, 0, 6, 2};
    EXPECT_EQ(Covered(ComputeWindowShape(skin, shot)),
              (PixelSet{{2, 0}, {3, 0}, {4, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}));

    Image capture(1, 2, Rgb(1, 2, 3));
    const Picture mockup = ComposePhoneMockup(skin, shot, capture);
    ASSERT_TRUE(mockup && mockup->Alpha);
    Image expected = skin;
    expected.At(5, 0) = expected.At(5, 1) = Rgb(1, 2, 3);
    EXPECT_EQ(mockup->Pixels, expected.Pixels);
}

TEST(WindowShape, HoleReachingBeyondThePictureCutsOnlyInside) {
    Image image(5, 5, Rgb(0, 0, 0));
    image.At(0, 0) = Rgb(255, 255, 255);
    for (const SkinRect hole : {SkinRect{3, -4, 40, 2}, SkinRect{-10, -10, -5, -5},
                                SkinRect{2, 2, 1, 1}, SkinRect{-32768, -32768, 32767, 32767}})
        EXPECT_EQ(Covered(ComputeWindowShape(image, hole)), Naive(image, hole));
}

TEST(WindowShape, MatchesThePixelDefinitionOnRandomPictures) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        Image image(1 + random() % 23, 1 + random() % 19);
        const int colours = 1 + random() % 3;
        for (auto& p : image.Pixels)
            p = Rgb(static_cast<int>(random() % colours), 0, 0);
        const SkinRect hole{static_cast<std::int16_t>(random() % 30 - 5),
                            static_cast<std::int16_t>(random() % 30 - 5),
                            static_cast<std::int16_t>(random() % 30 - 5),
                            static_cast<std::int16_t>(random() % 30 - 5)};
        EXPECT_EQ(Covered(ComputeWindowShape(image, hole)), Naive(image, hole)) << round;
    }
}

TEST(WindowShape, EmptyPictureGivesAnEmptyRegion) {
    EXPECT_TRUE(ComputeWindowShape(Image(), AbsentRect).empty());
}

TEST(WindowShape, RepeatedRowsAcrossTheHolesEdgesKeepTheirOwnOutline) {
    Image image(6, 8, Rgb(5, 5, 5));
    image.At(0, 0) = Rgb(255, 255, 255);
    image.At(5, 0) = Rgb(255, 255, 255);
    for (int y = 1; y < 8; ++y) // rows 1..7 are the same
        image.At(2, y) = Rgb(255, 255, 255);
    for (const SkinRect hole : {SkinRect{3, 2, 5, 4}, SkinRect{0, 1, 6, 2}, SkinRect{4, 7, 6, 9}})
        EXPECT_EQ(Covered(ComputeWindowShape(image, hole)), Naive(image, hole));
    Region reused{{9, 9, 9, 9}};
    ComputeWindowShape(image, AbsentRect, reused);
    EXPECT_EQ(Covered(reused), Naive(image, AbsentRect));
}
