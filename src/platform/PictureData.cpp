// SPDX-License-Identifier: MIT

#include "platform/PictureData.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

std::uint32_t U16(const unsigned char* p) {
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8;
}

std::uint32_t U32(const unsigned char* p) {
    return U16(p) | U16(p + 2) << 16;
}

std::uint32_t U16BE(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 8 | p[1];
}

std::uint32_t U32BE(const unsigned char* p) {
    return U16BE(p) << 16 | U16BE(p + 2);
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
    if (width <= 0)
        return true;
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
    return static_cast<std::int64_t>(size) >= U32(d + 10) + needed;
}

// What the decoder meets on its way to the end-of-image marker. Segments are passed over by
// their lengths, so a thumbnail's markers inside one do not count.
struct JpegWalk {
    bool Complete = false; // an end-of-image marker follows the first scan
    long long Scans = 0;
    long long Segments = 0;
    long long ScanPixels = 0; // each scan's components times the frame's pixels, summed
};

JpegWalk WalkJpeg(const unsigned char* d, std::size_t size) {
    JpegWalk walk;
    long long pixels = 0;
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
        if (marker == 0xD9) {
            walk.Complete = walk.Scans > 0;
            return walk;
        }
        // A stuffed zero, restart markers and the start marker stand alone.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            i += 2;
            continue;
        }
        if (i + 4 > size)
            return walk;
        ++walk.Segments;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && i + 9 <= size) // precision, height, width
            pixels = static_cast<long long>(U16BE(d + i + 5)) * U16BE(d + i + 7);
        if (marker == 0xDA) {
            ++walk.Scans;
            if (i + 4 < size && walk.ScanPixels <= MaxJpegScanPixels)
                walk.ScanPixels += d[i + 4] * pixels;
        }
        i += 2 + static_cast<std::size_t>(U16BE(d + i + 2));
    }
    return walk;
}

const unsigned char PngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool IsPng(const unsigned char* data, std::size_t size) {
    return size >= sizeof PngSignature && std::memcmp(data, PngSignature, sizeof PngSignature) == 0;
}

// Calls chunk(at, length) for each chunk that ends within the file, in order, while it
// returns true.
template <typename Chunk> void WalkPng(const unsigned char* data, std::size_t size, Chunk chunk) {
    std::size_t at = sizeof PngSignature;
    while (size - at >= 12) {
        const std::uint64_t length = U32BE(data + at);
        if (length > size - at - 12 || !chunk(at, static_cast<std::size_t>(length)))
            break;
        at += 12 + static_cast<std::size_t>(length);
    }
}

bool IsJpeg(const unsigned char* data, std::size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

} // namespace

const char* PictureFormat(const unsigned char* data, std::size_t size) {
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return "bmp";
    if (size >= 4 && std::memcmp(data, "GIF8", 4) == 0)
        return "gif";
    if (IsJpeg(data, size))
        return "jpeg";
    return IsPng(data, size) ? "png" : nullptr;
}

bool PictureDataComplete(const unsigned char* data, std::size_t size) {
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return BmpComplete(data, size);
    if (IsJpeg(data, size))
        return WalkJpeg(data, size).Complete;
    if (IsPng(data, size)) { // every chunk whole up to the end chunk
        bool ended = false;
        WalkPng(data, size, [&](std::size_t at, std::size_t) {
            ended = std::memcmp(data + at + 4, "IEND", 4) == 0;
            return !ended;
        });
        return ended;
    }
    return true;
}

bool PictureCostBounded(const unsigned char* data, std::size_t size) {
    if (!IsJpeg(data, size))
        return true;
    const JpegWalk walk = WalkJpeg(data, size);
    return walk.Scans <= MaxJpegScans && walk.ScanPixels <= MaxJpegScanPixels &&
           walk.Segments <= MaxJpegSegments;
}

std::vector<unsigned char> PngWithoutText(const unsigned char* data, std::size_t size) {
    std::vector<unsigned char> kept;
    if (!IsPng(data, size))
        return kept;
    std::size_t copied = 0; // data[copied, at) is still to keep
    bool dropped = false;
    WalkPng(data, size, [&](std::size_t at, std::size_t length) {
        const unsigned char* type = data + at + 4;
        if (std::memcmp(type, "tEXt", 4) == 0 || std::memcmp(type, "zTXt", 4) == 0 ||
            std::memcmp(type, "iTXt", 4) == 0) {
            kept.insert(kept.end(), data + copied, data + at);
            copied = at + 12 + length;
            dropped = true;
        }
        return true;
    });
    if (!dropped)
        return {};
    kept.insert(kept.end(), data + copied, data + size);
    return kept;
}
