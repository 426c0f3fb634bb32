// SPDX-License-Identifier: MIT

#pragma once

#include "backends/wayland/PortalScreenshot.h"
#include "platform/IScreen.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class WaylandClient;
struct WaylandOutput;

// The part of a grab that lies on one output: where it is on the desktop, the output's own
// logical rectangle that covers it, and what the output shows there.
struct OutputPart {
    const WaylandOutput* Output = nullptr;
    QRect Device;   // desktop device pixels
    QRect Logical;  // relative to the output's top-left corner, whole logical pixels
    QImage Picture; // the copy of Logical, RGB32, in the compositor's buffer pixels
};

// The screen of the live mode, in desktop device pixels (see WaylandOutput). Grabs go
// through the compositor's screencopy, else through the screenshot portal, whose picture is
// taken to cover the outputs' bounding box in the logical layout.
class LiveScreen : public IScreen {
  public:
    struct Readers {
        // Fills every part's picture; false when one could not be copied. Empty: the
        // compositor offers no screencopy.
        std::function<bool(std::vector<OutputPart>&)> ScreenCopy;
        // The whole desktop; empty: no portal to ask.
        std::function<PortalScreenshot::Result(QSize minimum)> Portal;
        // The output the compositor gives a new surface of ours; null if unknown.
        std::function<const WaylandOutput*()> StartOutput;
    };

    explicit LiveScreen(WaylandClient& client);
    LiveScreen(const std::vector<std::unique_ptr<WaylandOutput>>& outputs, Readers readers);

    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
    // The output the phone starts on: the compositor's choice for a new surface, learnt once
    // (again if that output goes); else the output at logical (0, 0), else the first.
    ScreenArea PrimaryScreen() const override;
    // The whole output the rectangle overlaps most: panels' exclusive zones are not told
    // to clients.
    ScreenArea WorkAreaOf(const ScreenArea& rect) const override;
    Picture Grab(int left, int top, int width, int height) override;

    // Why the last grab gave no picture, for the user; empty after a good one.
    const std::string& LastError() const { return lastError_; }
    std::string WhyNoPicture() const override { return lastError_; }

  private:
    const WaylandOutput* Primary() const;
    bool FromPortal(std::vector<OutputPart>& parts, bool screenCopyFailed);

    const std::vector<std::unique_ptr<WaylandOutput>>& outputs_;
    Readers readers_;
    mutable const WaylandOutput* primary_ = nullptr;
    mutable std::uint32_t primaryName_ = 0;
    std::string lastError_;
};
