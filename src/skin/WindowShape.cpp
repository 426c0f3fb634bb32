// SPDX-License-Identifier: MIT

#include "skin/WindowShape.h"

#include <algorithm>
#include <cstring>

namespace {

// Whether a pixel is part of the window: by its colour against the key, or, in a picture
// with Alpha, by its opacity (at least one half).
struct NotKeyColour {
    std::uint32_t key;
    std::uint32_t operator()(std::uint32_t pixel) const { return (pixel & 0xffffffu) != key; }
};
struct MostlyOpaque {
    std::uint32_t operator()(std::uint32_t pixel) const { return pixel >= 0x80000000u; }
};

// The x positions where a row enters and leaves the window's pixels, as begin/end pairs.
// The loop has no branch on the pixels: a position is always written and kept only where
// the row changes between inside and outside.
template <typename Inside>
std::size_t RowEdges(const std::uint32_t* row, int width, Inside isInside, int* edges) {
    std::size_t n = 0;
    std::uint32_t inside = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t opaque = isInside(row[x]);
        edges[n] = x;
        n += opaque ^ inside;
        inside = opaque;
    }
    edges[n] = width;
    return n + inside;
}

// Takes the columns [holeBegin, holeEnd) out of the pairs.
std::size_t CutHole(const int* edges, std::size_t n, int holeBegin, int holeEnd, int* out) {
    std::size_t m = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        const int begin = edges[i], end = edges[i + 1];
        if (begin < holeBegin) {
            out[m++] = begin;
            out[m++] = std::min(end, holeBegin);
        }
        if (end > holeEnd) {
            out[m++] = std::max(begin, holeEnd);
            out[m++] = end;
        }
    }
    return m;
}

} // namespace

void ComputeWindowShape(const Image& image, const SkinRect& shot, Region& region) {
    region.clear();
    if (image.Width <= 0 || image.Height <= 0)
        return;
    const int width = image.Width;
    const std::uint32_t key = image.Pixels[0] & 0xffffffu;
    const int holeLeft = std::clamp<int>(shot.Left, 0, width);
    const int holeRight = std::clamp<int>(shot.Right, 0, width);

    // The band being built (rows with equal edges) and the row being read.
    std::vector<int> band(static_cast<std::size_t>(width) + 2), row(band.size()), cut(band.size());
    std::size_t bandCount = 0;
    int bandTop = 0;
    const auto flush = [&](int bottom) {
        const std::size_t first = region.size();
        region.resize(first + bandCount / 2);
        RegionRect* out = region.data() + first;
        const int height = bottom - bandTop;
        for (std::size_t i = 0; i < bandCount; i += 2)
            *out++ = {band[i], bandTop, band[i + 1] - band[i], height};
    };
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(std::uint32_t);
    bool previousInHole = false;
    for (int y = 0; y < image.Height; ++y) {
        const std::uint32_t* pixels = image.Pixels.data() + static_cast<std::size_t>(y) * width;
        const bool inHole = y >= shot.Top && y < shot.Bottom && holeLeft < holeRight;
        // A row that repeats the one above, on the same side of the hole, extends the band.
        if (y > 0 && inHole == previousInHole && std::memcmp(pixels, pixels - width, rowBytes) == 0)
            continue;
        previousInHole = inHole;
        std::size_t count = image.Alpha ? RowEdges(pixels, width, MostlyOpaque{}, row.data())
                                        : RowEdges(pixels, width, NotKeyColour{key}, row.data());
        if (inHole) {
            count = CutHole(row.data(), count, holeLeft, holeRight, cut.data());
            row.swap(cut);
        }
        if (y > 0 && count == bandCount &&
            std::memcmp(row.data(), band.data(), count * sizeof(int)) == 0)
            continue;
        flush(y);
        band.swap(row);
        bandCount = count;
        bandTop = y;
    }
    flush(image.Height);
}

Region ComputeWindowShape(const Image& image, const SkinRect& shot) {
    Region region;
    ComputeWindowShape(image, shot, region);
    return region;
}
