#include "app/WindowShape.h"

#include <algorithm>

namespace {

struct Span {
    int Begin;
    int End;
    bool operator==(const Span&) const = default;
};

// Runs of non-key pixels of one row, with the hole's columns taken out.
void RowSpans(const Image& image, int y, std::uint32_t key, int holeBegin, int holeEnd,
              std::vector<Span>& spans) {
    spans.clear();
    const std::uint32_t* row = image.Pixels.data() + static_cast<std::size_t>(y) * image.Width;
    const auto add = [&](int begin, int end) {
        if (holeBegin < holeEnd) {
            if (begin < holeBegin)
                spans.push_back({begin, std::min(end, holeBegin)});
            if (end > holeEnd)
                spans.push_back({std::max(begin, holeEnd), end});
        } else {
            spans.push_back({begin, end});
        }
    };
    int x = 0;
    const int w = image.Width;
    while (x < w) {
        while (x < w && (row[x] & 0xffffffu) == key)
            ++x;
        const int begin = x;
        while (x < w && (row[x] & 0xffffffu) != key)
            ++x;
        if (begin < x)
            add(begin, x);
    }
}

} // namespace

Region ComputeWindowShape(const Image& image, const SkinRect& shot) {
    Region region;
    if (image.Width <= 0 || image.Height <= 0)
        return region;
    const std::uint32_t key = image.Pixels[0] & 0xffffffu;
    const int holeLeft = std::clamp<int>(shot.Left, 0, image.Width);
    const int holeRight = std::clamp<int>(shot.Right, 0, image.Width);

    std::vector<Span> band, row;
    int bandTop = 0;
    const auto flush = [&](int bottom) {
        for (const Span& s : band)
            region.push_back({s.Begin, bandTop, s.End - s.Begin, bottom - bandTop});
    };
    for (int y = 0; y < image.Height; ++y) {
        const bool inHole = y >= shot.Top && y < shot.Bottom;
        RowSpans(image, y, key, inHole ? holeLeft : 0, inHole ? holeRight : 0, row);
        if (y == 0 || row != band) {
            flush(y);
            band.swap(row);
            bandTop = y;
        }
    }
    flush(image.Height);
    return region;
}
