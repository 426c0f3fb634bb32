#include "imaging/cJPEG.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <new>
#include <random>

cJPEG::~cJPEG() { ClearUp(); }

std::int32_t cJPEG::BytesPerScanLine() const {
    std::int64_t bytes = static_cast<std::int64_t>(header_.biWidth) * 3 + 3;
    if (bytes > INT32_MAX || bytes < INT32_MIN)
        return 0;
    return static_cast<std::int32_t>(bytes) & ~3;
}

bool cJPEG::CreateDIB(DibSurface* lhDC, std::int32_t lWidth, std::int32_t lHeight,
                      std::uintptr_t& hDib) {
    header_ = DibHeader{40, lWidth, lHeight, 1, 24, 0, header_.biSizeImage};
    const std::int64_t stride = BytesPerScanLine();
    const std::int64_t size = stride * static_cast<std::int64_t>(lHeight);
    if (size >= 0 && size <= UINT32_MAX)
        header_.biSizeImage = static_cast<std::uint32_t>(size);
    hDib = 0;
    if (!lhDC || lWidth <= 0 || lHeight <= 0 || stride <= 0 || size > MaxBufferBytes)
        return false;
    try {
        buffer_.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    *lhDC = DibSurface{buffer_.data(), lWidth, lHeight, static_cast<std::int32_t>(stride)};
    hDib = reinterpret_cast<std::uintptr_t>(buffer_.data());
    return true;
}

bool cJPEG::Create(std::int32_t lWidth, std::int32_t lHeight) {
    ClearUp();
    std::uintptr_t dib = 0;
    DibSurface surface;
    if (!CreateDIB(&surface, lWidth, lHeight, dib)) {
        buffer_ = {};
        return false;
    }
    surface_ = surface;
    return true;
}

void cJPEG::ClearUp() {
    pictureLoaded_ = false;
    buffer_ = {};
    surface_ = DibSurface{};
}

void cJPEG::CreateFromPicture(const Picture& PictureSource) {
    pictureLoaded_ = false;
    if (!PictureSource)
        return;
    const Image& image = *PictureSource;
    if (!Create(image.Width, image.Height))
        return;
    // Top-down 0xffRRGGBB into bottom-up blue, green, red.
    for (std::int32_t y = 0; y < image.Height; ++y) {
        const std::uint32_t* in = &image.Pixels[static_cast<std::size_t>(y) * image.Width];
        std::uint8_t* out = surface_.Bits + static_cast<std::size_t>(image.Height - 1 - y) * surface_.Stride;
        for (std::int32_t x = 0; x < image.Width; ++x) {
            const std::uint32_t p = in[x];
            out[0] = static_cast<std::uint8_t>(p);
            out[1] = static_cast<std::uint8_t>(p >> 8);
            out[2] = static_cast<std::uint8_t>(p >> 16);
            out += 3;
        }
    }
    pictureLoaded_ = true;
}

Picture cJPEG::ToPicture() const {
    if (!surface_.Bits)
        return nullptr;
    auto image = std::make_shared<Image>(surface_.Width, surface_.Height);
    for (std::int32_t y = 0; y < surface_.Height; ++y) {
        const std::uint8_t* in = surface_.Bits + static_cast<std::size_t>(surface_.Height - 1 - y) * surface_.Stride;
        for (std::int32_t x = 0; x < surface_.Width; ++x, in += 3)
            image->At(x, y) = Rgb(in[2], in[1], in[0]);
    }
    return image;
}

void BlockCopy(DibSurface& dest, std::int32_t destLeft, std::int32_t destTop, std::int32_t w,
               std::int32_t h, const DibSurface& src, std::int32_t srcLeft, std::int32_t srcTop) {
    if (!dest.Bits || !src.Bits)
        return;
    // Clip against both surfaces.
    std::int64_t dx = destLeft, dy = destTop, sx = srcLeft, sy = srcTop, cw = w, ch = h;
    const auto clipStart = [&](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
        const std::int64_t shift = std::max<std::int64_t>({0, -a, -b});
        a += shift;
        b += shift;
        len -= shift;
    };
    clipStart(dx, sx, cw);
    clipStart(dy, sy, ch);
    cw = std::min<std::int64_t>({cw, dest.Width - dx, src.Width - sx});
    ch = std::min<std::int64_t>({ch, dest.Height - dy, src.Height - sy});
    if (cw <= 0 || ch <= 0)
        return;
    for (std::int64_t row = 0; row < ch; ++row) {
        const std::uint8_t* from = src.Bits + (src.Height - 1 - (sy + row)) * src.Stride + sx * 3;
        std::uint8_t* to = dest.Bits + (dest.Height - 1 - (dy + row)) * dest.Stride + dx * 3;
        std::memmove(to, from, static_cast<std::size_t>(cw) * 3);
    }
}

void cJPEG::LoadPictureBlt(const DibSurface* lhDC, std::int32_t lSrcLeft, std::int32_t lSrcTop,
                           std::int32_t lSrcWidth, std::int32_t lSrcHeight, RasterOp eRop) {
    if (!lhDC || eRop != RasterOp::SrcCopy)
        return;
    const std::int32_t w = lSrcWidth < 0 ? Width() : lSrcWidth;
    const std::int32_t h = lSrcHeight < 0 ? Height() : lSrcHeight;
    BlockCopy(surface_, 0, 0, w, h, *lhDC, lSrcLeft, lSrcTop);
}

void cJPEG::PaintPicture(DibSurface* lhDC, std::int32_t lDestLeft, std::int32_t lDestTop,
                         std::int32_t lDestWidth, std::int32_t lDestHeight, std::int32_t lSrcLeft,
                         std::int32_t lSrcTop, RasterOp eRop) {
    if (!lhDC || eRop != RasterOp::SrcCopy)
        return;
    const std::int32_t w = lDestWidth < 0 ? Width() : lDestWidth;
    const std::int32_t h = lDestHeight < 0 ? Height() : lDestHeight;
    BlockCopy(*lhDC, lDestLeft, lDestTop, w, h, surface_, lSrcLeft, lSrcTop);
}

bool cJPEG::CopyToClipboard(IClipboard& clipboard) {
    const Picture picture = ToPicture();
    return picture && clipboard.SetPicture(picture);
}

void cJPEG::RandomiseBits(bool bGray) {
    if (!surface_.Bits)
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    std::mt19937 random(static_cast<unsigned>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec));
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const auto next = [&] { return static_cast<std::uint8_t>(std::nearbyint(unit(random) * 255.0f)); };

    const std::int32_t lastPixel = (Width() - 1) * 3;
    const std::size_t stride = static_cast<std::size_t>(surface_.Stride);
    if (bGray) {
        for (std::int32_t y = 0; y < Height(); ++y)
            for (std::int32_t x = 0; x <= lastPixel; x += 3) {
                std::uint8_t* p = surface_.Bits + y * stride + x;
                p[0] = p[1] = p[2] = next();
            }
    } else {
        for (std::int32_t x = 0; x <= lastPixel; x += 3)
            for (std::int32_t y = 0; y < Height(); ++y) {
                std::uint8_t* p = surface_.Bits + y * stride + x;
                p[0] = 0;
                p[1] = next();
                p[2] = next();
            }
    }
}

