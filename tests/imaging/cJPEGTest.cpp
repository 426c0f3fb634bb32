// SPDX-License-Identifier: MIT

#include "imaging/cJPEG.h"

#include "imaging/ResampleReference.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A picture whose pixel (x, y) is (red x, green y, blue x + y).
Picture Pattern(int w, int h) {
    auto image = std::make_shared<Image>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image->At(x, y) = Rgb(x & 255, y & 255, (x + y) & 255);
    return image;
}

const std::uint8_t* Pixel(cJPEG& image, int x, int memoryRow) {
    return image.DIBSectionBitsPtr() + memoryRow * image.BytesPerScanLine() + 3 * x;
}

class FakeClipboard : public IClipboard {
  public:
    bool SetPicture(const Picture& p) override {
        picture = p;
        return true;
    }
    Picture picture;
};

} // namespace

TEST(cJPEG, BytesPerScanLineRoundsRowsUpToFourBytesAndIsZeroOnOverflow) {
    cJPEG image;
    for (auto [width, bytes] : {std::pair{128, 384}, {127, 384}, {1, 4}, {2, 8}, {3, 12}}) {
        image.Create(width, 1);
        EXPECT_EQ(image.BytesPerScanLine(), bytes) << width;
    }
    image.Create(0, 1);
    EXPECT_EQ(image.BytesPerScanLine(), 0);
    image.Create(INT32_MAX / 3, 1);
    EXPECT_EQ(image.BytesPerScanLine(), 0);
    EXPECT_EQ(image.DIBSectionBitsPtr(), nullptr);
}

TEST(cJPEG, CreateSetsTheHeaderAndLeavesThePictureUnloaded) {
    cJPEG image;
    ASSERT_TRUE(image.Create(128, 127));
    EXPECT_EQ(image.Header().biSize, 40u);
    EXPECT_EQ(image.Header().biBitCount, 24);
    EXPECT_EQ(image.Header().biPlanes, 1);
    EXPECT_EQ(image.Header().biSizeImage, 48768u);
    EXPECT_FALSE(image.PictureLoaded());
    EXPECT_NE(image.hDC(), nullptr);
    EXPECT_NE(image.hDib(), 0u);
    EXPECT_FALSE(image.Create(0, 10));
    EXPECT_FALSE(image.Create(10, -1));
}

TEST(cJPEG, CreateFromPictureLaysOutBlueGreenRedBottomRowFirst) {
    cJPEG image;
    image.CreateFromPicture(Pattern(127, 5));
    ASSERT_TRUE(image.PictureLoaded());
    EXPECT_EQ(image.Width(), 127);
    EXPECT_EQ(image.Height(), 5);
    // Memory row 0 is the bottom row, y = 4.
    const std::uint8_t* p = Pixel(image, 10, 0);
    EXPECT_EQ(p[0], 14); // blue = x + y
    EXPECT_EQ(p[1], 4);  // green = y
    EXPECT_EQ(p[2], 10); // red = x
    EXPECT_EQ(Pixel(image, 3, 4)[1], 0);
    // The padding byte after 381 pixel bytes stays zero.
    EXPECT_EQ(image.DIBSectionBitsPtr()[381], 0);
    EXPECT_EQ(image.ToPicture()->Pixels, Pattern(127, 5)->Pixels);
}

TEST(cJPEG, FailedCreationLeavesNothingToSave) {
    cJPEG image;
    image.CreateFromPicture(nullptr);
    EXPECT_FALSE(image.PictureLoaded());
    image.CreateFromPicture(std::make_shared<Image>(0, 0));
    EXPECT_FALSE(image.PictureLoaded());
    EXPECT_EQ(image.DIBSectionBitsPtr(), nullptr);
}

TEST(cJPEG, ClearUpFreesThePixelsButKeepsTheSize) {
    cJPEG image;
    image.ClearUp();
    EXPECT_EQ(image.hDC(), nullptr);
    image.CreateFromPicture(Pattern(128, 127));
    image.ClearUp();
    EXPECT_EQ(image.Width(), 128);
    EXPECT_EQ(image.Height(), 127);
    EXPECT_EQ(image.hDC(), nullptr);
    EXPECT_EQ(image.hDib(), 0u);
    EXPECT_EQ(image.DIBSectionBitsPtr(), nullptr);
    EXPECT_FALSE(image.PictureLoaded());
}

TEST(cJPEG, BlockCopiesBetweenImagesAreClippedToBoth) {
    cJPEG source, target;
    source.CreateFromPicture(Pattern(10, 8));
    ASSERT_TRUE(target.Create(4, 3));
    target.LoadPictureBlt(source.hDC(), 2, 1); // 4 x 3 from (2, 1)
    EXPECT_EQ(target.ToPicture()->At(0, 0), Rgb(2, 1, 3));
    EXPECT_EQ(target.ToPicture()->At(3, 2), Rgb(5, 3, 8));

    cJPEG canvas;
    ASSERT_TRUE(canvas.Create(6, 6));
    target.PaintPicture(canvas.hDC(), 4, 5); // only 2 x 1 lands inside
    const Picture painted = canvas.ToPicture();
    EXPECT_EQ(painted->At(4, 5), Rgb(2, 1, 3));
    EXPECT_EQ(painted->At(5, 5), Rgb(3, 1, 4));
    EXPECT_EQ(painted->At(3, 5), Rgb(0, 0, 0));
    target.PaintPicture(canvas.hDC(), -100, -100, -1, -1, 0, 0, static_cast<RasterOp>(0x42));
}

