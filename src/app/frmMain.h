#pragma once

#include "app/ShortTextDialogs.h"
#include "app/frmTooltip.h"
#include "capture/SaveCommands.h"
#include "platform/IDialogs.h"
#include "platform/IMainWindow.h"
#include "platform/IMenuService.h"
#include "platform/IPictureCodec.h"
#include "platform/IScreen.h"
#include "platform/IShell.h"
#include "platform/IWindowFactory.h"
#include "settings/AppSettings.h"
#include "settings/frmOption.h"
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
    IMenuService& Menus;
    IWindowFactory& Windows;
};

// Pointer buttons and the key codes the main window acts on.
namespace Mouse {
inline constexpr std::int16_t Left = 1;
inline constexpr std::int16_t Right = 2;
inline constexpr std::int16_t Middle = 4;
} // namespace Mouse

namespace Key {
inline constexpr std::int16_t PageUp = 33;
inline constexpr std::int16_t PageDown = 34;
inline constexpr std::int16_t Left = 37;
inline constexpr std::int16_t Up = 38;
inline constexpr std::int16_t Right = 39;
inline constexpr std::int16_t Down = 40;
inline constexpr std::int16_t Digit0 = 48;
inline constexpr std::int16_t Digit9 = 57;
inline constexpr std::int16_t F1 = 112;
} // namespace Key

// The program's main window: all run-time state and the logic that reacts to the user.
class frmMain {
  public:
    // captureFolder is where the default auto-save path leads; empty: beside the program.
    frmMain(MainWindowPorts ports, Picture builtinSkin, std::string programFolder,
            std::string captureFolder = {});

    // Start-up: everything up to the window shown centred on the screen.
    void Form_Load();
    // Orderly shutdown: the settings are written on every close.
    void Form_Unload();

    // Pointer events: the button that changed (press, release) or the buttons held
    // (move), the Shift/Ctrl/Alt state, and the position in twips within the window.
    void Form_MouseDown(std::int16_t button, std::int16_t shift, float X, float Y);
    void Form_MouseMove(std::int16_t button, std::int16_t shift, float X, float Y);
    void Form_MouseUp(std::int16_t button, std::int16_t shift, float X, float Y);
    // The second press of a double click, after its Form_MouseDown.
    void Form_DblClick(float X, float Y);
    // The pointer left the window (off its edge or into the hole).
    void Form_MouseLeave();
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift);

    bool HitTest(std::int16_t X, std::int16_t Y, const SkinRect& rect) const;
    bool OnAnyButton(std::int16_t X, std::int16_t Y) const;

    // Public operations.
    void SaveAs();
    void QuickSave();
    void Capture();
    void MoveByDiff(std::int16_t dx, std::int16_t dy);
    void ShowAbout();
    void ExchangeSettingData(bool optionDialogToMain);

    void ShowContextMenu();
    void ShowOptions();
    void OpenHelp();
    void ToggleCaptureMode();
    // Closes the window; the shutdown runs through Form_Unload.
    void Close();

    // Sizes the window to the skin picture and cuts its outline and hole.
    void ApplyWindowShape();
    void LoadSkin(std::int16_t n);
    void SwitchSkin(std::int16_t n);

    std::string SkinsFolder() const;
    const std::string& ProgramFolder() const { return programFolder_; }
    frmTooltip& Tooltip() { return tooltip_; }
    frmOption* OptionDialog() { return options_; }

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
    // The hot spot under a point, in testing order: 1 close, 2 Quick Save, 3 Save As,
    // 4 capture mode; 0 for none.
    int HotSpotAt(std::int16_t X, std::int16_t Y) const;
    // Hides the tip, if there is one, around anything that opens a modal window.
    void DismissTip();

    MainWindowPorts ports_;
    ShortTextDialogs dialogs_; // every message through it, shortened
    Picture builtinSkin_;
    std::string programFolder_;
    std::string captureFolder_;
    frmTooltip tooltip_;
    frmOption* options_ = nullptr;
    Region shape_; // kept so that its memory serves every re-shape
};
