// SPDX-License-Identifier: MIT

#include "backends/layer/LiveScreen.h"
#include "backends/layer/WaylandClient.h"

#include <gtest/gtest.h>

namespace {

// A at logical (0, 0) 100 x 80, scale 1; B beside it, 50 x 40 logical at scale 2, so its
// device pixels are (100, 0) 100 x 80.
std::vector<std::unique_ptr<WaylandOutput>> TwoOutputs() {
    std::vector<std::unique_ptr<WaylandOutput>> outputs;
    for (const auto& [name, logical, scale] :
         {std::tuple{1u, QRect(0, 0, 100, 80), 1}, std::tuple{2u, QRect(100, 0, 50, 40), 2}}) {
        auto output = std::make_unique<WaylandOutput>();
        output->Name = name;
        output->Logical = logical;
        output->Scale = scale;
        output->Ready = true;
        outputs.push_back(std::move(output));
    }
    return outputs;
}

// Every device pixel of the desktop tells where it is.
std::uint32_t DesktopAt(int x, int y) {
    return Rgb(x & 0xff, y & 0xff, 0x40 + x / 256);
}

// What screencopy gives: the output's pixels from its logical rectangle, in device pixels.
bool CopyDesktop(std::vector<OutputPart>& parts, std::vector<QRect>& asked) {
    for (OutputPart& part : parts) {
        asked.push_back(part.Logical);
        const int s = part.Output->Scale;
        const QPoint origin = part.Output->Device().topLeft() + part.Logical.topLeft() * s;
        part.Picture = QImage(part.Logical.size() * s, QImage::Format_RGB32);
        for (int y = 0; y < part.Picture.height(); ++y)
            for (int x = 0; x < part.Picture.width(); ++x)
                part.Picture.setPixel(x, y, DesktopAt(origin.x() + x, origin.y() + y));
    }
    return true;
}

// The grab of (95, 3) 20 x 90: on A, on B from an odd place, and below B on no output.
// A's pixels come from a picture at twice its scale in the portal's case.
void ExpectDesktop(const Picture& grab) {
    ASSERT_TRUE(grab);
    ASSERT_EQ(grab->Width, 20);
    ASSERT_EQ(grab->Height, 90);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 20; ++x) {
            const int dx = 95 + x, dy = 3 + y;
            const bool onA = dx < 100 && dy < 80, onB = dx >= 100 && dy < 80;
            const std::uint32_t expected = onA || onB ? DesktopAt(dx, dy) : Rgb(0, 0, 0);
            ASSERT_EQ(grab->At(x, y), expected) << "at device " << dx << "," << dy;
        }
}

TEST(LiveScreen, GrabCutsTheDevicePixelsOfEachOutputAndBlackOffThem) {
    const auto outputs = TwoOutputs();
    std::vector<QRect> asked;
    LiveScreen::Readers readers;
    readers.ScreenCopy = [&](std::vector<OutputPart>& parts) { return CopyDesktop(parts, asked); };
    LiveScreen screen(outputs, readers);
    ExpectDesktop(screen.Grab(95, 3, 20, 90));
    // B's device columns 100..114 and rows 3..79 are its logical 0..7 and 1..39.
    EXPECT_EQ(asked, (std::vector<QRect>{QRect(95, 3, 5, 77), QRect(0, 1, 8, 39)}));
    EXPECT_TRUE(screen.LastError().empty());
    EXPECT_FALSE(screen.Grab(0, 0, 0, 5));
}

TEST(LiveScreen, FailedScreenCopyFallsBackToThePortalElseSaysWhatIsMissing) {
    const auto outputs = TwoOutputs();
    LiveScreen::Readers readers;
    readers.ScreenCopy = [](std::vector<OutputPart>&) { return false; };
    // The portal's picture covers the logical layout (150 x 80) at the largest scale.
    QSize minimum;
    readers.Portal = [&](QSize wanted) {
        minimum = wanted;
        QImage desktop(300, 160, QImage::Format_RGB32);
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 300; ++x)
                desktop.setPixel(x, y, x >= 200 ? DesktopAt(x - 100, y) : DesktopAt(x / 2, y / 2));
        return PortalScreenshot::Result{desktop, {}};
    };
    LiveScreen screen(outputs, readers);
    ExpectDesktop(screen.Grab(95, 3, 20, 90));
    EXPECT_EQ(minimum, QSize(150, 80));

    readers.Portal = [](QSize) { return PortalScreenshot::Result{{}, "The portal is away."}; };
    LiveScreen failing(outputs, readers);
    EXPECT_FALSE(failing.Grab(95, 3, 20, 90));
    EXPECT_NE(failing.LastError().find("did not copy the screen"), std::string::npos);
    EXPECT_NE(failing.LastError().find("The portal is away."), std::string::npos);

    LiveScreen neither(outputs, {});
    EXPECT_FALSE(neither.Grab(95, 3, 20, 90));
    EXPECT_NE(neither.LastError().find("offers no screencopy"), std::string::npos);
    EXPECT_NE(neither.LastError().find("no screenshot portal"), std::string::npos);
}

TEST(LiveScreen, PrimaryIsWhereTheCompositorPutsANewSurfaceAndWorkAreasAreWholeOutputs) {
    const auto outputs = TwoOutputs();
    int probes = 0;
    LiveScreen::Readers readers;
    readers.StartOutput = [&]() -> const WaylandOutput* {
        ++probes;
        return outputs[1].get();
    };
    LiveScreen screen(outputs, readers);
    const ScreenArea b = screen.PrimaryScreen();
    EXPECT_EQ(b.Left, 1500);
    EXPECT_EQ(b.Width, 1500);
    EXPECT_EQ(b.Height, 1200);
    screen.PrimaryScreen();
    EXPECT_EQ(probes, 1);

    LiveScreen unknown(outputs, {});
    EXPECT_EQ(unknown.PrimaryScreen().Left, 0);

    // Mostly on B, then off every output nearest to B.
    EXPECT_EQ(screen.WorkAreaOf({90 * 15, 0, 40 * 15, 15}).Left, 1500);
    EXPECT_EQ(screen.WorkAreaOf({400 * 15, 10 * 15, 15, 15}).Left, 1500);
    EXPECT_EQ(screen.WorkAreaOf({10 * 15, 10 * 15, 15, 15}).Left, 0);
    EXPECT_EQ(screen.TwipsPerPixelX(), 15);
}

} // namespace
