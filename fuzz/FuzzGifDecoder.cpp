// SPDX-License-Identifier: MIT

// Any bytes through the GIF decoder: no picture, or one within the picture limits whose
// pixels fill it exactly.
#include "backends/gif/GifDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Picture picture = DecodeGif(data, size);
    if (!picture)
        return 0;
    const long long w = picture->Width, h = picture->Height;
    if (w <= 0 || h <= 0 || w > MaxPictureSide || h > MaxPictureSide || w * h > MaxPicturePixels ||
        picture->Pixels.size() != static_cast<std::size_t>(w * h))
        std::abort();
    return 0;
}
