// SPDX-License-Identifier: MIT

// The Win32 backend against the system (under Wine, Wine's GDI, WIC and dialogs).
#include "backends/win32/Win32Common.h"
#include "backends/win32/Win32OptionsDialog.h"
#include "backends/win32/Win32PictureCodec.h"
#include "backends/win32/Win32Version.h"
#include "fakes/FakePlatform.h"
#include "imaging/modJPEG.h"
#include "platform/ProgramFolder.h"
#include "settings/frmOption.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

// The imaging component needs COM on the thread, as the program sets it up.
class ComEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
[[maybe_unused]] const auto* const com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Distinct colours everywhere, and an odd width so that BMP rows carry padding.
Picture Gradient(int width, int height) {
    auto image = std::make_shared<Image>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->At(x, y) = Rgb(x * 255 / width, y * 255 / height, (x + y) % 256);
    return image;
}

TEST(Win32Region, HoldsTheRectanglesWithRightAndBottomEdgesOut) {
    const Region region{{0, 0, 10, 5}, {2, 5, 3, 4}};
    HRGN handle = ToRegionHandle(region);
    EXPECT_TRUE(PtInRegion(handle, 0, 0));
    EXPECT_TRUE(PtInRegion(handle, 9, 4));
    EXPECT_FALSE(PtInRegion(handle, 10, 4));
    EXPECT_TRUE(PtInRegion(handle, 4, 8));
    EXPECT_FALSE(PtInRegion(handle, 5, 8));
    EXPECT_FALSE(PtInRegion(handle, 2, 9));
    DeleteObject(handle);

    HRGN empty = ToRegionHandle({});
    RECT box{};
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    DeleteObject(empty);
}

TEST(Win32PictureCodec, BmpReadsBackPixelForPixel) {
    TempFolder folder;
    Win32PictureCodec codec;
    const Picture picture = Gradient(7, 5);
    std::vector<unsigned char> encoded;
    const WriteResult result = codec.EncodeBmp(picture, encoded);
    ASSERT_TRUE(result) << result.Reason;
    const std::string bytes(encoded.begin(), encoded.end());
    const std::string path = folder.Write("shot.bmp", bytes);
    ASSERT_GT(bytes.size(), 30u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes[28], 24); // 24 bits a pixel
    const Picture back = codec.LoadPicture(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Width, 7);
    EXPECT_EQ(back->Pixels, picture->Pixels);

    EXPECT_EQ(codec.EncodeBmp(nullptr, encoded).Reason, "No picture loaded to save.");
}

TEST(Win32PictureCodec, JpegFromTheWriterDecodesThroughTheSystem) {
    TempFolder folder;
    const Picture picture = Gradient(64, 48);
    const std::string path = folder.Path() + "\\shot.jpg";
    cJPEG image;
    image.CreateFromPicture(picture);
    std::int32_t code = 0;
    std::string error;
    ASSERT_TRUE(SaveJPG(image, path, 100, code, error)) << error;
    const Picture back = Win32PictureCodec().LoadPicture(path);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->Width, 64);
    int worst = 0;
    for (std::size_t i = 0; i < back->Pixels.size(); ++i)
        for (int shift : {0, 8, 16})
            worst =
                std::max(worst, std::abs(static_cast<int>((back->Pixels[i] >> shift) & 0xff) -
                                         static_cast<int>((picture->Pixels[i] >> shift) & 0xff)));
    EXPECT_LE(worst, 8);
}

TEST(Win32PictureCodec, GifFlaggedTransparentColourKeepsItsPaletteColour) {
    // The built-in skin flags its white as transparent; the outline needs the white.
    const Picture skin = Win32PictureCodec().LoadPicture(ProgramFolder() + "\\skin.gif");
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->Width, 193);
    EXPECT_EQ(skin->Height, 448);
    EXPECT_EQ(skin->At(0, 0), Rgb(255, 255, 255));
    EXPECT_NE(skin->At(20, 330), Rgb(255, 255, 255));
}

TEST(Win32PictureCodec, OnlyTheFirstFrameOfAGifIsDecodedAndOnlyWithinThePictureLimits) {
    TempFolder folder;
    Win32PictureCodec codec;
    // The built-in skin with a second frame of 16384 x 16384 pixels, its data cut short.
    std::string gif = ReadAll(ProgramFolder() + "\\skin.gif");
    ASSERT_EQ(gif.back(), ';');
    gif.pop_back();
    gif += std::string("\x2c\0\0\0\0\0\x40\0\x40\0\x08\x02\xff\xfe\0;", 16);
    const Picture skin = codec.LoadPicture(folder.Write("two.gif", gif));
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->Width, 193);
    // A 1 x 1 screen whose first frame is 16385 pixels wide.
    const std::string wide("GIF89a\1\0\1\0\x80\0\0\xff\0\0\0\0\xff"
                           "\x2c\0\0\0\0\x01\x40\1\0\0\2\2\x44\1\0;",
                           35);
    EXPECT_FALSE(codec.LoadPicture(folder.Write("wide.gif", wide)));
}

