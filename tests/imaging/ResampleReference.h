// SPDX-License-Identifier: MIT

#pragma once

#include "imaging/cJPEG.h"

#include <algorithm>
#include <cmath>

// Bilinear resampling written straight from its definition, one sample at a time: the
// reference the image's own resampling must match byte for byte.
inline void ReferenceResample(cJPEG& source, cJPEG& target) {
    const int w = source.Width(), h = source.Height();
    const int nw = target.Width(), nh = target.Height();
    const int stride = source.BytesPerScanLine(), newStride = target.BytesPerScanLine();
    const float xScale = static_cast<float>(static_cast<double>(w - 1) / nw);
    const float yScale = static_cast<float>(static_cast<double>(h - 1) / nh);
    const std::uint8_t* src = source.DIBSectionBitsPtr();
    const auto value = [&](int x, int y, int c) {
        // Neighbours past the edge carry no weight; read the edge instead.
        return static_cast<float>(src[std::min(y, h - 1) * stride + 3 * std::min(x, w - 1) + c]);
    };
    for (int y = 0; y < nh; ++y) {
        const float sy = yScale * static_cast<float>(y);
        const int iy = static_cast<int>(std::floor(sy));
        const float fy = sy - static_cast<float>(iy);
        for (int x = 0; x < nw; ++x) {
            const float sx = xScale * static_cast<float>(x);
            const int ix = static_cast<int>(std::floor(sx));
            const float fx = sx - static_cast<float>(ix);
            for (int c = 0; c < 3; ++c) {
                const float left =
                    std::nearbyint((1.0f - fy) * value(ix, iy, c) + fy * value(ix, iy + 1, c));
                const float right = std::nearbyint((1.0f - fy) * value(ix + 1, iy, c) +
                                                   fy * value(ix + 1, iy + 1, c));
                const float v = std::nearbyint((1.0f - fx) * left + fx * right);
                target.DIBSectionBitsPtr()[y * newStride + 3 * x + c] =
                    static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
}
