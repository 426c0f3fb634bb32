// SPDX-License-Identifier: MIT

#include "capture/SaveCommands.h"

#include "capture/PhoneMockup.h"
#include "imaging/modJPEG.h"
#include "platform/ProgramFolder.h"
#include "text/Text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(const std::string& fileName) {
    return LowerAscii(fs::path(fileName).extension().string());
}

void ReportNotSaved(SaveContext& c, const std::string& fileName, const std::string& reason) {
    c.Dialogs.MessageBox("Picture not saved to " + fileName + "\r\n" + reason);
}

// The reason for a failed JPEG write: the encoder's text and the system's reason.
std::string JpegFailure(const std::string& errorText, const JpegWriteOptions& options) {
    return options.Detail.empty() ? errorText : errorText + ": " + options.Detail;
}

void SaveBitmapFile(SaveContext& c, const std::string& fileName) {
    if (!c.Picture1)
        return ReportNotSaved(c, fileName, "No picture loaded to save.");
    std::vector<unsigned char> bytes;
    std::string error;
    if (!c.Codec.EncodeBmp(c.Picture1, bytes, error))
        return ReportNotSaved(c, fileName, error);
    FileWriteOptions options;
    options.Faults = c.Faults;
    if (WriteFileAtomically(fileName, bytes.data(), bytes.size(), options, error) !=
        WriteOutcome::Written)
        ReportNotSaved(c, fileName, error);
}

} // namespace

SaveResult SavePngFile(SaveContext& c, const std::string& fileName, const Picture& picture) {
    std::vector<unsigned char> png;
    std::string error;
    FileWriteOptions options;
    options.Faults = c.Faults;
    if (c.Codec.EncodePng(picture, png, error) &&
        WriteFileAtomically(fileName, png.data(), png.size(), options, error) ==
            WriteOutcome::Written)
        return SaveResult::Saved;
    ReportNotSaved(c, fileName, error);
    return SaveResult::Failed;
}

SaveResult SavePictureFile(SaveContext& c, const std::string& fileName, WriteMode mode) {
    cJPEG image;
    image.CreateFromPicture(c.Picture1);
    std::int32_t errorCode = 0;
    std::string errorText;
    JpegWriteOptions options;
    options.Replace = mode == WriteMode::Replace;
    options.Faults = c.Faults;
    if (SaveJPG(image, fileName, c.Settings.JpegQuality, errorCode, errorText, &options))
        return SaveResult::Saved;
    if (options.NameTaken)
        return SaveResult::NameTaken;
    ReportNotSaved(c, fileName, JpegFailure(errorText, options));
    return SaveResult::Failed;
}

std::string SaveAutoNamed(SaveContext& c) {
    const std::string& folder = c.Settings.AutoSaveFolder;
    if (!folder.empty()) {
        std::error_code ec;
        if (folder == c.DefaultFolder)
            fs::create_directories(folder, ec);
        else
            fs::create_directory(folder, ec);
        std::error_code dirError;
        if (!fs::is_directory(folder, dirError)) {
            const std::string reason = ec ? ec.message() : "Not a directory";
            c.Dialogs.MessageBox("Picture not saved: the folder " + folder +
                                 " cannot be created\r\n" + reason);
            return {};
        }
    }
    // Encoded once, at the first free name, however many names turn out to be taken.
    std::vector<std::uint8_t> jpeg;
    for (int n = 1; n <= MaxAutoNumber; ++n) {
        std::string name =
            folder + PathSeparator + c.Settings.AutoNamePrefix + std::to_string(n) + ".jpg";
        std::error_code ec;
        if (fs::exists(fs::symlink_status(name, ec)))
            continue;
        std::int32_t errorCode = 0;
        std::string errorText;
        if (jpeg.empty()) {
            cJPEG image;
            image.CreateFromPicture(c.Picture1);
            if (!EncodeJPG(image, c.Settings.JpegQuality, jpeg, errorCode, errorText, c.Faults)) {
                ReportNotSaved(c, name, errorText);
                return {};
            }
        }
        // Another program may take the name between the test and the write.
        JpegWriteOptions options;
        options.Replace = false;
        options.Faults = c.Faults;
        if (WriteJPG(jpeg, name, errorCode, errorText, &options))
            return name;
        if (!options.NameTaken) {
            ReportNotSaved(c, name, JpegFailure(errorText, options));
            return {};
        }
    }
    c.Dialogs.MessageBox("Too many pictures in captured folder, picture not saved");
    return {};
}

