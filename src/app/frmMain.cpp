// SPDX-License-Identifier: MIT

#include "app/frmMain.h"

#include "capture/SaveCommands.h"
#include "capture/modScreenCapture.h"
#include "menus/cPopupMenu.h"
#include "menus/frmAbout.h"
#include "platform/ProgramFolder.h"
#include "platform/Twips.h"
#include "settings/OptionsLayout.h"
#include "skin/LoadSkin.h"
#include "skin/WindowShape.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

constexpr const char* SkinsFolderName = "skins";
constexpr const char* HelpPage = "readme.htm";
// A move's buttons when none is held.
constexpr std::int16_t NoButton = 0;
// The number Save As proposes first in a run.
constexpr std::int16_t FirstSaveAsNumber = 1;
// The taller capture area reaches this much higher and lower than the skin's, in pixels.
constexpr int CaptureModeRaise = 14;
constexpr int CaptureModeDrop = 18;
// Element 0 of the Skins sub-menu is its caption: skin n is element n + 1.
constexpr std::int32_t FirstSkinElement = 1;

} // namespace

frmMain::frmMain(MainWindowPorts ports, Picture builtinSkin, std::string programFolder,
                 std::string captureFolder, VersionNumbers version)
    : ports_(ports), dialogs_(ports.Dialogs), builtinSkin_(std::move(builtinSkin)),
      programFolder_(std::move(programFolder)),
      captureFolder_(captureFolder.empty() ? programFolder_ + PathSeparator + CaptureFolderName
                                           : std::move(captureFolder)),
      version_(version), tooltip_(ports.Windows), notice_(ports.Windows) {
    ports_.Window.SetListener(this);
}

frmMain::~frmMain() {
    ports_.Window.SetListener(nullptr);
}

std::string frmMain::SkinsFolder() const {
    return programFolder_ + PathSeparator + SkinsFolderName + PathSeparator;
}

SettingsContext frmMain::SettingsAccess() {
    return SettingsContext{state_.Settings,
                           state_.Catalogue,
                           ports_.Registry,
                           dialogs_,
                           [this](std::int16_t n) { LoadSkin(n); },
                           captureFolder_};
}

SaveContext frmMain::SaveAccess() {
    SaveContext context{state_.Picture1, state_.Settings,       state_.SaveAsCounter, dialogs_,
                        ports_.Codec,    [this] { Capture(); }, captureFolder_};
    context.Layout = &state_.Layout;
    context.WhyNotRead = [this] { return ports_.Screen.WhyNoPicture(); };
    return context;
}

void frmMain::DismissTip() {
    if (tooltip_.Loaded())
        tooltip_.Hide();
}

void frmMain::SaveAs() {
    DismissTip();
    SaveContext context = SaveAccess();
    ::SaveAs(context);
    DismissTip();
}

void frmMain::QuickSave() {
    DismissTip();
    SaveContext context = SaveAccess();
    const std::string written = ::QuickSave(context);
    DismissTip();
    if (written.empty())
        return;
    // The note and the notification come once the save has returned, on the event loop,
    // for each save in turn.
    announce_.push_back(written);
    if (announce_.size() == 1)
        ports_.Window.Later([this, alive = std::weak_ptr<void>(alive_)] {
            if (alive.expired())
                return;
            for (const std::string& path : std::exchange(announce_, {}))
                AnnounceSave(path);
        });
}

void frmMain::AnnounceSave(const std::string& path) {
    // The written name is the folder, a separator and the file's name, bytes as they are.
    const std::size_t cut = path.find_last_of(std::string{PathSeparator, '/'});
    const std::string name = path.substr(cut + 1);
    const std::string folder = path.substr(0, cut);
    const IMainWindow& window = ports_.Window;
    notice_.Show(name, folder, {window.Left(), window.Top(), window.Width(), window.Height()},
                 ports_.Screen.PrimaryScreen());
    ports_.Shell.Notify("Saved " + name, folder, folder);
}

