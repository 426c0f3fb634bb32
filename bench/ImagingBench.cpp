// SPDX-License-Identifier: MIT

// The image path of a save, each step beside its floor in the same run.
#include "../tests/backends/wayland/FilteredPng.h"
#include "../tests/imaging/ResampleReference.h"
#include "RatioReporter.h"
#include "backends/qt/QtConvert.h"
#include "backends/qt/QtPictureCodec.h"
#include "backends/wayland/ScreenshotPng.h"
#include "capture/SaveCommands.h"
#include "imaging/cJPEG.h"
#include "imaging/modJPEG.h"
#include "skin/ParseRect.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <turbojpeg.h>

namespace fs = std::filesystem;

namespace {

const std::string Folder = [] {
    const fs::path p = fs::temp_directory_path() / "tarvik-bench";
    fs::create_directories(p);
    return p.string();
}();

Picture ScreenLike(int w, int h) {
    auto image = std::make_shared<Image>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image->At(x, y) = ((x / 8 + y / 12) % 5 == 0) ? Rgb(20, 20, 20)
                                                          : Rgb(240 - y % 64, 240, 250 - x % 32);
    return image;
}

void SaveJpg(benchmark::State& state) {
    cJPEG image;
    image.CreateFromPicture(
        ScreenLike(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    const std::string path = Folder + "/ours.jpg";
    for (auto _ : state) {
        std::int32_t code;
        std::string text;
        if (!SaveJPG(image, path, 90, code, text))
            state.SkipWithError(text.c_str());
    }
}

// The floor: one TurboJPEG compress of the same buffer and one plain file write.
void BareTurboJpeg(benchmark::State& state) {
    cJPEG image;
    image.CreateFromPicture(
        ScreenLike(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    const std::string path = Folder + "/bare.jpg";
    tjhandle handle = tjInitCompress();
    for (auto _ : state) {
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(handle, image.DIBSectionBitsPtr(), image.Width(), image.BytesPerScanLine(),
                    image.Height(), TJPF_BGR, &jpeg, &size, TJSAMP_444, 90, TJFLAG_BOTTOMUP);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(jpeg, 1, size, f);
        std::fclose(f);
        tjFree(jpeg);
    }
    tjDestroy(handle);
}

void CreateFromPicture(benchmark::State& state) {
    const Picture picture = ScreenLike(1920, 1080);
    cJPEG image;
    for (auto _ : state) {
        image.CreateFromPicture(picture);
        benchmark::DoNotOptimize(image.DIBSectionBitsPtr());
    }
}

void MemcpySameBytes(benchmark::State& state) {
    const Picture picture = ScreenLike(1920, 1080);
    std::vector<std::uint8_t> target(static_cast<std::size_t>(1920 * 3) * 1080);
    for (auto _ : state) {
        std::memcpy(target.data(), picture->Pixels.data(), target.size());
        benchmark::DoNotOptimize(target.data());
    }
}

void Resample(benchmark::State& state) {
    cJPEG image;
    image.CreateFromPicture(ScreenLike(640, 480));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            image.Resample(static_cast<int>(state.range(1)), static_cast<int>(state.range(0))));
}

void ResampleScalarReference(benchmark::State& state) {
    cJPEG image;
    image.CreateFromPicture(ScreenLike(640, 480));
    for (auto _ : state) {
        cJPEG target;
        target.Create(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
        ReferenceResample(image, target);
        benchmark::DoNotOptimize(target.DIBSectionBitsPtr());
    }
}

void QtSmoothScale(benchmark::State& state) {
    const Picture picture = ScreenLike(640, 480);
    const QImage source = WrapPicture(picture).convertToFormat(QImage::Format_RGB888);
    for (auto _ : state)
        benchmark::DoNotOptimize(source.scaled(static_cast<int>(state.range(0)),
                                               static_cast<int>(state.range(1)),
                                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// Quick Save's naming with names 1 to 9998 taken, against one existence test per name.
const std::string Crowded = [] {
    const std::string dir = Folder + "/crowded";
    fs::create_directories(dir);
    // Files and folders: a name taken by either costs one look, never an encode.
    for (int n = 1; n <= 9998; ++n) {
        const std::string name = dir + "/shot" + std::to_string(n) + ".jpg";
        if (fs::exists(name))
            continue;
        if (n % 2)
            fs::create_directory(name);
        else
            std::ofstream(name) << "x";
    }
    return dir;
}();

class NoDialogs : public IDialogs {
  public:
    void MessageBox(const std::string&) override {}
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest&) override { return {}; }
};

class NoCodec : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string&) override { return nullptr; }
    WriteResult EncodeBmp(const Picture&, std::vector<unsigned char>&) override {
        return WriteResult::Failed("");
    }
    WriteResult EncodePng(const Picture&, std::vector<unsigned char>&) override {
        return WriteResult::Failed("");
    }
};

void SaveAutoNamedCrowded(benchmark::State& state) {
    AppSettings settings{90, "shot", Crowded, Crowded, true};
    Picture capture = ScreenLike(128, 127);
    std::int16_t counter = 1;
    NoDialogs dialogs;
    NoCodec codec;
    SaveContext context{capture, settings, counter, dialogs, codec, [] {}, ""};
    for (auto _ : state) {
        SaveAutoNamed(context);
        state.PauseTiming();
        fs::remove(Crowded + "/shot9999.jpg");
        state.ResumeTiming();
    }
}

// Save As of the built-in skin's phone mock-up after the dialog: composed, encoded, written.
struct MockupSave {
    MockupSave() {
        QFile file(":/tarvik/skin.gif");
        file.open(QIODevice::ReadOnly);
        layout.SkinImage = QtPictureCodec::Decode(file.readAll());
        ParseRect(BuiltinSkin::Shot, layout.ShotRect);
        context.Layout = &layout;
    }
    AppSettings settings{90, "shot", Folder, Folder, true};
    Picture capture = ScreenLike(128, 127);
    std::int16_t counter = 1;
    NoDialogs dialogs;
    QtPictureCodec codec;
    SkinLayout layout;
    SaveContext context{capture, settings, counter, dialogs, codec, [] {}, ""};
};

void SavePhoneMockup(benchmark::State& state) {
    MockupSave save;
    const std::string path = Folder + "/mockup.png";
    for (auto _ : state)
        if (!SavePicture(save.context, SaveAsType::PhoneMockup, path))
            state.SkipWithError("not saved");
}

// The floor: the same picture, skin-sized, as a plain opaque PNG through the same writer.
void SavePlainPngSkinSized(benchmark::State& state) {
    MockupSave save;
    auto plain = std::make_shared<Image>(*CurrentMockup(save.context));
    plain->Alpha = false;
    for (std::uint32_t& pixel : plain->Pixels)
        pixel |= 0xff000000u;
    save.capture = plain;
    const std::string path = Folder + "/plain.png";
    for (auto _ : state)
        if (!SavePicture(save.context, SaveAsType::Png, path))
            state.SkipWithError("not saved");
}

void ExistenceTestPerName(benchmark::State& state) {
    for (auto _ : state)
        for (int n = 1; n <= 9999; ++n) {
            std::error_code ec;
            benchmark::DoNotOptimize(
                fs::is_regular_file(Crowded + "/shot" + std::to_string(n) + ".jpg", ec));
        }
}

// A desktop under a photograph, its channel values a row each: grain everywhere, no two
// neighbours alike.
std::vector<std::vector<int>> Photograph() {
    constexpr int Width = 1920, Height = 1080;
    std::vector<std::vector<int>> rows(Height, std::vector<int>(3 * Width));
    std::uint32_t noise = 1;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 27);
            rows[y][3 * x] = x / 8 + grain;
            rows[y][3 * x + 1] = y / 5 + grain;
            rows[y][3 * x + 2] = (x + y) / 12 + grain;
        }
    return rows;
}

// The same picture through the general PNG writer, with its own choice of filters.
QByteArray GeneralPng(const std::vector<std::vector<int>>& rows) {
    QImage image(static_cast<int>(rows[0].size() / 3), static_cast<int>(rows.size()),
                 QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(rows[y][3 * x], rows[y][3 * x + 1], rows[y][3 * x + 2]));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// 0: every row Paeth-filtered, as wlroots' screenshot service writes its files; 1: libpng's
// choice of filters, as a general writer such as GNOME's makes them.
const QByteArray& PhotoScreenshot(int kind) {
    static const std::vector<std::vector<int>> photograph = Photograph();
    static const QByteArray paeth =
        QByteArray::fromStdString(FilteredPng(photograph, 2, [](int) { return 4; }));
    static const QByteArray general = GeneralPng(photograph);
    return kind == 0 ? paeth : general;
}

void DecodeScreenshot(benchmark::State& state) {
    const QByteArray& png = PhotoScreenshot(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        PngRoom room = ReservePngRoom(QSize(1920, 1080)); // made while the portal works
        state.ResumeTiming();
        if (DecodeScreenshotPng(png, &room).isNull())
            state.SkipWithError("not decoded");
    }
}

void QtDecodeScreenshot(benchmark::State& state) {
    const QByteArray& png = PhotoScreenshot(static_cast<int>(state.range(0)));
    for (auto _ : state)
        if (QImage::fromData(png).isNull())
            state.SkipWithError("not decoded");
}

} // namespace

BENCHMARK(SaveJpg)->Args({128, 127})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(BareTurboJpeg)->Args({128, 127})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(CreateFromPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(MemcpySameBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(Resample)->Args({1280, 960})->Args({320, 240})->Unit(benchmark::kMicrosecond);
BENCHMARK(ResampleScalarReference)
    ->Args({1280, 960})
    ->Args({320, 240})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(QtSmoothScale)->Args({1280, 960})->Args({320, 240})->Unit(benchmark::kMicrosecond);
BENCHMARK(SaveAutoNamedCrowded)->Unit(benchmark::kMillisecond);
BENCHMARK(ExistenceTestPerName)->Unit(benchmark::kMillisecond);
BENCHMARK(SavePhoneMockup)->Unit(benchmark::kMicrosecond);
BENCHMARK(SavePlainPngSkinSized)->Unit(benchmark::kMicrosecond);
BENCHMARK(DecodeScreenshot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(QtDecodeScreenshot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"SaveJpg/128/127", "BareTurboJpeg/128/127"},
                            {"SaveJpg/1920/1080", "BareTurboJpeg/1920/1080"},
                            {"CreateFromPicture", "MemcpySameBytes"},
                            {"Resample/1280/960", "ResampleScalarReference/1280/960"},
                            {"Resample/1280/960", "QtSmoothScale/1280/960"},
                            {"Resample/320/240", "ResampleScalarReference/320/240"},
                            {"Resample/320/240", "QtSmoothScale/320/240"},
                            {"SaveAutoNamedCrowded", "ExistenceTestPerName"},
                            {"SavePhoneMockup", "SavePlainPngSkinSized"},
                            {"DecodeScreenshot/0", "QtDecodeScreenshot/0"},
                            {"DecodeScreenshot/1", "QtDecodeScreenshot/1"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
