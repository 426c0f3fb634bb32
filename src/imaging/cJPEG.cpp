// SPDX-License-Identifier: MIT

#include "imaging/cJPEG.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <new>
#include <random>

#if defined(__SSE2__) || (defined(__GNUC__) && defined(__x86_64__))
#include <immintrin.h>
#endif

namespace {

// One row of 0xffRRGGBB pixels into blue, green, red bytes.
void PackRowPlain(const std::uint32_t* in, std::uint8_t* out, std::int32_t width) {
    for (std::int32_t x = 0; x < width; ++x, out += 3) {
        out[0] = static_cast<std::uint8_t>(in[x]);
        out[1] = static_cast<std::uint8_t>(in[x] >> 8);
        out[2] = static_cast<std::uint8_t>(in[x] >> 16);
    }
}

#if defined(__GNUC__) && defined(__x86_64__)
// Sixteen pixels at a time: each group of four drops its fourth bytes with one shuffle,
// and the four 12-byte groups are joined into three 16-byte stores.
__attribute__((target("ssse3"))) void PackRowShuffled(const std::uint32_t* in, std::uint8_t* out,
                                                      std::int32_t width) {
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    std::int32_t x = 0;
    for (; x + 16 <= width; x += 16, out += 48) {
        const __m128i* src = reinterpret_cast<const __m128i*>(in + x);
        const __m128i p0 = _mm_shuffle_epi8(_mm_loadu_si128(src), pack);
        const __m128i p1 = _mm_shuffle_epi8(_mm_loadu_si128(src + 1), pack);
        const __m128i p2 = _mm_shuffle_epi8(_mm_loadu_si128(src + 2), pack);
        const __m128i p3 = _mm_shuffle_epi8(_mm_loadu_si128(src + 3), pack);
        __m128i* dst = reinterpret_cast<__m128i*>(out);
        _mm_storeu_si128(dst, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
        _mm_storeu_si128(dst + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
        _mm_storeu_si128(dst + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
    }
    PackRowPlain(in + x, out, width - x);
}

const auto PackRow = __builtin_cpu_supports("ssse3") ? PackRowShuffled : PackRowPlain;
#else
const auto PackRow = PackRowPlain;
#endif

} // namespace

cJPEG::~cJPEG() {
    ClearUp();
}

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
    for (std::int32_t y = 0; y < image.Height; ++y)
        PackRow(&image.Pixels[static_cast<std::size_t>(y) * image.Width],
                surface_.Bits + static_cast<std::size_t>(image.Height - 1 - y) * surface_.Stride,
                image.Width);
    pictureLoaded_ = true;
}

Picture cJPEG::ToPicture() const {
    if (!surface_.Bits)
        return nullptr;
    auto image = std::make_shared<Image>(surface_.Width, surface_.Height);
    for (std::int32_t y = 0; y < surface_.Height; ++y) {
        const std::uint8_t* in =
            surface_.Bits + static_cast<std::size_t>(surface_.Height - 1 - y) * surface_.Stride;
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
    std::mt19937 random(
        static_cast<unsigned>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec));
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const auto next = [&] {
        return static_cast<std::uint8_t>(std::nearbyint(unit(random) * 255.0f));
    };

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

namespace {

// Round half to even for 0 <= v < 2^22, as nearbyint does under the default rounding
// mode, without a library call: adding 2^23 leaves no bits for the fraction. (Only
// -ffast-math would fold the two steps away; the build never uses it.)
inline float RoundSample(float v) {
    constexpr float shift = 8388608.0f;
    return (v + shift) - shift;
}

} // namespace

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
    // Each row's vertical blends, four floats a pixel (blue, green, red, unused), with the
    // last pixel repeated as its own right neighbour, which carries no weight there.
    std::vector<float> column(static_cast<std::size_t>(w + 1) * 4, 0.0f);
    const std::size_t stride = static_cast<std::size_t>(surface_.Stride);
    for (std::int32_t y = 0; y < newH; ++y) {
        const float sy = yScale * static_cast<float>(y);
        const std::int32_t iy = static_cast<std::int32_t>(std::floor(sy));
        const float fy = sy - static_cast<float>(iy);
        const float gy = 1.0f - fy;
        const std::uint8_t* row0 = surface_.Bits + static_cast<std::size_t>(iy) * stride;
        const std::uint8_t* row1 = iy + 1 < h ? row0 + stride : row0;
        for (std::int32_t p = 0; p < w; ++p)
            for (int c = 0; c < 3; ++c)
                column[4 * p + c] = RoundSample(gy * row0[3 * p + c] + fy * row1[3 * p + c]);
        std::copy_n(&column[4 * static_cast<std::size_t>(w - 1)], 4,
                    &column[4 * static_cast<std::size_t>(w)]);

        std::uint8_t* out =
            target.surface_.Bits + static_cast<std::size_t>(y) * target.surface_.Stride;
        std::int32_t x = 0;
#if defined(__SSE2__)
        // All three channels of a pixel at once; the fourth byte written is the next
        // pixel's first, so the last pixel of the row is left to the plain loop.
        const __m128 shift = _mm_set1_ps(8388608.0f);
        for (; x + 1 < newW; ++x) {
            const float* left = &column[static_cast<std::size_t>(ix[x]) * 4];
            const __m128 f = _mm_set1_ps(fx[x]), g = _mm_set1_ps(1.0f - fx[x]);
            __m128 v = _mm_add_ps(_mm_mul_ps(g, _mm_loadu_ps(left)),
                                  _mm_mul_ps(f, _mm_loadu_ps(left + 4)));
            v = _mm_sub_ps(_mm_add_ps(v, shift), shift);
            const __m128i words = _mm_cvttps_epi32(v);
            const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(words, words), words);
            const std::int32_t packed = _mm_cvtsi128_si32(bytes);
            std::memcpy(out + 3 * static_cast<std::size_t>(x), &packed, 4);
        }
#endif
        for (; x < newW; ++x) {
            const float* left = &column[static_cast<std::size_t>(ix[x]) * 4];
            const float* right = left + 4;
            const float f = fx[x], g = 1.0f - f;
            for (int c = 0; c < 3; ++c) {
                const float v = RoundSample(g * left[c] + f * right[c]);
                out[3 * x + c] = static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
}