void frmMain::CopyToClipboard(PictureKind kind) {
    DismissTip();
    SaveContext context = SaveAccess();
    ::CopyToClipboard(context, ports_.Clipboard, kind);
    DismissTip();
}

void frmMain::Capture() {
    IScreen& screen = ports_.Screen;
    const SkinRect& shot = state_.Layout.ShotRect;
    double left = 0, top = 0;
    ports_.Window.Place(left, top);
    const float x = static_cast<float>(left / screen.TwipsPerPixelX()) + shot.Left;
    const float y = static_cast<float>(top / screen.TwipsPerPixelY()) + shot.Top;
    const auto width = static_cast<std::int16_t>(shot.Right - shot.Left);
    const auto height = static_cast<std::int16_t>(shot.Bottom - shot.Top);
    state_.Picture1 = CaptureScreenRect(screen, static_cast<std::int32_t>(std::nearbyint(x)),
                                        ToInt16Saturated(y), width, height);
}

void frmMain::Form_Load() {
    state_.Picture2 = builtinSkin_;
    state_.SaveAsCounter = FirstSaveAsNumber;
    state_.CaptureMode = false;
    BuildSkinList(state_.Catalogue, SkinsFolder(), userSkinsFolder_);
    SettingsContext settings = SettingsAccess();
    LoadSettings(settings);
    ApplyWindowShape();

    IMainWindow& window = ports_.Window;
    const IScreen& screen = ports_.Screen;
    // Centre on the primary screen, on whole pixels so the picture is not drawn between them.
    const double tx = screen.TwipsPerPixelX(), ty = screen.TwipsPerPixelY();
    const ScreenArea area = screen.PrimaryScreen();
    const double left = std::floor((area.Left + (area.Width - window.Width()) / 2) / tx);
    const double top = std::floor((area.Top + (area.Height - window.Height()) / 2) / ty);
    window.Move(left * tx, top * ty);
    window.Show();
}

void frmMain::Form_Unload() {
    SettingsContext settings = SettingsAccess();
    SaveSettings(settings);
    announce_.clear();
    tooltip_.Close();
    notice_.Close();
    if (options_)
        options_->Close();
}

void frmMain::Close() {
    ports_.Window.Close();
}

void frmMain::ApplyWindowShape() {
    IMainWindow& window = ports_.Window;
    const SkinLayout& layout = state_.Layout;
    const Image& image = *layout.SkinImage;
    window.Resize(image.Width * ports_.Screen.TwipsPerPixelX(),
                  image.Height * ports_.Screen.TwipsPerPixelY());
    window.SetPicture(layout.SkinImage);
    ComputeWindowShape(image, layout.ShotRect, shape_);
    window.SetRegion(shape_);
    PublishHotSpots();
}

void frmMain::LoadSkin(std::int16_t n) {
    SkinContext context{state_.Layout,
                        state_.Catalogue,
                        state_.Picture1,
                        state_.Picture2,
                        ports_.Codec,
                        dialogs_,
                        SkinsFolder(),
                        ports_.Screen.TwipsPerPixelX(),
                        ports_.Screen.TwipsPerPixelY()};
    ::LoadSkin(n, context);
    // Any skin loaded starts with the normal capture area.
    state_.CaptureMode = false;
}

void frmMain::SwitchSkin(std::int16_t n) {
    RefreshSkinList(state_.Catalogue, SkinsFolder(), userSkinsFolder_);
    if (n < 0 || n > state_.Catalogue.Count)
        return;
    DismissTip();
    ShowSkin(n);
}

namespace {

// The window's new left (or top) edge on one axis, in pixels: moved the least that keeps
// all of it within [begin, end); one larger than that keeps its corner at begin.
int KeepWithin(int edge, int size, int begin, int end) {
    if (size > end - begin)
        return begin;
    return std::clamp(edge, begin, end - size);
}

} // namespace

