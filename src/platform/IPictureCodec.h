#pragma once

#include "platform/Picture.h"

#include <string>

class IPictureCodec {
public:
    virtual ~IPictureCodec() = default;
    // Decodes a BMP, GIF, JPEG or PNG file. Null when the file is missing, not an ordinary
    // file, too large, or not a picture.
    virtual Picture LoadPicture(const std::string& path) = 0;
};
