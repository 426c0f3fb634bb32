// SPDX-License-Identifier: MIT

#pragma once

#include "platform/Picture.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <turbojpeg.h>

// Decodes a JPEG file into a top-down picture; null when it is not a complete JPEG.
inline Picture DecodeJpegFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
    tjhandle handle = tjInitDecompress();
    int w = 0, h = 0, subsamp = 0, colorspace = 0;
    Picture result;
    if (!bytes.empty() && tjDecompressHeader3(handle, bytes.data(), bytes.size(), &w, &h, &subsamp,
                                              &colorspace) == 0) {
        std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
        if (tjDecompress2(handle, bytes.data(), bytes.size(), rgb.data(), w, 0, h, TJPF_RGB, 0) ==
            0) {
            auto image = std::make_shared<Image>(w, h);
            for (std::size_t i = 0; i < image->Pixels.size(); ++i)
                image->Pixels[i] = Rgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
            result = image;
        }
    }
    tjDestroy(handle);
    return result;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

// Largest difference of any channel between two pictures of the same size.
inline int MaxChannelDifference(const Image& a, const Image& b) {
    int worst = 0;
    for (std::size_t i = 0; i < a.Pixels.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const int d = static_cast<int>((a.Pixels[i] >> shift) & 255) -
                          static_cast<int>((b.Pixels[i] >> shift) & 255);
            worst = std::max(worst, d < 0 ? -d : d);
        }
    return worst;
}