void frmMain::ShowSkin(std::int16_t n) {
    IMainWindow& window = ports_.Window;
    const IScreen& screen = ports_.Screen;
    const ScreenArea stood{window.Left(), window.Top(), window.Width(), window.Height()};
    window.Hide();
    LoadSkin(n);
    ApplyWindowShape();
    const double tx = screen.TwipsPerPixelX(), ty = screen.TwipsPerPixelY();
    const ScreenArea work = screen.WorkAreaOf(stood);
    const int workLeft = TwipsToPixels(work.Left, tx), workTop = TwipsToPixels(work.Top, ty);
    const int left = KeepWithin(TwipsToPixels(window.Left(), tx), TwipsToPixels(window.Width(), tx),
                                workLeft, workLeft + TwipsToPixels(work.Width, tx));
    const int top = KeepWithin(TwipsToPixels(window.Top(), ty), TwipsToPixels(window.Height(), ty),
                               workTop, workTop + TwipsToPixels(work.Height, ty));
    if (left != TwipsToPixels(window.Left(), tx) || top != TwipsToPixels(window.Top(), ty))
        window.Move(left * tx, top * ty);
    window.Show();
}

// Pointer handling.

std::string frmMain::QuickSaveTip() const {
    // The default path names the folder the files really go to.
    const AppSettings& settings = state_.Settings;
    return "Alternative: right click\r\nAuto-name and save to default folder:\r\n" +
           (settings.AutoSavePath == DefaultAutoSavePath ? captureFolder_ : settings.AutoSavePath);
}

// A new hot spot is one more row here, with its rectangle in SkinLayout.
const frmMain::HotSpotRow frmMain::HotSpots[] = {
    {HotSpot::Close, &SkinLayout::CloseRect, "Close",
     [](const frmMain&) -> std::string { return "Close"; }, &frmMain::Close},
    {HotSpot::QuickSave, &SkinLayout::SaveRect, "Quick Save",
     [](const frmMain& main) { return main.QuickSaveTip(); }, &frmMain::QuickSave},
    {HotSpot::SaveAs, &SkinLayout::SaveAsRect, "Save As",
     [](const frmMain&) -> std::string { return "Alternative: double click\r\nSave As ..."; },
     &frmMain::SaveAs},
    {HotSpot::CaptureMode, &SkinLayout::ModeRect, "Toggle Capture Mode",
     [](const frmMain&) -> std::string { return "Toggle Capture Mode"; },
     &frmMain::ToggleCaptureMode},
};

void frmMain::PublishHotSpots() {
    std::vector<AccessibleButton> buttons;
    for (const HotSpotRow& spot : HotSpots) {
        const SkinRect& r = state_.Layout.*spot.Rect;
        if (r.Right < r.Left || r.Bottom < r.Top)
            continue; // absent
        // The right and bottom edges belong to the hot spot.
        buttons.push_back({static_cast<int>(spot.Spot), spot.Name, spot.Tip(*this), r.Left, r.Top,
                           r.Right - r.Left + 1, r.Bottom - r.Top + 1});
    }
    ports_.Window.SetButtons(buttons);
}

bool frmMain::HitTest(std::int16_t X, std::int16_t Y, const SkinRect& rect) const {
    const int px = TwipsToPixels(X, ports_.Screen.TwipsPerPixelX());
    const int py = TwipsToPixels(Y, ports_.Screen.TwipsPerPixelY());
    return rect.Holds(px, py);
}

const frmMain::HotSpotRow* frmMain::HotSpotAt(std::int16_t X, std::int16_t Y) const {
    for (const HotSpotRow& spot : HotSpots)
        if (HitTest(X, Y, state_.Layout.*spot.Rect))
            return &spot;
    return nullptr;
}

bool frmMain::OnAnyButton(std::int16_t X, std::int16_t Y) const {
    return HotSpotAt(X, Y) != nullptr;
}

