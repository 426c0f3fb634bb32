// SPDX-License-Identifier: MIT

#include "app/CommandLine.h"
#include "app/MakeSkin.h"
#include "app/frmMain.h"
#include "backends/posix/FileSettingsStore.h"
#include "backends/qt/QtClipboard.h"
#include "backends/qt/QtDialogs.h"
#include "backends/qt/QtMainWindow.h"
#include "backends/qt/QtMenuService.h"
#include "backends/qt/QtPictureCodec.h"
#include "backends/qt/QtScreen.h"
#include "backends/qt/QtShell.h"
#include "backends/qt/QtWindowFactory.h"
#include "backends/wayland/WaylandMainWindow.h"
#include "backends/wayland/WaylandScreen.h"
#include "backends/wayland/WaylandWindowFactory.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &byte, 1);
}

bool HasDisplay() {
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// A Wayland session, whichever plugin Qt would pick: no program there can read the screen
// through X11 (XWayland's root window is never painted).
bool WaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return IsSet("WAYLAND_DISPLAY") || (type && std::string_view(type) == "wayland");
}

bool HasWaylandPlugin() {
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms");
    return !platforms.entryList({"libqwayland-*.so"}, QDir::Files).isEmpty();
}

// On Wayland, Qt's Wayland plugin when it is there, else XWayland; never an abort for a
// missing plugin. False when neither can run.
bool ChooseWaylandPlatform() {
    if (IsSet("QT_QPA_PLATFORM"))
        return true;
    if (IsSet("WAYLAND_DISPLAY") && HasWaylandPlugin()) {
        ::setenv("QT_QPA_PLATFORM", "wayland", 1);
        return true;
    }
    if (IsSet("DISPLAY")) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        return true;
    }
    std::fprintf(stderr, "tarvik: Qt's Wayland platform plugin is missing (on Debian, install "
                         "the package qt6-wayland), and there is no X display to fall back "
                         "on\n");
    return false;
}

void ShowMessage(const QString& text) {
    std::fprintf(stderr, "tarvik: %s\n", qPrintable(text));
    QMessageBox box(QMessageBox::NoIcon, "Tarvik", text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    // --help, --version and --make-skin answer without a display; a usage error ends here too.
    const auto makeSkin = [](const std::string& picture) {
        // The answer says what is wrong with a picture; the decoders' own warnings go.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        QtPictureCodec codec;
        const std::string programFolder = ProgramFolder();
        std::string skins = UserSkinsFolder(programFolder);
        if (skins.empty())
            skins = programFolder + "/skins/";
        return MakeSkin(picture, codec, skins);
    };
    if (const auto exit = ParseCommandLine(argc, argv, makeSkin)) {
        std::fputs(exit->Text.c_str(), exit->Status == 0 ? stdout : stderr);
        return exit->Status;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr, "tarvik: no display found: set DISPLAY to an X server (for example "
                             "one started with Xvfb)\n");
        return 1;
    }
    const bool wayland = WaylandSession();
    if (wayland && !ChooseWaylandPlatform())
        return 1;
    // Qt's Wayland plugin loads the OpenGL stack (with a software renderer that is 50 MB of
    // resident memory) only to learn whether it may draw title bars itself; Tarvik draws
    // nothing with OpenGL. Dialogs then take the compositor's title bars, where it has them.
    if (wayland)
        ::setenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvik");
    // The id of the desktop entry: desktops keep the screenshot permission under it.
    QGuiApplication::setDesktopFileName("org.tarvik.Tarvik");
    QApplication::setQuitOnLastWindowClosed(true);

    // SIGTERM and SIGINT close the main window: the same orderly shutdown as any close.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    QtPictureCodec codec;
    QtDialogs dialogs;
    QtShell shell;
    FileSettingsStore store(FileSettingsStore::DefaultPath());
    QtMenuService menus;
    QtClipboard clipboard;

    // An X11 session: the live see-through window. Wayland: the phone on a frozen screenshot.
    std::unique_ptr<QtScreen> x11Screen;
    std::unique_ptr<QtMainWindow> x11Window;
    std::unique_ptr<WaylandScreen> waylandScreen;
    std::unique_ptr<WaylandMainWindow> waylandWindow;
    std::unique_ptr<IWindowFactory> windowFactory;
    IScreen* screen = nullptr;
    IMainWindow* window = nullptr;
    if (wayland) {
        waylandScreen = std::make_unique<WaylandScreen>();
        waylandWindow = std::make_unique<WaylandMainWindow>(*waylandScreen);
        windowFactory = std::make_unique<WaylandWindowFactory>(*waylandScreen, *waylandWindow);
        screen = waylandScreen.get();
        window = waylandWindow.get();
        dialogs.SetOwner([&] { return &waylandWindow->Owner(); });
        if (const QString error = waylandWindow->TakeScreenshot(); !error.isEmpty()) {
            ShowMessage(error);
            return 1;
        }
    } else {
        x11Screen = std::make_unique<QtScreen>();
        x11Window = std::make_unique<QtMainWindow>(*x11Screen);
        windowFactory = std::make_unique<QtWindowFactory>(*x11Screen, *x11Window);
        screen = x11Screen.get();
        window = x11Window.get();
    }

    QFile skinFile(":/tarvik/skin.gif");
    skinFile.open(QIODevice::ReadOnly);
    const Picture builtinSkin = QtPictureCodec::Decode(skinFile.readAll());
    if (!builtinSkin) {
        std::fprintf(stderr, "tarvik: the built-in skin could not be decoded\n");
        return 1;
    }

    const std::string programFolder = ProgramFolder();
    // The window reports to main from here until main is destroyed, before the window.
    frmMain main(MainWindowPorts{*window, *screen, codec, dialogs, shell, store, menus,
                                 *windowFactory, clipboard},
                 builtinSkin, programFolder, DefaultCaptureFolder(programFolder), BuildVersion);
    main.SetUserSkinsFolder(UserSkinsFolder(programFolder));

    // A signal closes the window. One that comes while a start-up message is open
    // answers the message and closes once start-up is complete, so the settings written
    // are whole.
    bool loaded = false, closeWhenLoaded = false;
    QSocketNotifier notifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char byte;
        [[maybe_unused]] const auto n = ::read(signalPipe[1], &byte, 1);
        if (!loaded) {
            closeWhenLoaded = true;
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
            return;
        }
        window->Close();
        QApplication::quit();
    });

    main.Form_Load();
    loaded = true;
    if (closeWhenLoaded) {
        window->Close();
        return 0;
    }
    return app.exec();
}
