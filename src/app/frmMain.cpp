// SPDX-License-Identifier: MIT

#include "app/frmMain.h"

#include "app/WindowShape.h"
#include "capture/SaveCommands.h"
#include "capture/modScreenCapture.h"
#include "menus/cPopupMenu.h"
#include "menus/frmAbout.h"
#include "platform/ProgramFolder.h"
#include "platform/Twips.h"
#include "skin/LoadSkin.h"

#include <cmath>
#include <utility>

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
    return programFolder_ + PathSeparator + "skins" + PathSeparator;
}

SettingsContext frmMain::SettingsAccess() {
    return SettingsContext{Settings,
                           Catalogue,
                           ports_.Registry,
                           dialogs_,
                           [this](std::int16_t n) { LoadSkin(n); },
                           captureFolder_};
}

SaveContext frmMain::SaveAccess() {
    SaveContext context{Picture1,      Settings,     SaveAsCounter,
                        dialogs_,      ports_.Codec, [this] { Capture(); },
                        captureFolder_};
    context.Layout = &Layout;
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
    double left = 0, top = 0;
    ports_.Window.Place(left, top);
    const float x = static_cast<float>(left / screen.TwipsPerPixelX()) + Layout.ShotRect.Left;
    const float y = static_cast<float>(top / screen.TwipsPerPixelY()) + Layout.ShotRect.Top;
    const auto width = static_cast<std::int16_t>(Layout.ShotRect.Right - Layout.ShotRect.Left);
    const auto height = static_cast<std::int16_t>(Layout.ShotRect.Bottom - Layout.ShotRect.Top);
    Picture1 = CaptureScreenRect(screen, static_cast<std::int32_t>(std::nearbyint(x)),
                                 ToInt16Saturated(y), width, height);
}

void frmMain::Form_Load() {
    Picture2 = builtinSkin_;
    SaveAsCounter = 1;
    CaptureMode = false;
    BuildSkinList(Catalogue, SkinsFolder(), userSkinsFolder_);
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
    const Image& image = *Layout.SkinImage;
    window.Resize(image.Width * ports_.Screen.TwipsPerPixelX(),
                  image.Height * ports_.Screen.TwipsPerPixelY());
    window.SetPicture(Layout.SkinImage);
    ComputeWindowShape(image, Layout.ShotRect, shape_);
    window.SetRegion(shape_);
    PublishHotSpots();
}

void frmMain::LoadSkin(std::int16_t n) {
    SkinContext context{Layout,
                        Catalogue,
                        Picture1,
                        Picture2,
                        ports_.Codec,
                        dialogs_,
                        SkinsFolder(),
                        ports_.Screen.TwipsPerPixelX(),
                        ports_.Screen.TwipsPerPixelY()};
    ::LoadSkin(n, context);
    // Any skin loaded starts with the normal capture area.
    CaptureMode = false;
}

void frmMain::SwitchSkin(std::int16_t n) {
    RefreshSkinList(Catalogue, SkinsFolder(), userSkinsFolder_);
    if (n < 0 || n > Catalogue.Count)
        return;
    DismissTip();
    ports_.Window.Hide();
    LoadSkin(n);
    ApplyWindowShape();
    ports_.Window.Show();
}

// Pointer handling.

namespace {

constexpr const char* CloseTip = "Close";
constexpr const char* SaveAsTip = "Alternative: double click\r\nSave As ...";
constexpr const char* ModeTip = "Toggle Capture Mode";

} // namespace

std::string frmMain::QuickSaveTip() const {
    // The default path names the folder the files really go to.
    return "Alternative: right click\r\nAuto-name and save to default folder:\r\n" +
           (Settings.AutoSavePath == DefaultAutoSavePath ? captureFolder_ : Settings.AutoSavePath);
}

void frmMain::PublishHotSpots() {
    const struct {
        HotSpot spot;
        const SkinRect& rect;
        const char* name;
        std::string tip;
    } spots[] = {{HotSpot::Close, Layout.CloseRect, "Close", CloseTip},
                 {HotSpot::QuickSave, Layout.SaveRect, "Quick Save", QuickSaveTip()},
                 {HotSpot::SaveAs, Layout.SaveAsRect, "Save As", SaveAsTip},
                 {HotSpot::CaptureMode, Layout.ModeRect, "Toggle Capture Mode", ModeTip}};
    std::vector<AccessibleButton> buttons;
    for (const auto& [spot, r, name, tip] : spots) {
        if (r.Right < r.Left || r.Bottom < r.Top)
            continue; // absent
        buttons.push_back({static_cast<int>(spot), name, tip, r.Left, r.Top, r.Right - r.Left + 1,
                           r.Bottom - r.Top + 1});
    }
    ports_.Window.SetButtons(buttons);
}

