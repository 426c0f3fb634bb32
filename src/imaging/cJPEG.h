// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IClipboard.h"
#include "platform/Picture.h"

#include <cstdint>
#include <memory>
#include <vector>

// A 24-bit drawing surface: blue, green, red; rows bottom-up, each Stride bytes.
struct DibSurface {
    std::uint8_t* Bits = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t Stride = 0;
};

enum class RasterOp : std::uint32_t { SrcCopy = 0xCC0020 };

// The header of the pixel buffer, as a bitmap file would carry it.
struct DibHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
};

// A 24-bit image in its own pixel buffer, laid out for the JPEG encoder: blue, green,
// red; rows bottom-up; each row padded to a multiple of 4 bytes.
class cJPEG {
  public:
    cJPEG() = default;
    ~cJPEG();
    cJPEG(const cJPEG&) = delete;
    cJPEG& operator=(const cJPEG&) = delete;

    bool PictureLoaded() const { return pictureLoaded_; }
    void PictureLoaded(bool NewValue) { pictureLoaded_ = NewValue; }
    std::uint8_t* DIBSectionBitsPtr() const { return surface_.Bits; }
    // The drawing surface of the image; null when there is none.
    DibSurface* hDC() { return surface_.Bits ? &surface_ : nullptr; }
    // Identifies the pixel buffer; 0 when there is none.
    std::uintptr_t hDib() const { return reinterpret_cast<std::uintptr_t>(surface_.Bits); }
    std::int32_t Height() const { return header_.biHeight; }
    std::int32_t Width() const { return header_.biWidth; }
    const DibHeader& Header() const { return header_; }

    bool CopyToClipboard(IClipboard& clipboard);
    // Allocates the pixel buffer for lhDC's image; hDib receives its handle.
    bool CreateDIB(DibSurface* lhDC, std::int32_t lWidth, std::int32_t lHeight,
                   std::uintptr_t& hDib);
    void CreateFromPicture(const Picture& PictureSource);
    bool Create(std::int32_t lWidth, std::int32_t lHeight);
    // 3 x Width rounded up to a multiple of 4; 0 when that overflows 32 bits.
    std::int32_t BytesPerScanLine() const;
    void LoadPictureBlt(const DibSurface* lhDC, std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0,
                        std::int32_t lSrcWidth = -1, std::int32_t lSrcHeight = -1,
                        RasterOp eRop = RasterOp::SrcCopy);
    void PaintPicture(DibSurface* lhDC, std::int32_t lDestLeft = 0, std::int32_t lDestTop = 0,
                      std::int32_t lDestWidth = -1, std::int32_t lDestHeight = -1,
                      std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0,
                      RasterOp eRop = RasterOp::SrcCopy);
    void RandomiseBits(bool bGray);
    void ClearUp();
    // A new image of the given size by bilinear interpolation (note: height first); null
    // when the new image cannot be made.
    std::unique_ptr<cJPEG> Resample(std::int32_t lNewHeight, std::int32_t lNewWidth);

    // The image as a picture, top row first.
    Picture ToPicture() const;

    // Largest pixel buffer made.
    static constexpr std::int64_t MaxBufferBytes = 1LL << 30;

  private:
    void ResampleInto(cJPEG& target) const;

    bool pictureLoaded_ = false;
    std::vector<std::uint8_t> buffer_;
    DibSurface surface_;
    DibHeader header_;
};

// Copies a w x h block between surfaces, positions counted from the top-left; parts
// outside either surface are skipped.
void BlockCopy(DibSurface& dest, std::int32_t destLeft, std::int32_t destTop, std::int32_t w,
               std::int32_t h, const DibSurface& src, std::int32_t srcLeft, std::int32_t srcTop);