TEST(cJPEG, CopyToClipboardHandsOverThePicture) {
    cJPEG image;
    FakeClipboard clipboard;
    EXPECT_FALSE(image.CopyToClipboard(clipboard));
    image.CreateFromPicture(Pattern(7, 3));
    EXPECT_TRUE(image.CopyToClipboard(clipboard));
    EXPECT_EQ(clipboard.picture->Pixels, Pattern(7, 3)->Pixels);
}

TEST(cJPEG, RandomiseBitsFollowsTheGrayAndColourRulesAndSparesThePadding) {
    for (bool gray : {true, false}) {
        cJPEG image;
        ASSERT_TRUE(image.Create(5, 40));
        std::fill(image.DIBSectionBitsPtr(), image.DIBSectionBitsPtr() + 16 * 40, 0xAB);
        image.RandomiseBits(gray);
        int distinct = 0;
        for (int row = 0; row < 40; ++row) {
            for (int x = 0; x < 5; ++x) {
                const std::uint8_t* p = Pixel(image, x, row);
                if (gray) {
                    EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
                } else {
                    EXPECT_EQ(p[0], 0);
                }
                distinct += p[1] != Pixel(image, 0, 0)[1];
            }
            EXPECT_EQ(image.DIBSectionBitsPtr()[row * 16 + 15], 0xAB);
        }
        EXPECT_GT(distinct, 100);
        EXPECT_FALSE(image.PictureLoaded());
    }
}

TEST(cJPEG, ResampleOfTheSameSizeIsAnExactCopy) {
    cJPEG image;
    image.CreateFromPicture(Pattern(128, 127));
    const auto copy = image.Resample(127, 128);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->ToPicture()->Pixels, image.ToPicture()->Pixels);
    EXPECT_FALSE(copy->PictureLoaded());
    EXPECT_EQ(image.Resample(0, 5), nullptr);
}

TEST(cJPEG, ResampleWorkedCases) {
    // 4 x 4 to 2 x 2: scales 1.5, new (1, 1) samples (1.5, 1.5).
    auto four = std::make_shared<Image>(4, 4, Rgb(0, 0, 0));
    four->At(1, 1) = Rgb(10, 0, 0);
    four->At(2, 1) = Rgb(21, 0, 0);
    four->At(1, 2) = Rgb(30, 0, 0);
    four->At(2, 2) = Rgb(45, 0, 0);
    cJPEG image;
    image.CreateFromPicture(four);
    const auto half = image.Resample(2, 2);
    // Rows are in memory order, so (1, 1) of the result blends memory rows 1 and 2.
    // Vertical: round(0.5*10 + 0.5*30) = 20, round(0.5*21 + 0.5*45) = 33; horizontal:
    // round(26.5) = 26.
    EXPECT_EQ(half->ToPicture()->At(1, 0), Rgb(26, 0, 0));

    // 2 x 2 to 4 x 4: scales 0.25; pixel 0 copies source 0, pixel 3 lies 3/4 of the way.
    auto two = std::make_shared<Image>(2, 2, Rgb(0, 0, 0));
    two->At(1, 0) = Rgb(100, 0, 0);
    two->At(1, 1) = Rgb(100, 0, 0);
    image.CreateFromPicture(two);
    const Picture doubled = image.Resample(4, 4)->ToPicture();
    EXPECT_EQ(doubled->At(0, 3), Rgb(0, 0, 0));
    EXPECT_EQ(doubled->At(3, 3), Rgb(75, 0, 0));
    EXPECT_EQ(doubled->At(2, 3), Rgb(50, 0, 0));
}

TEST(cJPEG, ResampleMatchesThePlainReferenceByteForByte) {
    std::mt19937 random(11);
    for (int round = 0; round < 60; ++round) {
        const int w = 1 + random() % 40, h = 1 + random() % 40;
        auto picture = std::make_shared<Image>(w, h);
        for (auto& p : picture->Pixels)
            p = 0xff000000u | (random() & 0xffffff);
        cJPEG image;
        image.CreateFromPicture(picture);
        const int nw = 1 + random() % 60, nh = 1 + random() % 60;
        const auto fast = image.Resample(nh, nw);
        cJPEG reference;
        ASSERT_TRUE(reference.Create(nw, nh));
        ReferenceResample(image, reference);
        ASSERT_EQ(fast->ToPicture()->Pixels, reference.ToPicture()->Pixels)
            << w << "x" << h << " -> " << nw << "x" << nh;
    }
}