void frmMain::MoveByDiff(std::int16_t dx, std::int16_t dy) {
    IMainWindow& window = ports_.Window;
    window.Move(window.Left() + dx, window.Top() + dy);
}

void frmMain::Form_MouseDown(std::int16_t button, std::int16_t, float X, float Y) {
    if (button != Mouse::Left)
        return;
    const std::int16_t x = ToInt16Saturated(X), y = ToInt16Saturated(Y);
    if (OnAnyButton(x, y)) {
        tooltip_.Hide();
        return;
    }
    state_.Dragging = true;
    state_.DragStartX = x;
    state_.DragStartY = y;
}

void frmMain::Form_MouseMove(std::int16_t button, std::int16_t, float X, float Y) {
    const std::int16_t x = ToInt16Saturated(X), y = ToInt16Saturated(Y);
    if (button == NoButton) {
        const HotSpotRow* spot = HotSpotAt(x, y);
        if (!spot) {
            ports_.Window.SetPointer(PointerShape::Default);
            tooltip_.Hide();
            return;
        }
        ports_.Window.SetPointer(PointerShape::Hand);
        tooltip_.ShowTip(spot->Tip(*this), X, Y, ports_.Window.Left(), ports_.Window.Top());
        return;
    }
    if (button != Mouse::Left || !state_.Dragging)
        return;
    // The position is within the window, which follows the pointer: the pressed point is
    // back under the pointer when there is nothing to move.
    const std::int16_t dy = ToInt16Saturated(static_cast<double>(y) - state_.DragStartY);
    const std::int16_t dx = ToInt16Saturated(static_cast<double>(x) - state_.DragStartX);
    if (dx == 0 && dy == 0)
        return;
    MoveByDiff(dx, dy);
}

void frmMain::Form_MouseUp(std::int16_t button, std::int16_t, float X, float Y) {
    if (button == Mouse::Right) {
        ShowContextMenu();
        return;
    }
    if (button != Mouse::Left)
        return;
    state_.Dragging = false;
    RunHotSpot(HotSpotAt(ToInt16Saturated(X), ToInt16Saturated(Y)));
}

void frmMain::Button_Press(int id) {
    for (const HotSpotRow& spot : HotSpots)
        if (static_cast<int>(spot.Spot) == id) {
            RunHotSpot(&spot);
            return;
        }
}

void frmMain::RunHotSpot(const HotSpotRow* spot) {
    if (spot)
        (this->*spot->Command)();
}

void frmMain::Form_DblClick(float X, float Y) {
    // Off the hot spots a double click is Save As, as the Save As tip says.
    if (OnAnyButton(ToInt16Saturated(X), ToInt16Saturated(Y)))
        return;
    state_.Dragging = false;
    SaveAs();
}

void frmMain::Form_MouseLeave() {
    DismissTip();
}

void frmMain::ToggleCaptureMode() {
    SkinRect& shot = state_.Layout.ShotRect;
    const int up = state_.CaptureMode ? CaptureModeRaise : -CaptureModeRaise;
    const int down = state_.CaptureMode ? -CaptureModeDrop : CaptureModeDrop;
    shot.Top = static_cast<std::int16_t>(shot.Top + up);
    shot.Bottom = static_cast<std::int16_t>(shot.Bottom + down);
    ApplyWindowShape();
    state_.CaptureMode = !state_.CaptureMode;
}

// Keyboard.

void frmMain::Form_KeyDown(std::int16_t keyCode, std::int16_t shift) {
    IMainWindow& window = ports_.Window;
    const double tx = ports_.Screen.TwipsPerPixelX(), ty = ports_.Screen.TwipsPerPixelY();
    // Skin steps use the numbers from before the rescan, in 16-bit arithmetic.
    const auto wrap = [](int value) { return static_cast<std::int16_t>(value); };
    const std::int16_t count = state_.Catalogue.Count, current = state_.Catalogue.Current;
    switch (keyCode) {
    case Key::F1:
        OpenHelp();
        break;
    case Key::Up:
        window.Move(window.Left(), window.Top() - ty);
        break;
    case Key::Down:
        window.Move(window.Left(), window.Top() + ty);
        break;
    case Key::Left:
        window.Move(window.Left() - tx, window.Top());
        break;
    case Key::Right:
        window.Move(window.Left() + tx, window.Top());
        break;
    case Key::PageUp:
        SwitchSkin(wrap(wrap(current + count) % wrap(count + 1)));
        break;
    case Key::PageDown:
        SwitchSkin(wrap(wrap(current + 1) % wrap(count + 1)));
        break;
    // Ctrl+S Quick Save, Ctrl+Shift+S Save As; the Menu key and Shift+F10 the menu.
    case Key::S:
        if ((shift & (Modifier::Ctrl | Modifier::Alt)) == Modifier::Ctrl)
            (shift & Modifier::Shift) ? SaveAs() : QuickSave();
        break;
    case Key::Apps:
        ShowContextMenu(MenuPlace::Phone);
        break;
    case Key::F10:
        if (shift == Modifier::Shift)
            ShowContextMenu(MenuPlace::Phone);
        break;
    case Key::C:
        if (shift == Modifier::Ctrl)
            CopyToClipboard(PictureKind::Capture);
        else if (shift == (Modifier::Ctrl | Modifier::Shift))
            CopyToClipboard(PictureKind::PhoneMockup);
        break;
    default:
        if (keyCode >= Key::Digit0 && keyCode <= Key::Digit9)
            SwitchSkin(static_cast<std::int16_t>(keyCode - Key::Digit0));
        break;
    }
}

void frmMain::OpenHelp() {
    ports_.Shell.Open(programFolder_ + PathSeparator + HelpPage);
}

// Menus and dialogs.

namespace {

// A file name as a menu caption: an ampersand is shown, not taken for an access key.
std::string MenuCaption(const std::string& name) {
    std::string caption;
    for (const char c : name) {
        if (c == '&')
            caption += '&';
        caption += c;
    }
    return caption;
}

} // namespace

namespace {

// An entry of the context menu: its caption ("-" a separator), the number the menu gives
// it, and what choosing it runs (nothing for a separator or the Skins sub-menu).
struct ContextEntry {
    const char* Caption;
    ContextCommand Number;
    void (frmMain::*Run)();
};

constexpr ContextEntry ContextMenu[] = {
    {"&Quick Save", ContextCommand::QuickSave, &frmMain::QuickSave},
    {"&Save As", ContextCommand::SaveAs, &frmMain::SaveAs},
    {"-", ContextCommand::None, nullptr},
    {"Skins", ContextCommand::Skins, nullptr},
    {"Settings", ContextCommand::Settings, &frmMain::ShowOptions},
    {"-", ContextCommand::None, nullptr},
    {"E&xit", ContextCommand::Exit, &frmMain::Close},
    {"-", ContextCommand::None, nullptr},
    {"&Help", ContextCommand::Help, &frmMain::OpenHelp},
    {"&About", ContextCommand::About, &frmMain::ShowAbout},
};

// Every command stands at the place its number counts.
constexpr bool NumberedByPlace() {
    for (std::size_t k = 0; k < std::size(ContextMenu); ++k)
        if (ContextMenu[k].Number != ContextCommand::None &&
            static_cast<std::size_t>(ContextMenu[k].Number) != k + 1)
            return false;
    return true;
}
static_assert(NumberedByPlace(), "a context command's number is its entry's place");

} // namespace

void frmMain::ShowContextMenu(MenuPlace place) {
    DismissTip();
    cPopupMenu menu(ports_.Menus);
    SkinCatalogue& catalogue = state_.Catalogue;
    RefreshSkinList(catalogue, SkinsFolder(), userSkinsFolder_);
    std::vector<MenuValue> items;
    for (const ContextEntry& entry : ContextMenu) {
        if (entry.Number != ContextCommand::Skins) {
            items.emplace_back(entry.Caption);
            continue;
        }
        // The check mark goes on the menu's copy of the names only: whatever ends the
        // program while the menu is open, the catalogue (and so the store) keeps the plain
        // name.
        std::vector<MenuValue> skins{entry.Caption};
        for (int k = 0; k <= MaxSkinFiles; ++k) {
            const std::string caption = MenuCaption(catalogue.Names[k]);
            // A file name may itself begin with "*": only the current entry is checked.
            skins.push_back(k == catalogue.Current ? MenuValue("*" + caption)
                                                   : MenuValue::Plain(caption));
        }
        items.emplace_back(std::move(skins));
    }
    std::optional<ScreenPoint> at;
    if (place == MenuPlace::Phone) {
        const IScreen& screen = ports_.Screen;
        const SkinRect& shot = state_.Layout.ShotRect;
        at = ScreenPoint{TwipsToPixels(ports_.Window.Left(), screen.TwipsPerPixelX()) +
                             (shot.Left + shot.Right) / 2,
                         TwipsToPixels(ports_.Window.Top(), screen.TwipsPerPixelY()) +
                             (shot.Top + shot.Bottom) / 2};
    }
    const std::int32_t chosen = menu.Popup(items, at);
    DismissTip();

    if (cPopupMenu::SubMenuOf(chosen) == static_cast<std::int32_t>(ContextCommand::Skins)) {
        ShowSkin(static_cast<std::int16_t>(cPopupMenu::ElementOf(chosen) - FirstSkinElement));
        return;
    }
    if (chosen < 1 || chosen > static_cast<std::int32_t>(std::size(ContextMenu)))
        return; // dismissed, or a number no entry has
    if (const auto run = ContextMenu[chosen - 1].Run)
        (this->*run)();
}

void frmMain::ShowOptions() {
    if (options_)
        return;
    DismissTip();
    frmOption dialog([this](bool toMain) { ExchangeSettingData(toMain); }, dialogs_);
    std::unique_ptr<IOptionsView> view = ports_.Windows.CreateOptionsView(dialog);
    options_ = &dialog;
    dialog.Form_Load(view.get());
    if (!dialog.Closed)
        view->RunModal();
    options_ = nullptr;
    DismissTip();
}

void frmMain::ExchangeSettingData(bool optionDialogToMain) {
    if (!options_)
        return;
    frmOption& dialog = *options_;
    AppSettings& settings = state_.Settings;
    if (optionDialogToMain) {
        settings.JpegQuality = static_cast<std::int16_t>(dialog.Controls.Slider1);
        settings.AutoSavePath = dialog.Controls.Text1;
        settings.AutoSaveFolder = ResolveAutoSaveFolder(settings.AutoSavePath, captureFolder_);
        settings.AutoNamePrefix = dialog.Controls.Text2;
        settings.ViewModeSkin = dialog.Controls.Option1;
        PublishHotSpots(); // the Quick Save description names the folder
        return;
    }
    dialog.SetSlider(settings.JpegQuality);
    // A stored quality the slider cannot show keeps its number on the label.
    if (settings.JpegQuality < OptionsLayout::SliderMin ||
        settings.JpegQuality > OptionsLayout::SliderMax)
        dialog.Controls.Label3 = std::to_string(settings.JpegQuality) + "%";
    dialog.Controls.Text1 = settings.AutoSavePath;
    dialog.Text2_Change(settings.AutoNamePrefix);
    dialog.SetOptions(settings.ViewModeSkin);
}

void frmMain::ShowAbout() {
    DismissTip();
    frmAbout about(ports_.Shell, version_);
    about.Form_Load();
    std::unique_ptr<IAboutView> view = ports_.Windows.CreateAboutView(about);
    about.Show(*view);
    DismissTip();
}
