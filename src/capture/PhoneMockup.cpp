// SPDX-License-Identifier: MIT

#include "capture/PhoneMockup.h"

#include "skin/WindowShape.h"

#include <algorithm>
#include <new>

Picture ComposePhoneMockup(const Image& skin, const SkinRect& shot, const Image& capture) {
    if (skin.Width <= 0 || skin.Height <= 0)
        return nullptr;
    constexpr std::uint32_t Opaque = 0xff000000u;
    try {
        auto mockup = std::make_shared<Image>();
        mockup->Width = skin.Width;
        mockup->Height = skin.Height;
        mockup->Alpha = true;
        if (skin.Alpha) {
            // A picture with its own opacity keeps it, soft edges and shadows included.
            mockup->Pixels = skin.Pixels;
        } else {
            // See-through first; the colours stay for programs that ignore the opacity.
            mockup->Pixels.resize(skin.Pixels.size());
            std::transform(skin.Pixels.begin(), skin.Pixels.end(), mockup->Pixels.begin(),
                           [](std::uint32_t p) { return p & ~Opaque; });
            // The window's own outline, the hole left out, is opaque.
            for (const RegionRect& r : ComputeWindowShape(skin, shot))
                for (int y = r.Y; y < r.Y + r.Height; ++y) {
                    std::uint32_t* row = &mockup->At(r.X, y);
                    for (int x = 0; x < r.Width; ++x)
                        row[x] |= Opaque;
                }
        }
        // The capture in the shot area, as far as both reach within the picture.
        const int left = std::max<int>(shot.Left, 0), top = std::max<int>(shot.Top, 0);
        const int right =
            std::min({static_cast<int>(shot.Right), skin.Width, shot.Left + capture.Width});
        const int bottom =
            std::min({static_cast<int>(shot.Bottom), skin.Height, shot.Top + capture.Height});
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                mockup->At(x, y) = capture.At(x - shot.Left, y - shot.Top) | Opaque;
        return mockup;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
