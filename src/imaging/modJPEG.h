// SPDX-License-Identifier: MIT

#pragma once

#include "imaging/cJPEG.h"
#include "platform/WriteResult.h"

#include <cstdint>
#include <string>
#include <vector>

class IWriteFaults;

// Writes the image as a JPEG file at quality (clamped to 1..100): EncodeJPG, then the atomic
// writer, so an existing file is replaced only by a complete one. False with an error code
// and text when nothing was written.
bool SaveJPG(cJPEG& image, const std::string& fileName, std::int32_t quality,
             std::int32_t& errorCode, std::string& errorText);

// Encodes the image once, for writing under one name or several. A failure's reason is
// SaveJPG's error text, then the library's own words where it gave any.
WriteResult EncodeJPG(cJPEG& image, std::int32_t quality, std::vector<std::uint8_t>& jpeg,
                      IWriteFaults* faults = nullptr);

// SaveJPG's error text for a JPEG file that could not be written, then the system's reason.
std::string JpegFileFailure(const std::string& reason);

// The message for an encoder status code.
std::string IjlErrorText(std::int32_t status);
