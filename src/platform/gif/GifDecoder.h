#pragma once

#include "platform/Picture.h"

#include <cstddef>

// Largest picture decoded, per side and in all.
inline constexpr int MaxPictureSide = 16384;
inline constexpr long long MaxPicturePixels = 64LL * 1024 * 1024;

// Decodes the first frame of a GIF. Every pixel takes its palette colour, also where the
// file flags that colour as transparent: the window's outline follows colours alone.
Picture DecodeGif(const unsigned char* data, std::size_t size);
