#include "app/frmMain.h"

#include "app/WindowShape.h"
#include "capture/SaveCommands.h"
#include "capture/modScreenCapture.h"
#include "platform/ProgramFolder.h"
#include "platform/Twips.h"
#include "skin/LoadSkin.h"

#include <cmath>

frmMain::frmMain(MainWindowPorts ports, Picture builtinSkin, std::string programFolder)
    : ports_(ports), builtinSkin_(std::move(builtinSkin)),
      programFolder_(std::move(programFolder)) {}

std::string frmMain::SkinsFolder() const {
    return programFolder_ + PathSeparator + "skins" + PathSeparator;
}

SettingsContext frmMain::SettingsAccess() {
    return SettingsContext{Settings,        Catalogue,
                           ports_.Registry, ports_.Dialogs,
                           [this](std::int16_t n) { LoadSkin(n); }, programFolder_};
}

SaveContext frmMain::SaveAccess() {
    return SaveContext{Picture1,       Settings,      SaveAsCounter,
                       ports_.Dialogs, ports_.Codec, [this] { Capture(); }};
}

void frmMain::SaveAs() {
    SaveContext context = SaveAccess();
    ::SaveAs(context);
}

void frmMain::QuickSave() {
    SaveContext context = SaveAccess();
    ::QuickSave(context);
}

void frmMain::Capture() {
    IScreen& screen = ports_.Screen;
    const float x = static_cast<float>(ports_.Window.Left() / screen.TwipsPerPixelX()) + Layout.ShotRect.Left;
    const float y = static_cast<float>(ports_.Window.Top() / screen.TwipsPerPixelY()) + Layout.ShotRect.Top;
    const auto width = static_cast<std::int16_t>(Layout.ShotRect.Right - Layout.ShotRect.Left);
    const auto height = static_cast<std::int16_t>(Layout.ShotRect.Bottom - Layout.ShotRect.Top);
    Picture1 = CaptureScreenRect(screen, static_cast<std::int32_t>(std::nearbyint(x)),
                                 ToInt16Saturated(y), width, height);
}

void frmMain::Form_Load() {
    Picture2 = builtinSkin_;
    SaveAsCounter = 1;
    CaptureMode = false;
    BuildSkinList(Catalogue, SkinsFolder());
    SettingsContext settings = SettingsAccess();
    LoadSettings(settings);
    ApplyWindowShape();

    IMainWindow& window = ports_.Window;
    const IScreen& screen = ports_.Screen;
    // Centre on whole pixels so the picture is not drawn between them.
    const double tx = screen.TwipsPerPixelX(), ty = screen.TwipsPerPixelY();
    const int left = static_cast<int>((screen.WidthTwips() - window.Width()) / 2 / tx);
    const int top = static_cast<int>((screen.HeightTwips() - window.Height()) / 2 / ty);
    window.Move(left * tx, top * ty);
    window.Show();
}

void frmMain::Form_Unload() {
    SettingsContext settings = SettingsAccess();
    SaveSettings(settings);
}

void frmMain::ApplyWindowShape() {
    IMainWindow& window = ports_.Window;
    const Image& image = *Layout.SkinImage;
    window.Resize(image.Width * ports_.Screen.TwipsPerPixelX(),
                  image.Height * ports_.Screen.TwipsPerPixelY());
    window.SetPicture(Layout.SkinImage);
    window.SetRegion(ComputeWindowShape(image, Layout.ShotRect));
}

void frmMain::LoadSkin(std::int16_t n) {
    SkinContext context{Layout,
                        Catalogue,
                        Picture1,
                        Picture2,
                        ports_.Codec,
                        ports_.Dialogs,
                        SkinsFolder(),
                        ports_.Screen.TwipsPerPixelX(),
                        ports_.Screen.TwipsPerPixelY()};
    ::LoadSkin(n, context);
    // Any skin loaded starts with the normal capture area.
    CaptureMode = false;
}

void frmMain::SwitchSkin(std::int16_t n) {
    RefreshSkinList(Catalogue, SkinsFolder());
    if (n < 0 || n > Catalogue.Count)
        return;
    ports_.Window.Hide();
    LoadSkin(n);
    ApplyWindowShape();
    ports_.Window.Show();
}
