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

bool SaveJPG(cJPEG& image, const std::string& fileName, std::int32_t quality,
             std::int32_t& errorCode, std::string& errorText, JpegWriteOptions* options) {
    errorCode = 0;
    errorText.clear();
    if (!image.PictureLoaded()) {
        errorCode = -1;
        errorText = "No picture loaded to save.";
        return false;
    }
    quality = std::clamp<std::int32_t>(quality, 1, 100);

    JPEG_CORE_PROPERTIES record;
    std::int32_t status = ijlInit(&record);
    if (status != IJL_OK) {
        errorCode = status;
        errorText = "Failed to initialise the IJL library - " + IjlErrorText(status);
        return false;
    }
    record.DIBWidth = image.Width();
    record.DIBHeight = -image.Height();
    record.DIBBytes = image.DIBSectionBitsPtr();
    record.DIBPadBytes = image.BytesPerScanLine() - 3 * image.Width();
    const std::string file = fileName; // lives until the write returns
    record.JPGFile = file.c_str();
    record.JPGWidth = image.Width();
    record.JPGHeight = image.Height();
    record.jquality = quality;
    if (options)
        record.JPGReplace = options->Replace;

    status = ijlWrite(&record, IJL_JFILE_WRITEWHOLEIMAGE);
    const bool written = status == IJL_OK;
    if (!written) {
        errorCode = status;
        errorText = "ijlWrite Error - " + IjlErrorText(status);
    }
    if (options) {
        options->NameTaken = record.JPGNameTaken;
        options->Detail = record.ErrorDetail;
    }
    ijlFree(&record);
    return written;
}
