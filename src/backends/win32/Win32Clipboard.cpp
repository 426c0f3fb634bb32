#include "backends/win32/Win32Clipboard.h"

#include "backends/win32/Win32Common.h"

bool Win32Clipboard::SetPicture(const Picture& picture) {
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
