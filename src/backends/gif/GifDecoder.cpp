// SPDX-License-Identifier: MIT

#include "backends/gif/GifDecoder.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

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

    // Up to the first frame's descriptor, passing over extensions. Later frames are never
    // read: an animation's first frame is its picture.
    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != IMAGE_DESC_RECORD_TYPE;) {
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK || record == TERMINATE_RECORD_TYPE)
            return nullptr;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK)
                return nullptr;
            while (block)
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK)
                    return nullptr;
        }
    }
    if (DGifGetImageDesc(gif.get()) != GIF_OK)
        return nullptr;
    // The frame is decoded whole, whatever part of it the screen shows: it must be a
    // picture the limits allow.
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0 || d.Width > MaxPictureSide || d.Height > MaxPictureSide ||
        static_cast<long long>(d.Width) * d.Height > MaxPicturePixels)
        return nullptr;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map)
        return nullptr;
    const auto colour = [map](int index) {
        if (index < 0 || index >= map->ColorCount)
            return Rgb(0, 0, 0);
        const GifColorType& c = map->Colors[index];
        return Rgb(c.Red, c.Green, c.Blue);
    };

    std::shared_ptr<Image> image;
    std::vector<GifPixelType> row;
    try {
        image = std::make_shared<Image>(width, height, colour(gif->SBackGroundColor));
        row.resize(static_cast<std::size_t>(d.Width));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    // Rows come in file order: an interlaced frame stores every 8th row from 0, every 8th
    // from 4, every 4th from 2, then every 2nd from 1.
    const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = d.Interlace ? 0 : 3; pass < 4; ++pass) {
        const int first = d.Interlace ? starts[pass] : 0, step = d.Interlace ? steps[pass] : 1;
        for (int y = first; y < d.Height; y += step) {
            if (DGifGetLine(gif.get(), row.data(), d.Width) != GIF_OK)
                return nullptr;
            const int iy = d.Top + y;
            if (iy < 0 || iy >= height)
                continue;
            for (int x = 0; x < d.Width; ++x) {
                const int ix = d.Left + x;
                if (ix >= 0 && ix < width)
                    image->At(ix, iy) = colour(row[static_cast<std::size_t>(x)]);
            }
        }
    }
    return image;
}