// A capture with no pixels means the screen could not be read: never a file.
bool CaptureOrSaySo(SaveContext& c, const char* notDone = "Picture not saved") {
    c.Capture();
    if (c.Picture1 && c.Picture1->Width > 0 && c.Picture1->Height > 0)
        return true;
    c.Dialogs.MessageBox(std::string(notDone) + ": the screen could not be read.");
    return false;
}

Picture CurrentMockup(const SaveContext& c) {
    if (!c.Layout || !c.Layout->SkinImage || !c.Picture1)
        return nullptr;
    return ComposePhoneMockup(*c.Layout->SkinImage, c.Layout->ShotRect, *c.Picture1);
}

void CopyToClipboard(SaveContext& c, IClipboard& clipboard, PictureKind kind) {
    if (!CaptureOrSaySo(c, "Picture not copied"))
        return;
    bool copied = false;
    if (kind == PictureKind::PhoneMockup) {
        const Picture mockup = CurrentMockup(c);
        copied = mockup && clipboard.SetPicture(mockup);
    } else {
        cJPEG image;
        image.CreateFromPicture(c.Picture1);
        copied = image.CopyToClipboard(clipboard);
    }
    if (!copied)
        c.Dialogs.MessageBox("Picture not copied: the clipboard did not take it.");
}

std::string QuickSave(SaveContext& c) {
    return CaptureOrSaySo(c) ? SaveAutoNamed(c) : std::string();
}

void SaveAs(SaveContext& c) {
    if (!CaptureOrSaySo(c))
        return;
    SaveDialogRequest request;
    request.Filter = SaveAsFilter;
    request.ProposedName = c.Settings.AutoNamePrefix + std::to_string(c.SaveAsCounter);
    request.OverwritePrompt = true;
    // The counter stops at the largest 16-bit value instead of wrapping.
    const bool raised = c.SaveAsCounter < INT16_MAX;
    if (raised)
        ++c.SaveAsCounter;
    const auto takeBack = [&] {
        if (raised)
            --c.SaveAsCounter;
    };

    const SaveDialogResult result = c.Dialogs.ShowSaveDialog(request);
    if (!result.Accepted)
        return takeBack();
    std::string fileName = result.FileName;
    std::string ext = LowerExtension(fileName);
    const auto type = static_cast<SaveAsType>(result.FilterIndex);
    if (ext.empty()) {
        ext = type == SaveAsType::Bitmap                                   ? ".bmp"
              : type == SaveAsType::Png || type == SaveAsType::PhoneMockup ? ".png"
                                                                           : ".jpg";
        fileName += ext;
    }
    if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe") {
        SavePictureFile(c, fileName);
    } else if (ext == ".bmp") {
        SaveBitmapFile(c, fileName);
    } else if (ext == ".png" && type == SaveAsType::PhoneMockup) {
        const Picture mockup = CurrentMockup(c);
        if (mockup)
            SavePngFile(c, fileName, mockup);
        else
            ReportNotSaved(c, fileName, std::strerror(ENOMEM));
    } else if (ext == ".png") {
        SavePngFile(c, fileName, c.Picture1);
    } else {
        takeBack();
        ReportNotSaved(c, fileName, "Use a name ending in .jpg, .jpeg, .jpe, .bmp or .png");
    }
}
