// SPDX-License-Identifier: MIT

#include "platform/PictureData.h"

#include <cstdint>
#include <cstdlib>

namespace {

std::uint32_t U16(const unsigned char* p) {
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8;
}

std::uint32_t U32(const unsigned char* p) {
    return U16(p) | U16(p + 2) << 16;
}

// The pixel rows (or, compressed, the size its header gives) end within the file.
bool BmpComplete(const unsigned char* d, std::size_t size) {
    if (size < 18)
        return false;
    const std::uint32_t headerSize = U32(d + 14);
    std::int64_t width = 0, height = 0, needed = 0;
    std::uint32_t bits = 0, compression = 0;
    if (headerSize == 12 && size >= 26) {
        width = U16(d + 18);
        height = U16(d + 20);
        bits = U16(d + 24);
    } else if (headerSize >= 40 && size >= 38) {
        width = static_cast<std::int32_t>(U32(d + 18));
        height = std::llabs(static_cast<std::int32_t>(U32(d + 22)));
        bits = U16(d + 28);
        compression = U32(d + 30);
    } else {
        return size >= 14 + static_cast<std::uint64_t>(headerSize);
    }
    switch (compression) {
    case 0: // rows of pixels
    case 3: // with colour masks
    case 6:
        if (const std::int64_t row = (width * bits + 31) / 32 * 4;
            height > 0 && row > INT64_MAX / height)
            return false;
        else
            needed = row * height;
        break;
    case 1: // run-length coded
    case 2:
        needed = U32(d + 34);
        break;
    default:
        return true;
    }
    return width <= 0 || static_cast<std::int64_t>(size) >= U32(d + 10) + needed;
}

// An end-of-image marker follows the first scan. Segments are passed over by their
// lengths, so a thumbnail's marker inside one does not count.
bool JpegComplete(const unsigned char* d, std::size_t size) {
    bool scanning = false; // inside a scan's coded data
    for (std::size_t i = 2; i + 1 < size;) {
        if (d[i] != 0xFF) { // coded data, or stray bytes between segments
            ++i;
            continue;
        }
        const unsigned char marker = d[i + 1];
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        if (marker == 0xD9)
            return scanning;
        // A stuffed zero, restart markers and the start marker stand alone.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            i += 2;
            continue;
        }
        if (i + 4 > size)
            return false;
        i += 2 + (static_cast<std::size_t>(d[i + 2]) << 8 | d[i + 3]); // big-endian length
        if (marker == 0xDA)
            scanning = true;
    }
    return false;
}

} // namespace

bool PictureDataComplete(const unsigned char* data, std::size_t size) {
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return BmpComplete(data, size);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return JpegComplete(data, size);
    return true;
}
