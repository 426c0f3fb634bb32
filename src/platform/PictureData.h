// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>

// False when the bytes are a BMP or a JPEG file that ends before its picture data does: the
// system decoders would show such a file in part without a word. Other bytes give true;
// their decoder judges them.
bool PictureDataComplete(const unsigned char* data, std::size_t size);
