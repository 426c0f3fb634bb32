// SPDX-License-Identifier: MIT

// The window's own costs on a real X display, each beside its floor in the same run:
// the outline, a skin switch and Quick Save.
#include "RatioReporter.h"
#include "app/frmMain.h"
#include "backends/posix/FileSettingsStore.h"
#include "backends/qt/QtClipboard.h"
#include "backends/qt/QtConvert.h"
#include "backends/qt/QtDialogs.h"
#include "backends/qt/QtMainWindow.h"
#include "backends/qt/QtMenuService.h"
#include "backends/qt/QtPictureCodec.h"
#include "backends/qt/QtScreen.h"
#include "backends/qt/QtShell.h"
#include "backends/qt/QtWindowFactory.h"
#include "skin/WindowShape.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QRegion>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <turbojpeg.h>

namespace fs = std::filesystem;

// The main window lets its friend set the capture area directly.
struct MainAccess {
    static MainState& State(frmMain& main) { return main.state_; }
};

namespace {

Picture BuiltinSkin() {
    QFile f(":/tarvik/skin.gif");
    f.open(QIODevice::ReadOnly);
    return QtPictureCodec::Decode(f.readAll());
}

// The worst case for runs: a 50 % dither of the key colour.
Picture Dither(int side) {
    auto image = std::make_shared<Image>(side, side, Rgb(30, 30, 30));
    for (int y = 0; y < side; ++y)
        for (int x = (y & 1); x < side; x += 2)
            image->At(x, y) = Rgb(255, 255, 255);
    return image;
}

// What the main window does: the outline, then Qt's region of it.
QRegion Ours(const Image& image, const SkinRect& shot) {
    static Region region;
    ComputeWindowShape(image, shot, region);
    return ToQRegion(region);
}

// One single-pixel subtraction per key-coloured pixel, rows limited for the big cases.
QRegion Naive(const Image& image, const SkinRect& shot, int rows) {
    QRegion region(0, 0, image.Width, image.Height);
    const std::uint32_t key = image.At(0, 0) & 0xffffff;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < image.Width; ++x)
            if ((image.At(x, y) & 0xffffff) == key)
                region -= QRegion(x, y, 1, 1);
    return region.subtracted(
        QRegion(shot.Left, shot.Top, shot.Right - shot.Left, shot.Bottom - shot.Top));
}

const SkinRect BuiltinShot{33, 88, 161, 215};

void ShapeBuiltin(benchmark::State& state) {
    const Picture skin = BuiltinSkin();
    for (auto _ : state)
        benchmark::DoNotOptimize(Ours(*skin, BuiltinShot));
}

void ShapeBuiltinNaive(benchmark::State& state) {
    const Picture skin = BuiltinSkin();
    for (auto _ : state)
        benchmark::DoNotOptimize(Naive(*skin, BuiltinShot, skin->Height));
}

void ShapeBuiltinRegionOnly(benchmark::State& state) {
    const Picture skin = BuiltinSkin();
    Region region;
    for (auto _ : state) {
        ComputeWindowShape(*skin, BuiltinShot, region);
        benchmark::DoNotOptimize(region.data());
    }
}

void ShapeDither(benchmark::State& state) {
    const Picture dither = Dither(2000);
    Region region; // as the main window keeps it from one re-shape to the next
    for (auto _ : state) {
        ComputeWindowShape(*dither, SkinRect{100, 100, 228, 227}, region);
        benchmark::DoNotOptimize(region.data());
    }
}

// The floor: one pass that reads every pixel.
void ReadEveryPixel(benchmark::State& state) {
    const Picture dither = Dither(2000);
    for (auto _ : state) {
        const std::uint32_t key = dither->Pixels[0] & 0xffffff;
        std::size_t count = 0;
        for (std::uint32_t p : dither->Pixels)
            count += (p & 0xffffff) == key;
        benchmark::DoNotOptimize(count);
    }
}

// The naive region of the dither grows with every subtraction; its first rows are timed
// and the whole is reported per row (a lower bound: later rows cost more).
void ShapeDitherNaivePerRow(benchmark::State& state) {
    const Picture dither = Dither(2000);
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(Naive(*dither, SkinRect{0, 0, 0, 0}, rows));
    state.counters["rows"] = rows;
}

// A program folder with a 400 x 800 skin.
struct Program {
    Program() {
        folder = (fs::temp_directory_path() / "tarvik-bench-program").string();
        fs::create_directories(folder + "/skins");
        QImage picture(400, 800, QImage::Format_RGB32);
        picture.fill(Qt::white);
        for (int y = 20; y < 780; ++y)
            for (int x = 20 + (y % 7); x < 380; ++x)
                picture.setPixel(x, y, qRgb(40 + x % 50, 60, 90 + y % 80));
        picture.save(QString::fromStdString(folder + "/skins/big.png"));
        std::ofstream(folder + "/skins/Big.inf", std::ios::binary)
            << "image = big.png\r\nshot = (50, 60, 300, 500)\r\nclose = (360, 10, 20, 20)\r\n"
               "save = (60, 700, 60, 30)\r\nsaveas = (280, 700, 60, 30)\r\n";
    }
    std::string folder;
};

