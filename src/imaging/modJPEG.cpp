// SPDX-License-Identifier: MIT

#include "imaging/modJPEG.h"

#include "imaging/ijl.h"

#include <algorithm>

std::string IjlErrorText(std::int32_t status) {
    static const char* const texts[] = {"Exception detected",
                                        "Invalid encoder",
                                        "Unsupported subsampling",
                                        "Unsupported bytes per pixel",
                                        "Memory Error",
                                        "Bad huffman table",
                                        "Bad quant table",
                                        "Invalid JPEG properties specified",
                                        "An error occored while closing the file",
                                        "Invalid file name",
                                        "EOF Error",
                                        "Prog Not Supported",
                                        "Error - NOT JPEG",
                                        "Error - COMP",
                                        "Error - SOF",
                                        "Error - DNL",
                                        "Error - NO HUF",
                                        "Error - NO QUAN",
                                        "Error - NO FRAME",
                                        "Error - MULT FRAME",
                                        "Error - DATA",
                                        "Error - NO IMAGE",
                                        "File Error",
                                        "Internal Error",
                                        "Bad RST Marker",
                                        "Thumbnail - DIB Too Small",
                                        "Thumbnail - DIB Wrong Color"};
    if (status >= 0 && status <= 2)
        return "";
    if (status <= -1 && status >= -27)
        return texts[-status - 1];
    if (status == -99)
        return "Reserved";
    return "Unknown Error";
}

namespace {

// Runs the encoder once on a record that fill completes after ijlInit, and reports as
// SaveJPG does.
template <typename Fill>
bool RunEncoder(int mode, const Fill& fill, std::int32_t& errorCode, std::string& errorText,
                JpegWriteOptions* options, std::vector<std::uint8_t>* encoded = nullptr) {
    JPEG_CORE_PROPERTIES record;
    std::int32_t status = ijlInit(&record);
    if (status != IJL_OK) {
        errorCode = status;
        errorText = "Failed to initialise the IJL library - " + IjlErrorText(status);
        return false;
    }
    fill(record);
    if (options) {
        record.JPGReplace = options->Replace;
        record.JPGFaults = options->Faults;
    }
    status = ijlWrite(&record, mode);
    const bool written = status == IJL_OK;
    if (!written) {
        errorCode = status;
        errorText = "ijlWrite Error - " + IjlErrorText(status);
    } else if (encoded) {
        encoded->swap(record.JPGBuffer);
    }
    if (options) {
        options->NameTaken = record.JPGNameTaken;
        options->Detail = record.ErrorDetail;
    }
    ijlFree(&record);
    return written;
}

// Starts a report: true when the image holds a picture to encode.
bool PictureToEncode(const cJPEG& image, std::int32_t& errorCode, std::string& errorText) {
    errorCode = 0;
    errorText.clear();
    if (image.PictureLoaded())
        return true;
    errorCode = -1;
    errorText = "No picture loaded to save.";
    return false;
}

// The record's fields that describe the image, at quality clamped to 1..100.
void SetImageFields(JPEG_CORE_PROPERTIES& record, cJPEG& image, std::int32_t quality) {
    record.DIBWidth = image.Width();
    record.DIBHeight = -image.Height();
    record.DIBBytes = image.DIBSectionBitsPtr();
    record.DIBPadBytes = image.BytesPerScanLine() - 3 * image.Width();
    record.JPGWidth = image.Width();
    record.JPGHeight = image.Height();
    record.jquality = std::clamp<std::int32_t>(quality, 1, 100);
}

} // namespace

bool SaveJPG(cJPEG& image, const std::string& fileName, std::int32_t quality,
             std::int32_t& errorCode, std::string& errorText, JpegWriteOptions* options) {
    if (!PictureToEncode(image, errorCode, errorText))
        return false;
    return RunEncoder(
        IJL_JFILE_WRITEWHOLEIMAGE,
        [&](JPEG_CORE_PROPERTIES& record) {
            SetImageFields(record, image, quality);
            record.JPGFile = fileName.c_str();
        },
        errorCode, errorText, options);
}

bool EncodeJPG(cJPEG& image, std::int32_t quality, std::vector<std::uint8_t>& jpeg,
               std::int32_t& errorCode, std::string& errorText, IWriteFaults* faults) {
    if (!PictureToEncode(image, errorCode, errorText))
        return false;
    return RunEncoder(
        IJL_JBUFF_WRITEWHOLEIMAGE,
        [&](JPEG_CORE_PROPERTIES& record) {
            SetImageFields(record, image, quality);
            record.JPGFaults = faults;
        },
        errorCode, errorText, nullptr, &jpeg);
}

bool WriteJPG(const std::vector<std::uint8_t>& jpeg, const std::string& fileName,
              std::int32_t& errorCode, std::string& errorText, JpegWriteOptions* options) {
    errorCode = 0;
    errorText.clear();
    return RunEncoder(
        IJL_JFILE_WRITEWHOLEIMAGE,
        [&](JPEG_CORE_PROPERTIES& record) {
            record.JPGBytes = jpeg.data();
            record.JPGSizeBytes = jpeg.size();
            record.JPGFile = fileName.c_str();
        },
        errorCode, errorText, options);
}
