// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IPictureCodec.h"

#include <cstddef>

// Pictures through the system's imaging component (WIC): BMP, GIF, JPEG and PNG decoded,
// BMP written, PNG encoded. Needs COM initialised on the calling thread.
class Win32PictureCodec : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string& path) override;
    WriteResult EncodeBmp(const Picture& picture, std::vector<unsigned char>& bytes) override;
    WriteResult EncodePng(const Picture& picture, std::vector<unsigned char>& bytes) override;
    static Picture Decode(const void* data, std::size_t size);
};
