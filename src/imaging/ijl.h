// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IWriteFaults;

// The JPEG encoder's call contract: a property record, initialised, filled by the
// caller, encoded and freed. Status 0 is success; negative values are errors. The file is
// written by the caller, through the atomic writer.
inline constexpr int IJL_OK = 0;
inline constexpr int IJL_MEMORY_ERROR = -5;
inline constexpr int IJL_INVALID_JPEG_PROPERTIES = -8;
inline constexpr int IJL_INVALID_FILENAME = -10;
inline constexpr int IJL_FILE_ERROR = -23;
inline constexpr int IJL_INTERNAL_ERROR = -24;

// The one mode: the whole image encoded into JPGBuffer.
inline constexpr int IJL_JBUFF_WRITEWHOLEIMAGE = 9;

enum class IJL_COLOR { BGR = 1, RGB = 2 };

// The JPEG library's encoder handle, destroyed with its owner.
struct JpegEncoderFree {
    void operator()(void* encoder) const;
};
using JpegEncoder = std::unique_ptr<void, JpegEncoderFree>;

struct JPEG_CORE_PROPERTIES {
    // Input pixels.
    const std::uint8_t* DIBBytes = nullptr;
    std::int32_t DIBWidth = 0;
    std::int32_t DIBHeight = 0; // negative: rows bottom-up
    std::int32_t DIBPadBytes = 0;
    std::int32_t DIBChannels = 3;
    IJL_COLOR DIBColor = IJL_COLOR::BGR;
    // Output.
    std::int32_t JPGWidth = 0;
    std::int32_t JPGHeight = 0;
    std::int32_t jquality = 75;
    // Set by the encoder: the encoded file.
    std::vector<std::uint8_t> JPGBuffer;
    // Asked before the encode; null encodes for real.
    IWriteFaults* JPGFaults = nullptr;

    // Set by the encoder: the library's own words for its last failure.
    std::string ErrorDetail;

    JpegEncoder Encoder; // held between ijlInit and ijlFree
};

int ijlInit(JPEG_CORE_PROPERTIES* jcprops);
int ijlWrite(JPEG_CORE_PROPERTIES* jcprops, int iotype);
int ijlFree(JPEG_CORE_PROPERTIES* jcprops);
