// SPDX-License-Identifier: MIT

#pragma once

#include "io/AtomicFile.h"
#include "platform/IClipboard.h"
#include "platform/IDialogs.h"
#include "platform/IPictureCodec.h"
#include "settings/AppSettings.h"
#include "skin/SkinLayout.h"

#include <cstdint>
#include <functional>
#include <string>

// The Save As types, by their place in the Save dialog's filter.
enum class SaveAsType { Jpeg, Bitmap, Png, PhoneMockup };
// What a command puts out: the capture alone, or the phone with the capture in its display.
enum class PictureKind { Capture, PhoneMockup };
inline constexpr int MaxAutoNumber = 9999;

// What the save commands read and write, held by the main window.
struct SaveContext {
    Picture& Picture1; // the current capture
    const AppSettings& Settings;
    std::int16_t& SaveAsCounter;
    IDialogs& Dialogs;
    IPictureCodec& Codec;
    std::function<void()> Capture;
    // Where the default auto-save path leads; made with all its parents when missing.
    std::string DefaultFolder;
    // Handed to the file writers; null writes for real.
    IWriteFaults* Faults = nullptr;
    // The current skin, around the capture in a phone mock-up.
    const SkinLayout* Layout = nullptr;
    // What the screen knows of why the last capture has no picture; may be unset.
    std::function<std::string()> WhyNotRead = {};
};

// Captures, asks for a name and writes a JPEG, a BMP or a PNG by the name's extension (a
// name without one takes the chosen type's).
void SaveAs(SaveContext& context);
// Captures and writes a JPEG under the first free automatic name: the file written, or
// empty when none was (the user has been told why).
std::string QuickSave(SaveContext& context);
// Captures and puts the capture, or the phone mock-up around it, on the clipboard; a
// failure is reported to the user.
void CopyToClipboard(SaveContext& context, IClipboard& clipboard,
                     PictureKind kind = PictureKind::Capture);
// The current skin with the current capture in its shot area; null without a skin or when
// memory runs out.
Picture CurrentMockup(const SaveContext& context);
// Encodes what the type writes (the current capture, or the phone mock-up around it) and
// writes it, replacing a file of that name only once the new one is whole; a failure is
// reported to the user.
WriteResult SavePicture(SaveContext& context, SaveAsType type, const std::string& fileName);
// Writes the current capture as a JPEG, as SavePicture does.
WriteResult SavePictureFile(SaveContext& context, const std::string& fileName);
// Writes the current capture under prefix + n + ".jpg" for the first n in 1..9999 that
// nothing is named, after making the auto-save folder (one level; the default folder with
// its parents). The picture is encoded once, however many names are taken. The file
// written, or empty.
std::string SaveAutoNamed(SaveContext& context);
