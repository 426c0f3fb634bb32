#include "backends/gif/GifDecoder.h"

#include <cstring>
#include <memory>
#include <new>

#include <gif_lib.h>

namespace {

struct Source {
    const unsigned char* Data;
    std::size_t Size;
    std::size_t Pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
    auto* src = static_cast<Source*>(gif->UserData);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(length), src->Size - src->Pos);
    std::memcpy(out, src->Data + src->Pos, n);
    src->Pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

} // namespace

Picture DecodeGif(const unsigned char* data, std::size_t size) {
    Source source{data, size, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, ReadFromMemory, &error));
    if (!gif)
        return nullptr;
    const int width = gif->SWidth, height = gif->SHeight;
    if (width <= 0 || height <= 0 || width > MaxPictureSide || height > MaxPictureSide ||
        static_cast<long long>(width) * height > MaxPicturePixels)
        return nullptr;
    if (DGifSlurp(gif.get()) != GIF_OK || gif->ImageCount < 1)
        return nullptr;

    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* map =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    if (!map || !frame.RasterBits)
        return nullptr;
    const auto colour = [map](int index) {
        if (index < 0 || index >= map->ColorCount)
            return Rgb(0, 0, 0);
        const GifColorType& c = map->Colors[index];
        return Rgb(c.Red, c.Green, c.Blue);
    };

    std::shared_ptr<Image> image;
    try {
        image = std::make_shared<Image>(width, height, colour(gif->SBackGroundColor));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const GifImageDesc& d = frame.ImageDesc;
    for (int y = 0; y < d.Height; ++y) {
        const int iy = d.Top + y;
        if (iy < 0 || iy >= height)
            continue;
        for (int x = 0; x < d.Width; ++x) {
            const int ix = d.Left + x;
            if (ix < 0 || ix >= width)
                continue;
            image->At(ix, iy) = colour(frame.RasterBits[static_cast<std::size_t>(y) * d.Width + x]);
        }
    }
    return image;
}
