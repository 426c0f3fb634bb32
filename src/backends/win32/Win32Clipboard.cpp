// SPDX-License-Identifier: MIT

#include "backends/win32/Win32Clipboard.h"

#include "backends/win32/Win32Common.h"
#include "backends/win32/Win32PictureCodec.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

// A movable memory block holding a header and the bytes after it; null when memory runs out.
HGLOBAL GlobalBlock(const void* header, std::size_t headerSize, const void* data,
                    std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, headerSize + size);
    if (!block)
        return nullptr;
    auto* bytes = static_cast<char*>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return nullptr;
    }
    if (headerSize)
        std::memcpy(bytes, header, headerSize);
    if (size)
        std::memcpy(bytes + headerSize, data, size);
    GlobalUnlock(block);
    return block;
}

// The picture as a CF_DIBV5 block: 32-bit rows bottom-up, with an alpha mask.
HGLOBAL DibV5Block(const Image& image) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = image.Width;
    header.bV5Height = image.Height;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5SizeImage = static_cast<DWORD>(image.Pixels.size() * 4);
    header.bV5RedMask = 0x00ff0000u;
    header.bV5GreenMask = 0x0000ff00u;
    header.bV5BlueMask = 0x000000ffu;
    header.bV5AlphaMask = 0xff000000u;
    header.bV5CSType = 0x73524742; // LCS_sRGB, 'sRGB'
    header.bV5Intent = LCS_GM_IMAGES;
    std::vector<std::uint32_t> rows;
    rows.reserve(image.Pixels.size());
    for (int y = image.Height - 1; y >= 0; --y) {
        const std::uint32_t* row = image.Pixels.data() + static_cast<std::size_t>(y) * image.Width;
        rows.insert(rows.end(), row, row + image.Width);
    }
    return GlobalBlock(&header, sizeof header, rows.data(), rows.size() * 4);
}

// Hands a block to the open clipboard, which then owns it; frees it when refused.
bool Give(UINT format, HGLOBAL block) {
    if (block && SetClipboardData(format, block))
        return true;
    if (block)
        GlobalFree(block);
    return false;
}

bool SetWithOpacity(const Picture& picture) {
    HGLOBAL dib = nullptr;
    HGLOBAL png = nullptr;
    try {
        dib = DibV5Block(*picture);
        std::vector<std::uint8_t> bytes;
        if (Win32PictureCodec().EncodePng(picture, bytes))
            png = GlobalBlock(nullptr, 0, bytes.data(), bytes.size());
    } catch (const std::bad_alloc&) {
    }
    if (!OpenClipboard(nullptr)) {
        for (HGLOBAL block : {dib, png})
            if (block)
                GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool given = Give(CF_DIBV5, dib);
    Give(RegisterClipboardFormatA("PNG"), png);
    CloseClipboard();
    return given;
}

} // namespace

bool Win32Clipboard::SetPicture(const Picture& picture) {
    if (picture && picture->Alpha && picture->Width > 0 && picture->Height > 0)
        return SetWithOpacity(picture);
    HBITMAP bitmap = ToBitmap(picture);
    if (!bitmap)
        return false;
    bool given = false;
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        // From here on the clipboard owns the bitmap.
        given = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
        CloseClipboard();
    }
    if (!given)
        DeleteObject(bitmap);
    return given;
}
