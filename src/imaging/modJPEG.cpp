// SPDX-License-Identifier: MIT

#include "imaging/modJPEG.h"

#include "imaging/ijl.h"
#include "io/AtomicFile.h"

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

std::string WriteErrorText(std::int32_t status) {
    return "ijlWrite Error - " + IjlErrorText(status);
}

// Encodes the image as SaveJPG does: its status, with the error text and the library's
// words for a failure.
std::int32_t Encode(cJPEG& image, std::int32_t quality, std::vector<std::uint8_t>& jpeg,
                    IWriteFaults* faults, std::string& errorText, std::string& detail) {
    if (!image.PictureLoaded()) {
        errorText = NoPictureToSave;
        return -1;
    }
    JPEG_CORE_PROPERTIES record;
    std::int32_t status = ijlInit(&record);
    if (status != IJL_OK) {
        errorText = "Failed to initialise the IJL library - " + IjlErrorText(status);
        return status;
    }
    record.DIBWidth = image.Width();
    record.DIBHeight = -image.Height();
    record.DIBBytes = image.DIBSectionBitsPtr();
    record.DIBPadBytes = image.BytesPerScanLine() - 3 * image.Width();
    record.JPGWidth = image.Width();
    record.JPGHeight = image.Height();
    record.jquality = std::clamp<std::int32_t>(quality, 1, 100);
    record.JPGFaults = faults;
    status = ijlWrite(&record, IJL_JBUFF_WRITEWHOLEIMAGE);
    if (status == IJL_OK)
        jpeg.swap(record.JPGBuffer);
    else
        errorText = WriteErrorText(status);
    detail = record.ErrorDetail;
    ijlFree(&record);
    return status;
}

} // namespace

std::string JpegFileFailure(const std::string& reason) {
    return WriteErrorText(IJL_FILE_ERROR) + ": " + reason;
}

bool SaveJPG(cJPEG& image, const std::string& fileName, std::int32_t quality,
             std::int32_t& errorCode, std::string& errorText) {
    errorText.clear();
    std::vector<std::uint8_t> jpeg;
    std::string detail;
    errorCode = Encode(image, quality, jpeg, nullptr, errorText, detail);
    if (errorCode == IJL_OK &&
        (fileName.empty() || !WriteFileAtomically(fileName, jpeg.data(), jpeg.size(), {}))) {
        errorCode = fileName.empty() ? IJL_INVALID_FILENAME : IJL_FILE_ERROR;
        errorText = WriteErrorText(errorCode);
    }
    return errorCode == IJL_OK;
}

WriteResult EncodeJPG(cJPEG& image, std::int32_t quality, std::vector<std::uint8_t>& jpeg,
                      IWriteFaults* faults) {
    std::string errorText, detail;
    if (Encode(image, quality, jpeg, faults, errorText, detail) == IJL_OK)
        return {};
    return WriteResult::Failed(detail.empty() ? errorText : errorText + ": " + detail);
}
