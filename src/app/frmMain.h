#pragma once

#include "capture/SaveCommands.h"
#include "platform/IDialogs.h"
#include "platform/IMainWindow.h"
#include "platform/IPictureCodec.h"
#include "platform/IScreen.h"
#include "platform/IShell.h"
#include "settings/AppSettings.h"
#include "settings/modRegistry.h"
#include "skin/SkinCatalogue.h"
#include "skin/SkinLayout.h"

#include <cstdint>
#include <string>

// The platform services the main window reaches.
struct MainWindowPorts {
    IMainWindow& Window;
    IScreen& Screen;
    IPictureCodec& Codec;
    IDialogs& Dialogs;
    IShell& Shell;
    modRegistry& Registry;
};

// The program's main window: all run-time state and the logic that reacts to the user.
class frmMain {
public:
    frmMain(MainWindowPorts ports, Picture builtinSkin, std::string programFolder);

    // Start-up: everything up to the window shown centred on the screen.
    void Form_Load();
    // Orderly shutdown: the settings are written on every close.
    void Form_Unload();

    // Save As and Quick Save: capture, then write.
    void SaveAs();
    void QuickSave();
    // Copies the screen under the shot area into Picture1.
    void Capture();

    // Sizes the window to the skin picture and cuts its outline and hole.
    void ApplyWindowShape();
    void LoadSkin(std::int16_t n);
    void SwitchSkin(std::int16_t n);

    std::string SkinsFolder() const;
    const std::string& ProgramFolder() const { return programFolder_; }

    // Run-time state, in declaration order.
    AppSettings Settings;
    bool Dragging = false;
    std::int16_t DragStartX = 0;
    std::int16_t DragStartY = 0;
    std::int16_t LastX = 0;
    std::int16_t LastY = 0;
    SkinLayout Layout;
    bool CaptureMode = false;
    std::int16_t SaveAsCounter = 0;
    SkinCatalogue Catalogue;

    Picture Picture1; // the latest capture, and the staging place of a skin picture
    Picture Picture2; // the built-in skin picture, for the whole run

private:
    SettingsContext SettingsAccess();
    SaveContext SaveAccess();

    MainWindowPorts ports_;
    Picture builtinSkin_;
    std::string programFolder_;
};
