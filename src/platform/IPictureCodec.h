// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"
#include "platform/WriteResult.h"

#include <string>
#include <vector>

// Largest picture file read, and largest picture decoded, per side and in all.
inline constexpr long long MaxPictureFileSize = 64LL * 1024 * 1024;
inline constexpr int MaxPictureSide = 16384;
inline constexpr long long MaxPicturePixels = 64LL * 1024 * 1024;

class IPictureCodec {
  public:
    virtual ~IPictureCodec() = default;
    // Decodes a BMP, GIF, JPEG or PNG file. Null when the file is missing, not an ordinary
    // file, too large or too costly to decode, or not one of these pictures.
    virtual Picture LoadPicture(const std::string& path) = 0;
    // Encodes a BMP file's bytes.
    virtual WriteResult EncodeBmp(const Picture& picture, std::vector<unsigned char>& bytes) = 0;
    // Encodes a PNG in memory, lossless: 24-bit, or 32-bit when the picture has Alpha.
    virtual WriteResult EncodePng(const Picture& picture, std::vector<unsigned char>& bytes) = 0;
};