bool frmMain::HitTest(std::int16_t X, std::int16_t Y, const SkinRect& rect) const {
    const int px = TwipsToPixels(X, ports_.Screen.TwipsPerPixelX());
    const int py = TwipsToPixels(Y, ports_.Screen.TwipsPerPixelY());
    return rect.Holds(px, py);
}

HotSpot frmMain::HotSpotAt(std::int16_t X, std::int16_t Y) const {
    const std::pair<const SkinRect&, HotSpot> spots[] = {
        {Layout.CloseRect, HotSpot::Close},
        {Layout.SaveRect, HotSpot::QuickSave},
        {Layout.SaveAsRect, HotSpot::SaveAs},
        {Layout.ModeRect, HotSpot::CaptureMode},
    };
    for (const auto& [rect, spot] : spots)
        if (HitTest(X, Y, rect))
            return spot;
    return HotSpot::None;
}

bool frmMain::OnAnyButton(std::int16_t X, std::int16_t Y) const {
    return HotSpotAt(X, Y) != HotSpot::None;
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
    Dragging = true;
    DragStartX = x;
    DragStartY = y;
}

void frmMain::Form_MouseMove(std::int16_t button, std::int16_t, float X, float Y) {
    const std::int16_t x = ToInt16Saturated(X), y = ToInt16Saturated(Y);
    if (button == 0) {
        const HotSpot spot = HotSpotAt(x, y);
        if (spot == HotSpot::None) {
            ports_.Window.SetPointer(PointerShape::Default);
            tooltip_.Hide();
            return;
        }
        ports_.Window.SetPointer(PointerShape::Hand);
        std::string tip;
        switch (spot) {
        case HotSpot::Close:
            tip = CloseTip;
            break;
        case HotSpot::QuickSave:
            tip = QuickSaveTip();
            break;
        case HotSpot::SaveAs:
            tip = SaveAsTip;
            break;
        default:
            tip = ModeTip;
            break;
        }
        tooltip_.ShowTip(tip, X, Y, ports_.Window.Left(), ports_.Window.Top());
        return;
    }
    if (button != Mouse::Left || !Dragging)
        return;
    // The position is within the window, which follows the pointer: the pressed point is
    // back under the pointer when there is nothing to move.
    const std::int16_t dy = ToInt16Saturated(static_cast<double>(y) - DragStartY);
    const std::int16_t dx = ToInt16Saturated(static_cast<double>(x) - DragStartX);
    if (dx == 0 && dy == 0)
        return;
    MoveByDiff(dx, dy);
    LastX = x;
    LastY = y;
}

void frmMain::Form_MouseUp(std::int16_t button, std::int16_t, float X, float Y) {
    if (button == Mouse::Right) {
        ShowContextMenu();
        return;
    }
    if (button != Mouse::Left)
        return;
    Dragging = false;
    RunHotSpot(HotSpotAt(ToInt16Saturated(X), ToInt16Saturated(Y)));
}

void frmMain::Button_Press(int id) {
    RunHotSpot(static_cast<HotSpot>(id));
}

void frmMain::RunHotSpot(HotSpot spot) {
    switch (spot) {
    case HotSpot::Close:
        Close();
        break;
    case HotSpot::QuickSave:
        QuickSave();
        break;
    case HotSpot::SaveAs:
        SaveAs();
        break;
    case HotSpot::CaptureMode:
        ToggleCaptureMode();
        break;
    case HotSpot::None:
        break;
    }
}

void frmMain::Form_DblClick(float X, float Y) {
    // Off the hot spots a double click is Save As, as the Save As tip says.
    if (OnAnyButton(ToInt16Saturated(X), ToInt16Saturated(Y)))
        return;
    Dragging = false;
    SaveAs();
}

void frmMain::Form_MouseLeave() {
    DismissTip();
}