std::unique_ptr<cJPEG> cJPEG::Resample(std::int32_t lNewHeight, std::int32_t lNewWidth) {
    auto result = std::make_unique<cJPEG>();
    if (!result->Create(lNewWidth, lNewHeight))
        return nullptr;
    if (lNewWidth == Width() && lNewHeight == Height())
        result->LoadPictureBlt(hDC(), 0, 0, -1, -1, RasterOp::SrcCopy);
    else
        ResampleInto(*result);
    return result;
}

// Bilinear interpolation. Each row's vertical blends are rounded once per source column,
// then blended horizontally: the same arithmetic, in the same order and precision, as
// blending the four neighbours of every sample.
void cJPEG::ResampleInto(cJPEG& target) const {
    if (!surface_.Bits)
        return;
    const std::int32_t newW = target.Width(), newH = target.Height();
    const std::int32_t w = Width(), h = Height();
    const float xScale = static_cast<float>(static_cast<double>(w - 1) / newW);
    const float yScale = static_cast<float>(static_cast<double>(h - 1) / newH);

    std::vector<std::int32_t> ix(static_cast<std::size_t>(newW));
    std::vector<float> fx(static_cast<std::size_t>(newW));
    for (std::int32_t x = 0; x < newW; ++x) {
        const float sx = xScale * static_cast<float>(x);
        ix[x] = static_cast<std::int32_t>(std::floor(sx));
        fx[x] = sx - static_cast<float>(ix[x]);
    }
    std::vector<float> column(static_cast<std::size_t>(w) * 3);
    const std::size_t stride = static_cast<std::size_t>(surface_.Stride);
    for (std::int32_t y = 0; y < newH; ++y) {
        const float sy = yScale * static_cast<float>(y);
        const std::int32_t iy = static_cast<std::int32_t>(std::floor(sy));
        const float fy = sy - static_cast<float>(iy);
        const float gy = 1.0f - fy;
        const std::uint8_t* row0 = surface_.Bits + static_cast<std::size_t>(iy) * stride;
        const std::uint8_t* row1 = iy + 1 < h ? row0 + stride : row0;
        for (std::int32_t i = 0; i < w * 3; ++i)
            column[i] = std::nearbyint(gy * row0[i] + fy * row1[i]);

        std::uint8_t* out = target.surface_.Bits + static_cast<std::size_t>(y) * target.surface_.Stride;
        for (std::int32_t x = 0; x < newW; ++x) {
            const float* left = &column[static_cast<std::size_t>(ix[x]) * 3];
            const float* right = ix[x] + 1 < w ? left + 3 : left;
            const float f = fx[x], g = 1.0f - f;
            for (int c = 0; c < 3; ++c) {
                const float v = std::nearbyint(g * left[c] + f * right[c]);
                out[3 * x + c] = static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
}
