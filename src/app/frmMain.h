// SPDX-License-Identifier: MIT

#pragma once

#include "app/SaveNotice.h"
#include "app/ShortTextDialogs.h"
#include "app/frmTooltip.h"
#include "capture/SaveCommands.h"
#include "platform/IClipboard.h"
#include "platform/IDialogs.h"
#include "platform/IMainWindow.h"
#include "platform/IMainWindowListener.h"
#include "platform/IMenuService.h"
#include "platform/IPictureCodec.h"
#include "platform/IScreen.h"
#include "platform/IShell.h"
#include "platform/IWindowFactory.h"
#include "platform/ProgramVersion.h"
#include "settings/AppSettings.h"
#include "settings/frmOption.h"
#include "settings/modRegistry.h"
#include "skin/SkinCatalogue.h"
#include "skin/SkinLayout.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
    IClipboard& Clipboard;
};

// The skin's hot spots; each is one row of frmMain's hot-spot table, which gives the order
// they are tested in. The id a hot spot is published under for assistive technology.
enum class HotSpot { None, Close, QuickSave, SaveAs, CaptureMode };

// The context menu's items by the numbers the menu gives them (their places, counted
// from 1; None a dismissed menu or a separator); skin n is element n + 1 of the Skins
// sub-menu. The menu is built from one list of entries that is checked against these.
enum class ContextCommand : std::int32_t {
    None = 0,
    QuickSave = 1,
    SaveAs = 2,
    Skins = 4,
    Settings = 5,
    Exit = 7,
    Help = 9,
    About = 10,
};

// The main window's run-time state, in declaration order.
struct MainState {
    AppSettings Settings;
    bool Dragging = false;
    std::int16_t DragStartX = 0;
    std::int16_t DragStartY = 0;
    SkinLayout Layout;
    bool CaptureMode = false;
    std::int16_t SaveAsCounter = 0;
    SkinCatalogue Catalogue;
    Picture Picture1; // the latest capture, and the staging place of a skin picture
    Picture Picture2; // the built-in skin picture, for the whole run
};

// The program's main window: all run-time state and the logic that reacts to the user.
// It listens to its window from construction to destruction.
class frmMain : public IMainWindowListener {
  public:
    // captureFolder is where the default auto-save path leads; empty: beside the program.
    // version is what the about box shows.
    frmMain(MainWindowPorts ports, Picture builtinSkin, std::string programFolder,
            std::string captureFolder = {}, VersionNumbers version = BuildVersion);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Start-up: everything up to the window shown centred on the screen.
    void Form_Load();
    // Orderly shutdown: the settings are written on every close.
    void Form_Unload() override;

    // Pointer events: the button that changed (press, release) or the buttons held
    // (move), the Shift/Ctrl/Alt state, and the position in twips within the window.
    void Form_MouseDown(std::int16_t button, std::int16_t shift, float X, float Y) override;
    void Form_MouseMove(std::int16_t button, std::int16_t shift, float X, float Y) override;
    void Form_MouseUp(std::int16_t button, std::int16_t shift, float X, float Y) override;
    // The second press of a double click, after its Form_MouseDown.
    void Form_DblClick(float X, float Y) override;
    // The pointer left the window (off its edge or into the hole).
    void Form_MouseLeave() override;
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) override;
    // A hot spot pressed through assistive technology: its HotSpot as the button's id.
    void Button_Press(int id) override;

    bool HitTest(std::int16_t X, std::int16_t Y, const SkinRect& rect) const;
    bool OnAnyButton(std::int16_t X, std::int16_t Y) const;

    // Public operations.
    void SaveAs();
    void QuickSave();
    // Captures and puts the capture, or the phone mock-up around it, on the clipboard.
    void CopyToClipboard(PictureKind kind);
    void Capture();
    void MoveByDiff(std::int16_t dx, std::int16_t dy);
    void ShowAbout();
    void ExchangeSettingData(bool optionDialogToMain);

    // At the pointer, or at the phone's display when the keyboard asks for it.
    enum class MenuPlace { Pointer, Phone };
    void ShowContextMenu(MenuPlace place = MenuPlace::Pointer);
    void ShowOptions();
    void OpenHelp();
    void ToggleCaptureMode();
    // Closes the window; the shutdown runs through Form_Unload.
    void Close();

    // Sizes the window to the skin picture and cuts its outline and hole.
    void ApplyWindowShape();
    void LoadSkin(std::int16_t n);
    void SwitchSkin(std::int16_t n);
    // Every change of skin, from the keys and the menu: hide, LoadSkin, ApplyWindowShape
    // and show, the window moved just enough to keep the whole phone on the screen it
    // stood on.
    void ShowSkin(std::int16_t n);

    std::string SkinsFolder() const;
    // The user's own skins, listed with the program's; empty: the program's alone.
    void SetUserSkinsFolder(std::string folder) { userSkinsFolder_ = std::move(folder); }
    const std::string& ProgramFolder() const { return programFolder_; }
    frmTooltip& Tooltip() { return tooltip_; }
    frmOption* OptionDialog() { return options_; }

    // The run-time state; only the main window's own routines, and those it hands the
    // state to, change it.
    const MainState& State() const { return state_; }

  private:
    friend struct MainAccess; // how tests and benchmarks set a state up

    // A hot spot: its rectangle in the layout, its name and tip for the user and the
    // command a click or a press runs.
    struct HotSpotRow {
        HotSpot Spot;
        SkinRect SkinLayout::*Rect;
        const char* Name;
        std::string (*Tip)(const frmMain&);
        void (frmMain::*Command)();
    };
    // In the order they are tested: the first that holds the point wins.
    static const HotSpotRow HotSpots[];

    SettingsContext SettingsAccess();
    SaveContext SaveAccess();
    // The first hot spot that holds the point; null when none does.
    const HotSpotRow* HotSpotAt(std::int16_t X, std::int16_t Y) const;
    // Runs a hot spot's command, clicked or pressed; nothing for null.
    void RunHotSpot(const HotSpotRow* spot);
    // Hides the tip, if there is one, around anything that opens a modal window.
    void DismissTip();
    // The hot spots of the skin in force, with their tips, for assistive technology.
    void PublishHotSpots();
    std::string QuickSaveTip() const;
    // Tells the user where a Quick Save wrote its file.
    void AnnounceSave(const std::string& path);

    MainState state_;
    MainWindowPorts ports_;
    ShortTextDialogs dialogs_; // every message through it, shortened
    Picture builtinSkin_;
    std::string programFolder_;
    std::string captureFolder_;
    VersionNumbers version_;
    std::string userSkinsFolder_;
    frmTooltip tooltip_;
    SaveNotice notice_;
    frmOption* options_ = nullptr;
    Region shape_; // kept so that its memory serves every re-shape
    // Quick Saves' files, until the event loop tells of them.
    std::vector<std::string> announce_;
    // Expires with the window, for the tasks it leaves for later.
    std::shared_ptr<void> alive_ = std::make_shared<int>();
};