void frmMain::ToggleCaptureMode() {
    SkinRect& shot = Layout.ShotRect;
    const int up = CaptureMode ? 14 : -14;
    const int down = CaptureMode ? -18 : 18;
    shot.Top = static_cast<std::int16_t>(shot.Top + up);
    shot.Bottom = static_cast<std::int16_t>(shot.Bottom + down);
    ApplyWindowShape();
    CaptureMode = !CaptureMode;
}

// Keyboard.

void frmMain::Form_KeyDown(std::int16_t keyCode, std::int16_t shift) {
    IMainWindow& window = ports_.Window;
    const double tx = ports_.Screen.TwipsPerPixelX(), ty = ports_.Screen.TwipsPerPixelY();
    // Skin steps use the numbers from before the rescan, in 16-bit arithmetic.
    const auto wrap = [](int value) { return static_cast<std::int16_t>(value); };
    const std::int16_t count = Catalogue.Count, current = Catalogue.Current;
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
    ports_.Shell.Open(programFolder_ + PathSeparator + "readme.htm");
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

void frmMain::ShowContextMenu(MenuPlace place) {
    DismissTip();
    cPopupMenu menu(ports_.Menus);
    RefreshSkinList(Catalogue, SkinsFolder(), userSkinsFolder_);
    // The check mark goes on the menu's copy of the names only: whatever ends the program
    // while the menu is open, the catalogue (and so the store) keeps the plain name.
    std::vector<MenuValue> skins{"Skins"};
    for (int k = 0; k <= MaxSkinFiles; ++k) {
        const std::string caption = MenuCaption(Catalogue.Names[k]);
        skins.emplace_back(k == Catalogue.Current ? "*" + caption : caption);
    }
    // In ContextCommand's order.
    std::optional<ScreenPoint> at;
    if (place == MenuPlace::Phone) {
        const IScreen& screen = ports_.Screen;
        const SkinRect& shot = Layout.ShotRect;
        at = ScreenPoint{TwipsToPixels(ports_.Window.Left(), screen.TwipsPerPixelX()) +
                             (shot.Left + shot.Right) / 2,
                         TwipsToPixels(ports_.Window.Top(), screen.TwipsPerPixelY()) +
                             (shot.Top + shot.Bottom) / 2};
    }
    const std::int32_t chosen = menu.Popup({"&Quick Save", "&Save As", "-", MenuValue(skins),
                                            "Settings", "-", "E&xit", "-", "&Help", "&About"},
                                           at);
    DismissTip();

    using Command = ContextCommand;
    if (cPopupMenu::SubMenuOf(chosen) == static_cast<std::int32_t>(Command::Skins)) {
        ports_.Window.Hide();
        LoadSkin(static_cast<std::int16_t>(cPopupMenu::ElementOf(chosen) - 1));
        ApplyWindowShape();
        ports_.Window.Show();
        return;
    }
    switch (static_cast<Command>(chosen)) {
    case Command::QuickSave:
        QuickSave();
        break;
    case Command::SaveAs:
        SaveAs();
        break;
    case Command::Settings:
        ShowOptions();
        break;
    case Command::Exit:
        Close();
        break;
    case Command::Help:
        OpenHelp();
        break;
    case Command::About:
        ShowAbout();
        break;
    default:
        break;
    }
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
    if (optionDialogToMain) {
        Settings.JpegQuality = static_cast<std::int16_t>(dialog.Controls.Slider1);
        Settings.AutoSavePath = dialog.Controls.Text1;
        Settings.AutoSaveFolder = ResolveAutoSaveFolder(Settings.AutoSavePath, captureFolder_);
        Settings.AutoNamePrefix = dialog.Controls.Text2;
        Settings.ViewModeSkin = dialog.Controls.Option1;
        PublishHotSpots(); // the Quick Save description names the folder
        return;
    }
    dialog.SetSlider(Settings.JpegQuality);
    // A stored quality the slider cannot show keeps its number on the label.
    if (Settings.JpegQuality < 0 || Settings.JpegQuality > 100)
        dialog.Controls.Label3 = std::to_string(Settings.JpegQuality) + "%";
    dialog.Controls.Text1 = Settings.AutoSavePath;
    dialog.Text2_Change(Settings.AutoNamePrefix);
    dialog.SetOptions(Settings.ViewModeSkin);
}

void frmMain::ShowAbout() {
    DismissTip();
    frmAbout about(ports_.Shell, version_);
    about.Form_Load();
    std::unique_ptr<IAboutView> view = ports_.Windows.CreateAboutView(about);
    about.Show(*view);
    DismissTip();
}
