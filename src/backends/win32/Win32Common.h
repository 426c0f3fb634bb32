// SPDX-License-Identifier: MIT

#pragma once

// windows.h for the backend, without the macros that would rename our own methods.
#include <windows.h>
#undef MessageBox

#include "platform/Picture.h"
#include "platform/Region.h"

#include <string>

// Resource numbers of the compiled-in pictures.
inline constexpr int IconResource = 1;
inline constexpr int HandCursorResource = 101;
inline constexpr int SkinResource = 102;
inline constexpr int LogoResource = 103;

HINSTANCE ModuleInstance();
// The bytes of an RCDATA resource; empty when it is missing.
std::string ResourceBytes(int id);
// The hand pointer, hot spot at (7, 0).
HCURSOR HandCursor();

// A 32-bit top-down DIB header for a picture's pixels, which share its layout.
BITMAPINFO DibInfo(int width, int height);
// A region handle holding the rectangles; the caller owns it.
HRGN ToRegionHandle(const Region& region);
// A bitmap of the picture for the screen; null for a null picture.
HBITMAP ToBitmap(const Picture& picture);

// Any pairing of CR and LF as the CR LF the system's controls break lines at.
std::string WindowsLineBreaks(const std::string& text);
// The text of a window.
std::string WindowText(HWND window);
// Places a window so that its client area has the size, keeping its position.
void SetClientSize(HWND window, int width, int height);
// Centres a window over another, or over the screen when there is none.
void CentreOver(HWND window, HWND owner);