TEST(Win32PictureCodec, WhatIsNoPictureFileGivesNoPicture) {
    TempFolder folder;
    Win32PictureCodec codec;
    EXPECT_FALSE(codec.LoadPicture(folder.Path() + "\\missing.bmp"));
    EXPECT_FALSE(codec.LoadPicture(folder.Path())); // a folder
    EXPECT_FALSE(codec.LoadPicture("NUL"));         // a device
    EXPECT_FALSE(codec.LoadPicture(folder.Write("empty.gif", "")));
    EXPECT_FALSE(codec.LoadPicture(folder.Write("text.bmp", "BM not really a bitmap")));
    const std::string gif = ReadAll(ProgramFolder() + "\\skin.gif");
    EXPECT_FALSE(codec.LoadPicture(folder.Write("cut.gif", gif.substr(0, 40))));
}

TEST(Win32PictureCodec, TruncatedBmpOrJpegGivesNoPicture) {
    TempFolder folder;
    Win32PictureCodec codec;
    std::string error;
    std::vector<unsigned char> bmp;
    ASSERT_TRUE(codec.EncodeBmp(Gradient(64, 48), bmp));
    folder.Write("whole.bmp", std::string(bmp.begin(), bmp.end()));
    cJPEG image;
    image.CreateFromPicture(Gradient(64, 48));
    std::int32_t code = 0;
    ASSERT_TRUE(SaveJPG(image, folder.Path() + "\\whole.jpg", 90, code, error)) << error;
    for (const char* name : {"whole.bmp", "whole.jpg"}) {
        const std::string bytes = ReadAll(folder.Path() + "\\" + name);
        for (const std::size_t size : {bytes.size() / 3, bytes.size() / 2, bytes.size() - 2})
            EXPECT_FALSE(codec.LoadPicture(folder.Write("cut", bytes.substr(0, size))))
                << name << " cut to " << size << " of " << bytes.size() << " bytes";
    }
}

TEST(Win32Version, TheProgramsVersionResourceGivesTheAboutBoxNumbers) {
    const std::optional<VersionNumbers> version = ResourceVersion(ProgramFolder() + "\\tarvik.exe");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->Major, TARVIK_VERSION_MAJOR);
    EXPECT_EQ(version->Minor, TARVIK_VERSION_MINOR);
    EXPECT_EQ(version->Revision, TARVIK_VERSION_PATCH);
    // A file without one: none.
    EXPECT_FALSE(ResourceVersion(ProgramFolder() + "\\skin.gif"));
}

// Runs the options dialog; the check runs inside its modal loop and then presses a button.
class OptionsDialogTest : public ::testing::Test {
  protected:
    static inline std::function<void()> inside;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (inside)
            inside();
    }

    void Run(std::function<void()> check) {
        inside = std::move(check);
        SetTimer(nullptr, 0, 50, Tick);
        logic.Form_Load(&view);
        view.RunModal();
        inside = nullptr;
    }

    static RECT Place(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    FakeDialogs dialogs;
    int exchanges = 0;
    frmOption logic{[this](bool) { ++exchanges; }, dialogs};
    Win32OptionsDialog view{logic, nullptr};
};

TEST_F(OptionsDialogTest, ControlsSitAtTheirPlacesAndCancelCloses) {
    HWND dialog = nullptr;
    Run([&] {
        dialog = GetActiveWindow();
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 489);
        EXPECT_EQ(client.bottom, 254);
        char title[64] = {};
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ(title, "Tarvik Options");
        const RECT slider = Place(GetDlgItem(dialog, Win32OptionsDialog::IdSlider1));
        EXPECT_EQ(slider.left, 32);
        EXPECT_EQ(slider.top, 32);
        EXPECT_EQ(slider.right - slider.left, 425);
        const RECT ok = Place(GetDlgItem(dialog, Win32OptionsDialog::IdOk));
        EXPECT_EQ(ok.left, 112);
        EXPECT_EQ(ok.top, 216);
        EXPECT_EQ(ok.bottom - ok.top, 25);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, Win32OptionsDialog::IdFrame3)));
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, Win32OptionsDialog::IdText1), GWL_STYLE) &
                    ES_READONLY);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, Win32OptionsDialog::IdApply)));
        // Escape is nobody's button: the dialog stays.
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(IsWindow(dialog));
        SendMessageA(GetDlgItem(dialog, Win32OptionsDialog::IdCancel), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(logic.Closed);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(OptionsDialogTest, EditsAndSliderKeysReachTheLogicAndTheCloseBoxCancels) {
    Run([&] {
        HWND dialog = GetActiveWindow();
        HWND prefix = GetDlgItem(dialog, Win32OptionsDialog::IdText2);
        SetWindowTextA(prefix, "holiday"); // as typing would: EN_CHANGE
        EXPECT_EQ(logic.Controls.Text2, "holiday");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, Win32OptionsDialog::IdApply)));
        // The slider moved by its keys reports its position once.
        HWND slider = GetDlgItem(dialog, Win32OptionsDialog::IdSlider1);
        SendMessageA(slider, WM_KEYDOWN, VK_HOME, 0);
        SendMessageA(slider, WM_KEYUP, VK_HOME, 0);
        EXPECT_EQ(logic.Controls.Slider1, 0);
        char label[16] = {};
        GetWindowTextA(GetDlgItem(dialog, Win32OptionsDialog::IdLabel3), label, sizeof label);
        EXPECT_STREQ(label, "0%");
        SendMessageA(dialog, WM_CLOSE, 0, 0); // the close box is Cancel
    });
    EXPECT_TRUE(logic.Closed);
}

} // namespace
