// SPDX-License-Identifier: MIT

#include "backends/win32/Win32Screen.h"

#include "backends/win32/Win32Common.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

namespace {

double TwipsPerPixel(int dotsPerInch) {
    return dotsPerInch > 0 ? 1440.0 / dotsPerInch : 15.0;
}

// The system palette as a logical palette, for displays of 256 palette colours.
HPALETTE SystemPalette(HDC screen) {
    if (!(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) ||
        GetDeviceCaps(screen, SIZEPALETTE) != 256)
        return nullptr;
    std::vector<char> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = 256;
    GetSystemPaletteEntries(screen, 0, 256, palette->palPalEntry);
    return CreatePalette(palette);
}

} // namespace

Win32Screen::Win32Screen() {
    HDC screen = GetDC(nullptr);
    twipsPerPixelX_ = TwipsPerPixel(GetDeviceCaps(screen, LOGPIXELSX));
    twipsPerPixelY_ = TwipsPerPixel(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
}

// The primary monitor's top-left corner is the desktop's origin on Windows.
ScreenArea Win32Screen::PrimaryScreen() const {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN) * twipsPerPixelX_,
            GetSystemMetrics(SM_CYSCREEN) * twipsPerPixelY_};
}

// The monitor the rectangle overlaps most (or the nearest), less the taskbar.
ScreenArea Win32Screen::WorkAreaOf(const ScreenArea& rect) const {
    const double tx = twipsPerPixelX_, ty = twipsPerPixelY_;
    const auto left = static_cast<LONG>(rect.Left / tx), top = static_cast<LONG>(rect.Top / ty);
    const RECT wanted{left, top, left + static_cast<LONG>(rect.Width / tx),
                      top + static_cast<LONG>(rect.Height / ty)};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &info))
        return PrimaryScreen();
    const RECT& w = info.rcWork;
    return {w.left * tx, w.top * ty, (w.right - w.left) * tx, (w.bottom - w.top) * ty};
}

Picture Win32Screen::Grab(int left, int top, int width, int height) {
    if (width <= 0 || height <= 0)
        return nullptr;
    // The picture first: running out of memory for it is a failed grab, with nothing to free.
    std::shared_ptr<Image> image;
    try {
        image = std::make_shared<Image>(width, height, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    if (!memory || !bitmap) {
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return nullptr;
    }
    HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
    HPALETTE palette = SystemPalette(screen);
    HPALETTE previousPalette = nullptr;
    if (palette) {
        previousPalette = SelectPalette(memory, palette, FALSE);
        RealizePalette(memory);
    }

    // Parts on no screen stay black; the rest is one plain copy of the desktop.
    PatBlt(memory, 0, 0, width, height, BLACKNESS);
    const int deskLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int deskTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int deskRight = deskLeft + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int deskBottom = deskTop + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int x0 = std::max(left, deskLeft), y0 = std::max(top, deskTop);
    const int x1 = std::min(left + width, deskRight), y1 = std::min(top + height, deskBottom);
    if (x0 < x1 && y0 < y1)
        BitBlt(memory, x0 - left, y0 - top, x1 - x0, y1 - y0, screen, x0, y0, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, previousBitmap);

    BITMAPINFO info = DibInfo(width, height);
    const bool read = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), image->Pixels.data(),
                                &info, DIB_RGB_COLORS) == height;
    for (std::uint32_t& pixel : image->Pixels)
        pixel |= 0xff000000u;

    if (palette) {
        SelectPalette(memory, previousPalette, FALSE);
        DeleteObject(palette);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return read ? Picture(std::move(image)) : nullptr;
}
