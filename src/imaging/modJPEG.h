// SPDX-License-Identifier: MIT

#pragma once

#include "imaging/cJPEG.h"

#include <cstdint>
#include <string>
#include <vector>

class IWriteFaults;

// How SaveJPG treats an existing file, and what it found out beyond its error text.
struct JpegWriteOptions {
    bool Replace = true;
    IWriteFaults* Faults = nullptr; // handed to the file writer
    bool NameTaken = false;         // out: the name was taken and the file left alone
    std::string Detail;             // out: the system's reason for a failure
};

// Writes the image as a JPEG file at quality (clamped to 1..100). False with an error code
// and text when nothing was written; an existing file is replaced only by a complete one.
bool SaveJPG(cJPEG& image, const std::string& fileName, std::int32_t quality,
             std::int32_t& errorCode, std::string& errorText, JpegWriteOptions* options = nullptr);

// Encodes the image once, for writing with WriteJPG under one name or several; false with
// an error code and text as SaveJPG gives them.
bool EncodeJPG(cJPEG& image, std::int32_t quality, std::vector<std::uint8_t>& jpeg,
               std::int32_t& errorCode, std::string& errorText, IWriteFaults* faults = nullptr);
// Writes a JPEG that EncodeJPG made, as SaveJPG writes its file.
bool WriteJPG(const std::vector<std::uint8_t>& jpeg, const std::string& fileName,
              std::int32_t& errorCode, std::string& errorText, JpegWriteOptions* options = nullptr);

// The message for an encoder status code.
std::string IjlErrorText(std::int32_t status);
