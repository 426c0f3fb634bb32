// SPDX-License-Identifier: MIT

#include "backends/gif/GifDecoder.h"
#include "backends/qt/QtConvert.h"
#include "backends/qt/QtMainWindow.h"
#include "backends/qt/QtPictureCodec.h"
#include "backends/qt/QtShell.h"
#include "capture/SaveCommands.h"
#include "fakes/FakePlatform.h"
#include "imaging/JpegDecode.h"
#include "platform/IMainWindowListener.h"
#include "skin/LoadSkin.h"
#include "skin/WindowShape.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gif_lib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A 4 x 2 GIF: white (flagged transparent) around opaque black and one red pixel.
std::string FlaggedGif(const std::string& path) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    GifColorType colours[4] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 4, 2, 2, 0, map);
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 0;
    GifByteType ext[4];
    const size_t n = EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext);
    EGifPutImageDesc(gif, 0, 0, 4, 2, false, nullptr);
    GifPixelType rows[2][4] = {{0, 1, 1, 0}, {0, 2, 1, 0}};
    EGifPutLine(gif, rows[0], 4);
    EGifPutLine(gif, rows[1], 4);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return path;
}

// A GIF of the given screen size whose frames, of the given sizes, are red with a blue
// first pixel; interlaced, blue above the middle row and red from it.
std::string FramedGif(const std::string& path, int width, int height,
                      const std::vector<std::pair<int, int>>& frames, bool interlaced = false) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    GifColorType colours[2] = {{255, 0, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    EGifPutScreenDesc(gif, width, height, 1, 0, map);
    for (auto [w, h] : frames) {
        EGifPutImageDesc(gif, 0, 0, w, h, interlaced, nullptr);
        std::vector<int> rows; // in the order the file holds them
        for (auto [first, step] :
             interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                        : std::vector<std::pair<int, int>>{{0, 1}})
            for (int y = first; y < h; y += step)
                rows.push_back(y);
        for (int y : rows) {
            std::vector<GifPixelType> row(static_cast<std::size_t>(w), interlaced && y < h / 2);
            row[0] = !interlaced || y < h / 2;
            EGifPutLine(gif, row.data(), w);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return path;
}

// A flat grey progressive JPEG of the given size with its last scan repeated until it has
// the given number of scans, and the given number of comment segments after its start.
QByteArray CostlyJpeg(int width, int height, int scans, int comments = 0) {
    QImage grey(width, height, QImage::Format_Grayscale8);
    grey.fill(128);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(grey);
    const qsizetype last = bytes.lastIndexOf("\xFF\xDA");
    const QByteArray scan = bytes.mid(last, bytes.size() - 2 - last);
    QByteArray jpeg = bytes.left(bytes.size() - 2);
    for (qsizetype n = bytes.count("\xFF\xDA"); n < scans; ++n)
        jpeg += scan;
    return jpeg.insert(2, QByteArray("\xFF\xFE\0\3c", 5).repeated(comments)) + "\xFF\xD9";
}

// A 1 x 1 grey PNG holding the given number of compressed texts of 4 MB each.
QByteArray PngWithTexts(int texts) {
    const auto chunk = [](const char* type, const QByteArray& data) {
        const QByteArray body = type + data;
        std::uint32_t crc = 0xFFFFFFFFu;
        for (const char c : body) {
            crc ^= static_cast<unsigned char>(c);
            for (int bit = 0; bit < 8; ++bit)
                crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        const auto be = [](std::uint32_t v) {
            const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
            return QByteArray(b, 4);
        };
        return be(static_cast<std::uint32_t>(data.size())) + body + be(~crc);
    };
    const QByteArray text =
        QByteArray("Comment\0\0", 9) + qCompress(QByteArray(4 << 20, 'a')).mid(4);
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", QByteArray("\0\0\0\1\0\0\0\1\x08\0\0\0\0", 13)) +
           chunk("zTXt", text).repeated(texts) +
           chunk("IDAT", qCompress(QByteArray("\0\x80", 2)).mid(4)) + chunk("IEND", {});
}

// How much the resident memory grows while the call runs, in MiB, measured in a child.
long GrowthMiB(const std::function<void()>& call) {
    const pid_t child = ::fork();
    if (child == 0) {
        const auto kib = [](const char* key) {
            std::ifstream status("/proc/self/status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind(key, 0) == 0)
                    return std::stol(line.substr(std::strlen(key)));
            return 0L;
        };
        const long before = kib("VmRSS:");
        call();
        ::_exit(static_cast<int>(std::min(255L, (kib("VmHWM:") - before) >> 10)));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

Picture DecodedBuiltinSkin() {
    QFile f(":/tarvik/skin.gif");
    f.open(QIODevice::ReadOnly);
    return QtPictureCodec::Decode(f.readAll());
}

} // namespace

TEST(GifDecoding, FlaggedTransparentColourKeepsItsPaletteColour) {
    TempFolder t;
    QtPictureCodec codec;
    const Picture p = codec.LoadPicture(FlaggedGif(t.Path() + "/flagged.gif"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->At(0, 0), Rgb(255, 255, 255));
    EXPECT_EQ(p->At(1, 0), Rgb(0, 0, 0));
    EXPECT_EQ(p->At(1, 1), Rgb(255, 0, 0));
    // So the outline keeps the black body and drops only the white.
    EXPECT_EQ(ComputeWindowShape(*p, AbsentRect), (Region{{1, 0, 2, 2}}));
}

TEST(GifDecoding, OnlyTheFirstFrameIsDecodedAndOnlyWithinThePictureLimits) {
    TempFolder t;
    QtPictureCodec codec;
    // A small screen with a frame beyond the limits, which would be decoded in full.
    EXPECT_FALSE(codec.LoadPicture(FramedGif(t.Path() + "/wide.gif", 1, 1, {{16385, 1}})));
    EXPECT_FALSE(codec.LoadPicture(FramedGif(t.Path() + "/tall.gif", 1, 1, {{1, 16385}})));
    // Later frames are never decoded, whatever their size.
    const Picture p =
        codec.LoadPicture(FramedGif(t.Path() + "/later.gif", 2, 1, {{2, 1}, {16385, 1}, {2, 1}}));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->Pixels, (std::vector<std::uint32_t>{Rgb(0, 0, 255), Rgb(255, 0, 0)}));
    // An interlaced frame's rows come back in their places.
    const Picture rows = codec.LoadPicture(FramedGif(t.Path() + "/rows.gif", 1, 8, {{1, 8}}, true));
    ASSERT_TRUE(rows);
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(rows->At(0, y), y < 4 ? Rgb(0, 0, 255) : Rgb(255, 0, 0)) << y;
}

TEST(BuiltinSkin, IsTheDocumentedPictureWithItsDisplayUnderTheShotArea) {
    const Picture skin = DecodedBuiltinSkin();
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->Width, 193);
    EXPECT_EQ(skin->Height, 448);
    EXPECT_EQ(skin->At(0, 0), Rgb(255, 255, 255));
    for (int y = 88; y < 215; ++y)
        for (int x = 33; x < 161; ++x)
            ASSERT_EQ(skin->At(x, y), Rgb(252, 254, 252)) << x << "," << y;
    // No near-white fringe: every kept pixel is clearly darker than the key.
    for (std::uint32_t p : skin->Pixels) {
        const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        if ((p & 0xffffff) != 0xffffff && (p & 0xffffff) != 0xfcfefc) {
            ASSERT_LT(r + g + b, 3 * 250) << std::hex << p;
        }
    }
    // The close button, the soft keys and the name strip are drawn, not key-coloured.
    for (auto [x, y] : {std::pair{157, 30}, {46, 261}, {150, 261}, {97, 51}})
        EXPECT_NE(skin->At(x, y) & 0xffffff, 0xffffffu) << x << "," << y;
}

TEST(SampleSkins, EachLoadsWithTheRectanglesItsFileGives) {
    TempFolder t;
    const std::string skins = std::string(TARVIK_SOURCE_DIR) + "/skins/";
    QtPictureCodec codec;
    FakeDialogs dialogs;
    SkinLayout layout;
    SkinCatalogue catalogue;
    Picture picture1, builtin = DecodedBuiltinSkin();
    BuildSkinList(catalogue, skins);
    ASSERT_GE(catalogue.Count, 6);

    struct Expected {
        const char* name;
        SkinRect shot, close, save, saveas;
    };
    for (const Expected& e : {Expected{"Aqua.inf",
                                       {26, 70, 202, 214},
                                       {196, 16, 210, 30},
                                       {24, 262, 68, 282},
                                       {160, 262, 204, 282}},
                              Expected{"Graphite.inf",
                                       {33, 88, 161, 215},
                                       {149, 22, 165, 38},
                                       {26, 251, 66, 271},
                                       {130, 251, 170, 271}},
                              Expected{"Retro.inf",
                                       {30, 64, 126, 129},
                                       {128, 14, 142, 28},
                                       {22, 170, 58, 188},
                                       {98, 170, 134, 188}},
                              // Today's devices, see-through by their alpha channel.
                              Expected{"Slate360.inf",
                                       {17, 39, 377, 819},
                                       {355, 11, 371, 27},
                                       {25, 831, 109, 855},
                                       {285, 831, 369, 855}},
                              Expected{"Slate390.inf",
                                       {19, 41, 409, 885},
                                       {387, 12, 403, 28},
                                       {27, 898, 111, 922},
                                       {317, 898, 401, 922}},
                              Expected{"Tablet.inf",
                                       {43, 43, 1067, 763},
                                       {1045, 13, 1061, 29},
                                       {51, 775, 135, 799},
                                       {975, 775, 1059, 799}}}) {
        std::int16_t n = 0;
        for (std::int16_t k = 1; k <= catalogue.Count; ++k)
            if (catalogue.Names[k] == e.name)
                n = k;
        ASSERT_NE(n, 0) << e.name;
        SkinContext context{layout, catalogue, picture1, builtin, codec, dialogs, skins};
        LoadSkin(n, context);
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
        EXPECT_EQ(catalogue.Current, n);
        EXPECT_EQ(layout.ShotRect, e.shot) << e.name;
        EXPECT_EQ(layout.CloseRect, e.close) << e.name;
        EXPECT_EQ(layout.SaveRect, e.save) << e.name;
        EXPECT_EQ(layout.SaveAsRect, e.saveas) << e.name;
        EXPECT_NE(layout.SkinImage, builtin);
    }
}

TEST(PictureCodec, RefusesWhatIsNotAnOrdinaryPictureFileQuickly) {
    TempFolder t;
    QtPictureCodec codec;
    const std::string fifo = t.Path() + "/fifo.bmp";
    ::mkfifo(fifo.c_str(), 0600);
    std::string bmp(54, '\0'); // a BMP header claiming 30000 x 30000 pixels
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 54;
    bmp[14] = 40;
    bmp[18] = static_cast<char>(30000 & 255);
    bmp[19] = static_cast<char>(30000 >> 8);
    bmp[22] = static_cast<char>(30000 & 255);
    bmp[23] = static_cast<char>(30000 >> 8);
    bmp[26] = 1;
    bmp[28] = 24;
    for (const std::string& path :
         {t.Path(), fifo, std::string("/dev/zero"), t.Write("empty.bmp", ""),
          t.Write("text.bmp", "this is not a picture"), t.Write("huge.bmp", bmp),
          t.Write("xpm.bmp", "/* XPM */\nstatic char*x[]={\"1 1 1 1\",\"a c #ff0000\",\"a\"};"),
          t.Write("cut.gif", "GIF89a\x10\x00"), t.Path() + "/missing.png"})
        EXPECT_FALSE(codec.LoadPicture(path)) << path;
}

TEST(SkinPictures, AnythingButAnOrdinaryPictureGivesTheImageMessage) {
    TempFolder t;
    const std::string skins = t.Path() + "/skins/";
    std::filesystem::create_directories(skins + "folder.bmp");
    ::mkfifo((skins + "fifo.bmp").c_str(), 0600);
    t.Write("skins/empty.bmp", "");
    t.Write("skins/text.bmp", "not a picture at all");
    // A PNG header that claims 30000 x 30000 pixels.
    const char png[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x75\x30\0\0\x75\x30\x08\x02\0\0\0";
    t.Write("skins/huge.png", std::string(png, sizeof png - 1));
    QtPictureCodec codec;
    const Picture builtin = DecodedBuiltinSkin();
    std::string devZero = "dev/zero"; // names are joined to the skins folder: climb to the root
    for (int i = 0; i < 40; ++i)
        devZero = "../" + devZero;
    for (const std::string& image :
         {std::string("folder.bmp"), std::string("fifo.bmp"), devZero, std::string("empty.bmp"),
          std::string("text.bmp"), std::string("huge.png"), std::string("missing.gif")}) {
        t.Write("skins/Bad.inf", "image = " + image +
                                     "\r\nshot = (1,1,1,1)\r\nclose = (1,1,1,1)\r\n"
                                     "save = (1,1,1,1)\r\nsaveas = (1,1,1,1)\r\n");
        FakeDialogs dialogs;
        SkinLayout layout;
        SkinCatalogue catalogue;
        Picture picture1;
        BuildSkinList(catalogue, skins);
        SkinContext context{layout, catalogue, picture1, builtin, codec, dialogs, skins};
        LoadSkin(1, context);
        ASSERT_EQ(dialogs.messages.size(), 1u) << image;
        EXPECT_EQ(dialogs.messages[0],
                  "Error Loading Image " + skins + image + "\r\nSwitch to default skin");
        EXPECT_EQ(layout.SkinImage, builtin);
    }
}

TEST(PictureCodec, TruncatedPicturesAreRefused) {
    TempFolder t;
    QImage picture(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            picture.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) & 255));
    QtPictureCodec codec;
    for (const char* format : {"bmp", "jpg", "png"}) {
        const std::string path = t.Path() + "/whole." + format;
        ASSERT_TRUE(picture.save(QString::fromStdString(path), format)) << format;
        ASSERT_TRUE(codec.LoadPicture(path)) << format;
        const std::string bytes = ReadFile(path);
        // Cut anywhere; a BMP or a JPEG also short of its last two bytes.
        const bool last = format == std::string("bmp") || format == std::string("jpg");
        for (const std::size_t size :
             {bytes.size() / 3, bytes.size() / 2, bytes.size() - (last ? 2 : bytes.size() / 3)})
            EXPECT_FALSE(
                codec.LoadPicture(t.Write(std::string("cut.") + format, bytes.substr(0, size))))
                << format << " cut to " << size << " of " << bytes.size() << " bytes";
    }
}

TEST(PictureCodec, PicturesThatWouldCostTooMuchToDecodeAreRefusedQuickly) {
    const Picture fine = QtPictureCodec::Decode(CostlyJpeg(64, 64, 500));
    ASSERT_TRUE(fine);
    EXPECT_EQ(fine->At(5, 5), Rgb(128, 128, 128));
    // Each scan is decoded over the whole picture, and each comment added to the end of a
    // list walked from its start: seconds of work from a few hundred kilobytes.
    for (const auto& [what, jpeg] :
         {std::pair{"20,000 scans", CostlyJpeg(256, 256, 20000)},
          std::pair{"200 scans of 4096 x 4096", CostlyJpeg(4096, 4096, 200)},
          std::pair{"20,000 comments", CostlyJpeg(64, 64, 6, 20000)}}) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(QtPictureCodec::Decode(jpeg)) << what;
        EXPECT_LT(timer.elapsed(), 200) << what;
    }
    // Compressed texts are inflated and kept several times over: 800 MB from a PNG of
    // 160 KB. The picture needs none of them.
    const QByteArray png = PngWithTexts(40);
    EXPECT_LT(GrowthMiB([&] {
                  const Picture p = QtPictureCodec::Decode(png);
                  if (!p || p->At(0, 0) != Rgb(128, 128, 128))
                      ::_exit(255);
              }),
              64);
}

TEST(PictureCodec, BmpWrittenOrStoredTopDownDecodesToExactlyTheSamePixels) {
    TempFolder t;
    auto picture = std::make_shared<Image>(127, 33);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 127; ++x)
            picture->At(x, y) = Rgb(x * 2, y * 7, (x ^ y) & 255);
    QtPictureCodec codec;
    std::vector<unsigned char> bytes;
    const WriteResult encoded = codec.EncodeBmp(picture, bytes);
    ASSERT_TRUE(encoded) << encoded.Reason;
    const Picture back =
        codec.LoadPicture(t.Write("shot.bmp", std::string(bytes.begin(), bytes.end())));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Width, 127);
    EXPECT_EQ(back->Pixels, picture->Pixels);
    // The same rows stored top-down, as a negative height says: Qt reports that height as it is.
    std::string topDown(bytes.begin(), bytes.end());
    const std::size_t start = static_cast<unsigned char>(topDown[10]), row = (127 * 3 + 3) / 4 * 4;
    for (int y = 0; y < 33; ++y)
        topDown.replace(start + y * row, row,
                        reinterpret_cast<const char*>(bytes.data()) + start + (32 - y) * row, row);
    topDown.replace(22, 4, "\xDF\xFF\xFF\xFF"); // -33
    const Picture flipped = codec.LoadPicture(t.Write("top-down.bmp", topDown));
    ASSERT_TRUE(flipped);
    EXPECT_EQ(flipped->Pixels, picture->Pixels);
    EXPECT_EQ(codec.EncodeBmp(nullptr, bytes).Reason, "No picture loaded to save.");
}

TEST(QtConvert, RunningOutOfMemoryGivesNoPictureRatherThanAnAbort) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    const QImage grabbed(4096, 4096, QImage::Format_RGB32); // 64 MiB
    const pid_t child = ::fork();
    if (child == 0) {
        // Room for 32 MiB more, where the copy needs 64.
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t used = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::getpagesize());
        const rlimit limit{used + (32u << 20), used + (32u << 20)};
        ::setrlimit(RLIMIT_AS, &limit);
        ::_exit(ToPicture(grabbed) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(FileNames, AreTheirBytesWhateverTheirEncoding) {
    TempFolder t;
    // A folder and a name in Latin-1 (not UTF-8), and a UTF-8 name with blanks.
    const std::string folder = t.Path() + "/caf\xE9";
    const std::string skins = folder + "/skins/";
    QtPictureCodec codec;
    std::vector<unsigned char> bmp;
    ASSERT_TRUE(codec.EncodeBmp(std::make_shared<Image>(40, 30, Rgb(1, 2, 3)), bmp));
    for (const std::string name : {"bild-\xE4", "K\xC3\xA4ytt\xC3\xA4j\xC3\xA4n kuva"}) {
        t.Write("caf\xE9/skins/" + name + ".bmp", std::string(bmp.begin(), bmp.end()));
        t.Write("caf\xE9/skins/" + name + ".inf",
                "image = " + name +
                    ".bmp\r\nshot = (1,1,8,8)\r\nclose = (1,1,2,2)\r\n"
                    "save = (1,1,2,2)\r\nsaveas = (1,1,2,2)\r\n");
    }
    FakeDialogs dialogs;
    SkinLayout layout;
    SkinCatalogue catalogue;
    Picture picture1;
    const Picture builtin = DecodedBuiltinSkin();
    BuildSkinList(catalogue, skins);
    ASSERT_EQ(catalogue.Count, 2);
    SkinContext skin{layout, catalogue, picture1, builtin, codec, dialogs, skins};
    for (std::int16_t n = 1; n <= 2; ++n) {
        LoadSkin(n, skin);
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{});
        ASSERT_TRUE(layout.SkinImage != builtin) << catalogue.Names[n];
        EXPECT_EQ(layout.SkinImage->Width, 40);
    }

    AppSettings settings;
    settings.JpegQuality = 90;
    std::int16_t counter = 1;
    dialogs.answers = {{true, folder + "/bild-\xE4.bmp", 1}, {true, folder + "/bild-\xE4.jpg", 0}};
    SaveContext save{picture1, settings, counter, dialogs, codec, [] {}, ""};
    SaveAs(save);
    SaveAs(save);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{});
    EXPECT_TRUE(codec.LoadPicture(folder + "/bild-\xE4.bmp"));
    EXPECT_TRUE(codec.LoadPicture(folder + "/bild-\xE4.jpg"));
    EXPECT_EQ(QtShell::UrlFor("/opt/caf\xE9 x/readme.htm").toEncoded(),
              "file:///opt/caf%E9%20x/readme.htm");
}

