// SPDX-License-Identifier: MIT

#include "imaging/modJPEG.h"

#include "fakes/FakePlatform.h"
#include "imaging/JpegDecode.h"
#include "io/AtomicFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// A smooth picture with a sharp edge, so the encoder has something to keep.
Picture Synthetic(int w, int h) {
    auto image = std::make_shared<Image>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image->At(x, y) = x < w / 2 ? Rgb(2 * x % 256, y % 256, 128) : Rgb(240, 30, 30);
    return image;
}

std::string Save(cJPEG& image, const std::string& path, int quality, std::int32_t* code = nullptr) {
    std::int32_t errorCode = 0;
    std::string errorText;
    const bool ok = SaveJPG(image, path, quality, errorCode, errorText);
    if (code)
        *code = errorCode;
    EXPECT_EQ(ok, errorCode == 0);
    return errorText;
}

} // namespace

TEST(IjlErrorText, GivesTheTableTexts) {
    EXPECT_EQ(IjlErrorText(0), "");
    EXPECT_EQ(IjlErrorText(1), "");
    EXPECT_EQ(IjlErrorText(2), "");
    EXPECT_EQ(IjlErrorText(-1), "Exception detected");
    EXPECT_EQ(IjlErrorText(-9), "An error occored while closing the file");
    EXPECT_EQ(IjlErrorText(-10), "Invalid file name");
    EXPECT_EQ(IjlErrorText(-23), "File Error");
    EXPECT_EQ(IjlErrorText(-27), "Thumbnail - DIB Wrong Color");
    EXPECT_EQ(IjlErrorText(-99), "Reserved");
    EXPECT_EQ(IjlErrorText(-28), "Unknown Error");
    EXPECT_EQ(IjlErrorText(3), "Unknown Error");
    EXPECT_EQ(IjlErrorText(INT32_MIN), "Unknown Error");
}

TEST(SaveJPG, RefusesAnImageWithoutAPictureAndTouchesNoFile) {
    TempFolder t;
    const std::string path = t.Write("old.jpg", "old");
    cJPEG image;
    image.Create(4, 4);
    std::int32_t code = 0;
    EXPECT_EQ(Save(image, path, 90, &code), "No picture loaded to save.");
    EXPECT_EQ(code, -1);
    EXPECT_EQ(ReadFile(path), "old");
}

TEST(SaveJPG, WritesAnUprightPictureOfTheSameSizeWithinATolerance) {
    TempFolder t;
    for (auto [w, h] : {std::pair{128, 127}, {127, 5}, {1, 1}, {33, 200}}) {
        const Picture picture = Synthetic(w, h);
        cJPEG image;
        image.CreateFromPicture(picture);
        const std::string path = t.Path() + "/out.jpg";
        EXPECT_EQ(Save(image, path, 100), "");
        const Picture decoded = DecodeJpegFile(path);
        ASSERT_TRUE(decoded) << w << "x" << h;
        ASSERT_EQ(decoded->Width, w);
        ASSERT_EQ(decoded->Height, h);
        EXPECT_LE(MaxChannelDifference(*decoded, *picture), 8) << w << "x" << h;
    }
}

TEST(SaveJPG, QualityIsClampedToOneToHundred) {
    TempFolder t;
    cJPEG image;
    image.CreateFromPicture(Synthetic(64, 48));
    const auto bytes = [&](int quality) {
        const std::string path = t.Path() + "/q" + std::to_string(quality) + ".jpg";
        Save(image, path, quality);
        return ReadFile(path);
    };
    EXPECT_EQ(bytes(0), bytes(1));
    EXPECT_EQ(bytes(-32768), bytes(1));
    EXPECT_EQ(bytes(150), bytes(100));
    EXPECT_EQ(bytes(32767), bytes(100));
    EXPECT_NE(bytes(75), bytes(74));
    EXPECT_LT(bytes(1).size(), bytes(100).size());
}

TEST(SaveJPG, ReplacesAnExistingFileWhole) {
    TempFolder t;
    const std::string path = t.Write("shot.jpg", std::string(100000, 'x'));
    cJPEG image;
    image.CreateFromPicture(Synthetic(16, 16));
    EXPECT_EQ(Save(image, path, 90), "");
    ASSERT_TRUE(DecodeJpegFile(path));
    EXPECT_LT(fs::file_size(path), 100000u);
}

TEST(SaveJPG, FailuresReportTheFileErrorAndLeaveNoPartialFile) {
    TempFolder t;
    cJPEG image;
    image.CreateFromPicture(Synthetic(16, 16));
    std::int32_t code = 0;
    EXPECT_EQ(Save(image, t.Path() + "/missing/shot.jpg", 90, &code),
              "ijlWrite Error - File Error");
    EXPECT_EQ(code, -23);

    fs::create_directory(t.Path() + "/folder.jpg");
    EXPECT_EQ(Save(image, t.Path() + "/folder.jpg", 90, &code), "ijlWrite Error - File Error");
    EXPECT_TRUE(fs::is_directory(t.Path() + "/folder.jpg"));

    EXPECT_EQ(Save(image, "", 90, &code), "ijlWrite Error - Invalid file name");
    EXPECT_EQ(code, -10);
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(t.Path()))
        ++entries;
    EXPECT_EQ(entries, 1); // only folder.jpg: no temporary file is left
}

TEST(SaveJPG, KeepExistingLeavesATakenNameAlone) {
    TempFolder t;
    const std::string path = t.Write("taken.jpg", "mine");
    cJPEG image;
    image.CreateFromPicture(Synthetic(8, 8));
    std::vector<std::uint8_t> jpeg;
    ASSERT_TRUE(EncodeJPG(image, 90, jpeg));
    FileWriteOptions options;
    options.Mode = WriteMode::KeepExisting;
    EXPECT_EQ(WriteFileAtomically(path, jpeg.data(), jpeg.size(), options).Outcome,
              WriteOutcome::NameTaken);
    EXPECT_EQ(ReadFile(path), "mine");
}

#ifndef _WIN32
TEST(EncodeJPG, MemoryRunningOutInTheLibraryIsAMemoryError) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    // Noise, so the encoded file is about as large as the pixels.
    auto noise = std::make_shared<Image>(2048, 2048);
    std::uint32_t seed = 1;
    for (std::uint32_t& pixel : noise->Pixels)
        pixel = 0xff000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
    cJPEG image;
    image.CreateFromPicture(noise);
    const pid_t child = ::fork();
    if (child == 0) {
        // Room for 4 MiB more, where the encoded file needs about 10.
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t used = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::getpagesize());
        const rlimit limit{used + (4u << 20), used + (4u << 20)};
        ::setrlimit(RLIMIT_AS, &limit);
        std::vector<std::uint8_t> jpeg;
        const WriteResult result = EncodeJPG(image, 100, jpeg);
        std::fprintf(stderr, "%s\n", result.Reason.c_str());
        ::_exit(result.Reason.rfind("ijlWrite Error - Memory Error", 0) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif
