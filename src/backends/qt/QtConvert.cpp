// SPDX-License-Identifier: MIT

#include "backends/qt/QtConvert.h"

#include <algorithm>
#include <new>
#include <vector>

QImage WrapPicture(const Picture& picture) {
    if (!picture || picture->Width <= 0 || picture->Height <= 0)
        return {};
    return QImage(reinterpret_cast<const uchar*>(picture->Pixels.data()), picture->Width,
                  picture->Height, picture->Width * 4,
                  picture->Alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

Picture ToPicture(const QImage& source, Opacity opacity) {
    if (source.isNull())
        return nullptr;
    const bool alpha = opacity == Opacity::Keep && source.hasAlphaChannel();
    // Qt gives a null image when memory runs out; so does this conversion.
    const QImage rgb = source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (rgb.isNull())
        return nullptr;
    try {
        auto image = std::make_shared<Image>();
        image->Width = rgb.width();
        image->Height = rgb.height();
        // One copy, row by row, with no fill before it.
        image->Pixels.reserve(static_cast<std::size_t>(rgb.width()) *
                              static_cast<std::size_t>(rgb.height()));
        for (int y = 0; y < rgb.height(); ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
            image->Pixels.insert(image->Pixels.end(), row, row + rgb.width());
        }
        // An alpha channel that is opaque all over leaves the key colour in charge.
        image->Alpha = alpha && std::any_of(image->Pixels.begin(), image->Pixels.end(),
                                            [](std::uint32_t p) { return p < 0xff000000u; });
        return image;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

QRegion ToQRegion(const Region& region) {
    std::vector<QRect> rects;
    rects.reserve(region.size());
    for (const RegionRect& r : region)
        rects.emplace_back(r.X, r.Y, r.Width, r.Height);
    QRegion result;
    result.setRects(rects.data(), static_cast<int>(rects.size()));
    return result;
}