TEST(QtMainWindow, MaskIsTheRegionAndGeometryIsInTwips) {
    FakeScreen screen;
    QtMainWindow window(screen);
    window.Resize(193 * 15, 448 * 15);
    window.Move(150, 300);
    const Picture skin = DecodedBuiltinSkin();
    const Region region = ComputeWindowShape(*skin, SkinRect{33, 88, 161, 215});
    window.SetRegion(region);
    EXPECT_EQ(window.width(), 193);
    EXPECT_EQ(window.Left(), 150);
    EXPECT_EQ(window.Top(), 300);
    QRegion expected;
    for (const RegionRect& r : region)
        expected += QRect(r.X, r.Y, r.Width, r.Height);
    EXPECT_EQ(window.mask(), expected);
    EXPECT_FALSE(window.mask().contains(QPoint(33, 88)));
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(window.mask().contains(QPoint(32, 88)));
}

// A pointer event that the server made before it applied the last move carries a stale
// window-local position; the window reports the pointer from where it was placed.
TEST(QtMainWindow, PointerIsMeasuredFromThePlacedWindowNotTheEventsOwnPosition) {
    struct Listener : IMainWindowListener {
        std::vector<std::pair<float, float>> at;
        void Form_MouseDown(std::int16_t, std::int16_t, float X, float Y) override {
            at.emplace_back(X, Y);
        }
        void Form_MouseMove(std::int16_t, std::int16_t, float X, float Y) override {
            at.emplace_back(X, Y);
        }
        void Form_MouseUp(std::int16_t, std::int16_t, float, float) override {}
        void Form_DblClick(float, float) override {}
        void Form_MouseLeave() override {}
        void Form_KeyDown(std::int16_t, std::int16_t) override {}
        void Button_Press(int) override {}
        void Form_Unload() override {}
    } listener;
    FakeScreen screen;
    QtMainWindow window(screen);
    window.SetListener(&listener);
    window.Resize(193 * 15, 448 * 15);
    window.Move(100 * 15, 200 * 15);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 330), QPointF(20, 330),
                      QPointF(120, 530), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    window.Move(140 * 15, 220 * 15);
    // Made while the window was still at (100, 200).
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 360), QPointF(100, 360), QPointF(200, 560),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &move);
    EXPECT_EQ(window.Left(), 140 * 15);
    const std::vector<std::pair<float, float>> expected{{20 * 15, 330 * 15}, {60 * 15, 340 * 15}};
    EXPECT_EQ(listener.at, expected);
}

int main(int argc, char** argv) {
    // Widget tests need no display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
