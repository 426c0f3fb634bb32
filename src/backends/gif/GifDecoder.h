// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IPictureCodec.h"

#include <cstddef>

// Decodes the first frame of a GIF, refused when it is larger than a picture may be; later
// frames are never read. Every pixel takes its palette colour, also where the
// file flags that colour as transparent: the window's outline follows colours alone.
Picture DecodeGif(const unsigned char* data, std::size_t size);
