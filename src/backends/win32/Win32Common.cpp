// SPDX-License-Identifier: MIT

#include "backends/win32/Win32Common.h"

#include <algorithm>
#include <cstring>
#include <vector>

HINSTANCE ModuleInstance() {
    return GetModuleHandleA(nullptr);
}

std::string ResourceBytes(int id) {
    HRSRC found = FindResourceA(ModuleInstance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    HGLOBAL loaded = found ? LoadResource(ModuleInstance(), found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    return std::string(static_cast<const char*>(data), SizeofResource(ModuleInstance(), found));
}

HCURSOR HandCursor() {
    static const HCURSOR hand = [] {
        HCURSOR own =
            static_cast<HCURSOR>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(HandCursorResource),
                                            IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
        return own ? own : LoadCursor(nullptr, IDC_HAND);
    }();
    return hand;
}

BITMAPINFO DibInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HRGN ToRegionHandle(const Region& region) {
    // One call for the whole outline: a region data block of all the rectangles.
    std::vector<char> block(sizeof(RGNDATAHEADER) + region.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(block.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(region.size());
    data->rdh.nRgnSize = static_cast<DWORD>(region.size() * sizeof(RECT));
    RECT bounds{0, 0, 0, 0};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (std::size_t i = 0; i < region.size(); ++i) {
        const RegionRect& r = region[i];
        rects[i] = RECT{r.X, r.Y, r.X + r.Width, r.Y + r.Height};
        if (i == 0) {
            bounds = rects[i];
        } else {
            bounds.left = std::min(bounds.left, rects[i].left);
            bounds.top = std::min(bounds.top, rects[i].top);
            bounds.right = std::max(bounds.right, rects[i].right);
            bounds.bottom = std::max(bounds.bottom, rects[i].bottom);
        }
    }
    data->rdh.rcBound = bounds;
    HRGN handle = ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), data);
    return handle ? handle : CreateRectRgn(0, 0, 0, 0);
}

HBITMAP ToBitmap(const Picture& picture) {
    if (!picture || picture->Width <= 0 || picture->Height <= 0)
        return nullptr;
    const BITMAPINFO info = DibInfo(picture->Width, picture->Height);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, picture->Width, picture->Height);
    if (bitmap)
        SetDIBits(screen, bitmap, 0, static_cast<UINT>(picture->Height), picture->Pixels.data(),
                  &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

std::string WindowsLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF and LF CR are one break, as is a lone CR or LF.
            const char next = i + 1 < text.size() ? text[i + 1] : '\0';
            if ((next == '\r' || next == '\n') && next != c)
                ++i;
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

void SetClientSize(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOver(HWND window, HWND owner) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner && IsWindowVisible(owner))
        GetWindowRect(owner, &area);
    RECT own{};
    GetWindowRect(window, &own);
    const int w = own.right - own.left, h = own.bottom - own.top;
    int x = (area.left + area.right - w) / 2, y = (area.top + area.bottom - h) / 2;
    // Kept on the screen where the owner sits near an edge.
    x = std::max(0, std::min(x, GetSystemMetrics(SM_CXSCREEN) - w));
    y = std::max(0, std::min(y, GetSystemMetrics(SM_CYSCREEN) - h));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
