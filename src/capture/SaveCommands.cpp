// SPDX-License-Identifier: MIT

#include "capture/SaveCommands.h"

#include "capture/PhoneMockup.h"
#include "imaging/modJPEG.h"
#include "platform/ProgramFolder.h"
#include "text/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

std::string LowerExtension(const std::string& fileName) {
    return LowerAscii(fs::path(fileName).extension().string());
}

void ReportNotSaved(SaveContext& c, const std::string& fileName, const std::string& reason) {
    c.Dialogs.MessageBox("Picture not saved to " + fileName + "\r\n" + reason);
}

WriteResult EncodeJpeg(SaveContext& c, const Picture& picture, Bytes& bytes) {
    cJPEG image;
    image.CreateFromPicture(picture);
    return EncodeJPG(image, c.Settings.JpegQuality, bytes, c.Faults);
}

WriteResult EncodeBitmap(SaveContext& c, const Picture& picture, Bytes& bytes) {
    return c.Codec.EncodeBmp(picture, bytes);
}

WriteResult EncodePng(SaveContext& c, const Picture& picture, Bytes& bytes) {
    return c.Codec.EncodePng(picture, bytes);
}

// A Save As type: its filter entry, the extensions it writes (the first for a name typed
// without one), the picture it writes, its encoder, and its own words for a failed write
// (null: the system's reason alone).
struct SaveFormat {
    const char* Description;
    std::vector<std::string> Extensions;
    PictureKind Kind;
    WriteResult (*Encode)(SaveContext&, const Picture&, Bytes&);
    std::string (*WriteFailure)(const std::string& reason);
};

// In SaveAsType's order.
const SaveFormat SaveFormats[] = {
    {"JPEG Files (*.jpg)",
     {".jpg", ".jpeg", ".jpe"},
     PictureKind::Capture,
     EncodeJpeg,
     JpegFileFailure},
    {"Bitmap Files (*.bmp)", {".bmp"}, PictureKind::Capture, EncodeBitmap, nullptr},
    {"PNG (*.png)", {".png"}, PictureKind::Capture, EncodePng, nullptr},
    {"Phone mock-up, PNG (*.png)", {".png"}, PictureKind::PhoneMockup, EncodePng, nullptr},
};

const SaveFormat& FormatOf(SaveAsType type) {
    return SaveFormats[static_cast<int>(type)];
}

std::string SaveAsFilter() {
    std::string filter;
    for (const SaveFormat& f : SaveFormats) {
        filter.append(filter.empty() ? "" : "|").append(f.Description).append("|");
        for (const std::string& ext : f.Extensions)
            filter.append(&ext == &f.Extensions.front() ? "*" : ";*").append(ext);
    }
    return filter;
}

// Every extension written, in the table's order, as a sentence's list.
std::string KnownExtensions() {
    std::vector<std::string> all;
    for (const SaveFormat& f : SaveFormats)
        for (const std::string& ext : f.Extensions)
            if (std::find(all.begin(), all.end(), ext) == all.end())
                all.push_back(ext);
    std::string text;
    for (std::size_t i = 0; i < all.size(); ++i)
        text.append(i == 0 ? "" : i + 1 == all.size() ? " or " : ", ").append(all[i]);
    return text;
}

// The format a name is written in: the chosen type where the extension is one of its own,
// else the first type that has it; null for an extension none has.
const SaveFormat* FormatFor(const std::string& ext, const SaveFormat& chosen) {
    const auto has = [&](const SaveFormat& f) {
        return std::find(f.Extensions.begin(), f.Extensions.end(), ext) != f.Extensions.end();
    };
    if (has(chosen))
        return &chosen;
    const auto found = std::find_if(std::begin(SaveFormats), std::end(SaveFormats), has);
    return found == std::end(SaveFormats) ? nullptr : found;
}

WriteResult Encode(SaveContext& c, const SaveFormat& f, Bytes& bytes) {
    if (!c.Picture1)
        return WriteResult::Failed(NoPictureToSave);
    if (f.Kind == PictureKind::Capture)
        return f.Encode(c, c.Picture1, bytes);
    const Picture mockup = CurrentMockup(c);
    return mockup ? f.Encode(c, mockup, bytes) : WriteResult::Failed(std::strerror(ENOMEM));
}

// The one write of a capture's file.
WriteResult Write(SaveContext& c, const SaveFormat& f, const std::string& fileName,
                  const Bytes& bytes, WriteMode mode) {
    FileWriteOptions options;
    options.Mode = mode;
    options.Faults = c.Faults;
    WriteResult result = WriteFileAtomically(fileName, bytes.data(), bytes.size(), options);
    if (result.Outcome == WriteOutcome::Failed && f.WriteFailure)
        result.Reason = f.WriteFailure(result.Reason);
    return result;
}

WriteResult Save(SaveContext& c, const SaveFormat& f, const std::string& fileName) {
    Bytes bytes;
    WriteResult result = Encode(c, f, bytes);
    if (result)
        result = Write(c, f, fileName, bytes, WriteMode::Replace);
    if (!result)
        ReportNotSaved(c, fileName, result.Reason);
    return result;
}

} // namespace

WriteResult SavePicture(SaveContext& c, SaveAsType type, const std::string& fileName) {
    return Save(c, FormatOf(type), fileName);
}

WriteResult SavePictureFile(SaveContext& c, const std::string& fileName) {
    return SavePicture(c, SaveAsType::Jpeg, fileName);
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
    const SaveFormat& jpeg = FormatOf(SaveAsType::Jpeg);
    Bytes bytes;
    for (int n = 1; n <= MaxAutoNumber; ++n) {
        std::string name =
            folder + PathSeparator + c.Settings.AutoNamePrefix + std::to_string(n) + ".jpg";
        std::error_code ec;
        if (fs::exists(fs::symlink_status(name, ec)))
            continue;
        WriteResult result = bytes.empty() ? Encode(c, jpeg, bytes) : WriteResult{};
        // Another program may take the name between the test and the write.
        if (result)
            result = Write(c, jpeg, name, bytes, WriteMode::KeepExisting);
        if (result)
            return name;
        if (result.Outcome == WriteOutcome::Failed) {
            ReportNotSaved(c, name, result.Reason);
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
    std::string text = std::string(notDone) + ": the screen could not be read.";
    if (const std::string why = c.WhyNotRead ? c.WhyNotRead() : std::string(); !why.empty())
        text.append(" ").append(why);
    c.Dialogs.MessageBox(text);
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
    request.Filter = SaveAsFilter();
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
    const auto index = static_cast<std::size_t>(result.FilterIndex);
    const SaveFormat& chosen = SaveFormats[index < std::size(SaveFormats) ? index : 0];
    if (ext.empty()) {
        ext = chosen.Extensions.front();
        fileName += ext;
    }
    if (const SaveFormat* format = FormatFor(ext, chosen))
        return static_cast<void>(Save(c, *format, fileName));
    takeBack();
    ReportNotSaved(c, fileName, "Use a name ending in " + KnownExtensions());
}