// The real main window with the Qt backend.
struct LiveWindow {
    LiveWindow()
        : store(program.folder + "/settings.reg"), window(screen), windows(screen, window),
          main(MainWindowPorts{window, screen, codec, dialogs, shell, store, menus, windows,
                               clipboard},
               BuiltinSkin(), program.folder, program.folder + "/captured") {
        store.WriteRegDword(HKEY_CURRENT_USER_ROOT, SettingsKey, "SkinCount", 1);
        store.WriteRegString(HKEY_CURRENT_USER_ROOT, SettingsKey, "SkinFile", "Default");
        store.WriteRegDword(HKEY_CURRENT_USER_ROOT, SettingsKey, "JPEG Quality", 90);
        store.WriteRegString(HKEY_CURRENT_USER_ROOT, SettingsKey, "Auto-save Path", ".\\captured");
        store.WriteRegString(HKEY_CURRENT_USER_ROOT, SettingsKey, "Auto-name Prefix", "shot");
        main.Form_Load();
        QApplication::processEvents();
    }
    Program program;
    QtScreen screen;
    QtPictureCodec codec;
    QtDialogs dialogs;
    QtShell shell;
    QtMenuService menus;
    QtClipboard clipboard;
    FileSettingsStore store;
    QtMainWindow window;
    QtWindowFactory windows;
    frmMain main;
};

// Made on first use, and gone before the application object is.
std::unique_ptr<LiveWindow> live;

LiveWindow& Live() {
    if (!live)
        live = std::make_unique<LiveWindow>();
    return *live;
}

void SkinSwitch(benchmark::State& state) {
    LiveWindow& window = Live();
    for (auto _ : state) {
        window.main.SwitchSkin(1);
        QApplication::processEvents();
    }
}

void DecodeSkinPicture(benchmark::State& state) {
    LiveWindow& window = Live();
    QtPictureCodec codec;
    for (auto _ : state)
        benchmark::DoNotOptimize(codec.LoadPicture(window.program.folder + "/skins/big.png"));
}

void QuickSave(benchmark::State& state) {
    LiveWindow& window = Live();
    window.main.SwitchSkin(0);
    const auto w = static_cast<std::int16_t>(state.range(0)),
               h = static_cast<std::int16_t>(state.range(1));
    window.window.Move(0, 0);
    MainAccess::State(window.main).Layout.ShotRect = SkinRect{0, 0, w, h};
    const std::string file = window.program.folder + "/captured/shot1.jpg";
    for (auto _ : state) {
        window.main.QuickSave();
        state.PauseTiming();
        fs::remove(file);
        state.ResumeTiming();
    }
}

// The floor: the same screen grab, one bare TurboJPEG compress and one file write.
void GrabCompressWrite(benchmark::State& state) {
    LiveWindow& window = Live();
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const std::string file = window.program.folder + "/floor.jpg";
    tjhandle handle = tjInitCompress();
    for (auto _ : state) {
        const Picture grab = window.screen.Grab(0, 0, w, h);
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        tjCompress2(handle, reinterpret_cast<const unsigned char*>(grab->Pixels.data()), w, w * 4,
                    h, TJPF_BGRX, &jpeg, &size, TJSAMP_444, 90, 0);
        std::FILE* f = std::fopen(file.c_str(), "wb");
        std::fwrite(jpeg, 1, size, f);
        std::fclose(f);
        tjFree(jpeg);
    }
    tjDestroy(handle);
}

} // namespace

BENCHMARK(ShapeBuiltin)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShapeBuiltinRegionOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShapeBuiltinNaive)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ShapeDither)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadEveryPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(ShapeDitherNaivePerRow)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(SkinSwitch)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeSkinPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(QuickSave)->Args({128, 127})->Args({1024, 768})->Unit(benchmark::kMicrosecond);
BENCHMARK(GrabCompressWrite)->Args({128, 127})->Args({1024, 768})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"ShapeBuiltinNaive/iterations:3", "ShapeBuiltin"},
                            {"ShapeDither", "ReadEveryPixel"},
                            {"SkinSwitch", "DecodeSkinPicture"},
                            {"QuickSave/128/127", "GrabCompressWrite/128/127"},
                            {"QuickSave/1024/768", "GrabCompressWrite/1024/768"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    live.reset();
    return 0;
}
