// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <vector>

// What a JPEG may ask of its decoder, which works through every scan over the whole picture
// and walks its list of segments to the end for each one it keeps: scans, component pixels
// decoded over all scans together, and segments.
inline constexpr int MaxJpegScans = 500;
inline constexpr long long MaxJpegScanPixels = 32LL * 64 * 1024 * 1024;
inline constexpr int MaxJpegSegments = 4096;

// "bmp", "gif", "jpeg" or "png" by the bytes' signature; null for anything else, which
// the system decoders would otherwise guess at.
const char* PictureFormat(const unsigned char* data, std::size_t size);

// False when the bytes are a BMP or a JPEG file that ends before its picture data does (the
// system decoders would show such a file in part without a word), or a PNG before its end
// chunk (its decoder would first take room for whatever size a chunk claims). Other bytes
// give true; their decoder judges them.
bool PictureDataComplete(const unsigned char* data, std::size_t size);

// False when the bytes are a JPEG beyond the limits above. Other bytes give true.
bool PictureCostBounded(const unsigned char* data, std::size_t size);

// A PNG's bytes without its text chunks, which no picture needs: its decoder would inflate
// every compressed one and keep it several times over. Empty when there is none to drop, or
// the bytes are no PNG.
std::vector<unsigned char> PngWithoutText(const unsigned char* data, std::size_t size);
