// SPDX-License-Identifier: MIT

#include "app/CommandLine.h"
#include "app/MakeSkin.h"
#include "app/frmMain.h"
#include "backends/layer/LiveMainWindow.h"
#include "backends/layer/LiveMenuService.h"
#include "backends/layer/LiveScreen.h"
#include "backends/layer/LiveWindowFactory.h"
#include "backends/layer/WaylandClient.h"
#include "backends/posix/FileSettingsStore.h"
#include "backends/qt/DisplaySession.h"
#include "backends/qt/QtClipboard.h"
#include "backends/qt/QtDialogs.h"
#include "backends/qt/QtLook.h"
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
#include <QFile>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &byte, 1);
}

// Qt aborts when no platform plugin starts. The display was tried first; anything else
// that stops Qt at start ends the program with Qt's reason instead of an abort.
QtMessageHandler qtMessages = nullptr;

void ExitOnQtFatal(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        qtMessages(type, context, text);
        return;
    }
    std::fprintf(stderr, "tarvik: %s\n", qPrintable(text));
    std::_Exit(1);
}

void ShowMessage(const QString& text) {
    std::fprintf(stderr, "tarvik: %s\n", qPrintable(text));
    ShowPlainMessage(text);
}

// The main window, the screen, the window factory and the menus of the session: on X11 the
// live see-through window; on Wayland the live phone where the compositor offers the layer
// shell, else the phone on a frozen screenshot. A new backend is one more branch here.
struct Backends {
    std::unique_ptr<WaylandClient> Connection; // the live phone's, on Wayland
    std::unique_ptr<IScreen> Screen;
    std::unique_ptr<IMainWindow> Window;
    std::unique_ptr<IWindowFactory> Windows;
    std::unique_ptr<IMenuService> Menus;
    QString Error; // why the session's backend could not start
};

Backends MakeBackends(const DisplaySession& session, bool frozen, QtDialogs& dialogs) {
    Backends made;
    // Decided by what the compositor offers, never by the desktop's name.
    if (session.Wayland && !frozen && QGuiApplication::platformName() == "wayland")
        made.Connection = WaylandClient::Connect();
    if (made.Connection) {
        WaylandClient& client = *made.Connection;
        auto window = std::make_unique<LiveMainWindow>(client);
        LiveMainWindow* phone = window.get();
        made.Screen = std::make_unique<LiveScreen>(client);
        made.Windows = std::make_unique<LiveWindowFactory>(client, *made.Screen, phone->Surface());
        made.Menus = std::make_unique<LiveMenuService>(
            client, phone->Surface(), [phone] { return phone->PointerPosition(); });
        made.Window = std::move(window);
        // Dialogs are the only windows Qt has here: closing one does not end the program.
        QApplication::setQuitOnLastWindowClosed(false);
    } else if (session.Wayland) {
        auto screen = std::make_unique<WaylandScreen>();
        auto window = std::make_unique<WaylandMainWindow>(*screen);
        made.Windows = std::make_unique<WaylandWindowFactory>(*screen, *window);
        WaylandMainWindow* owner = window.get();
        dialogs.SetOwner([owner] { return &owner->Owner(); });
        made.Error = window->TakeScreenshot();
        made.Screen = std::move(screen);
        made.Window = std::move(window);
    } else {
        auto screen = std::make_unique<QtScreen>();
        auto window = std::make_unique<QtMainWindow>(*screen);
        made.Windows = std::make_unique<QtWindowFactory>(*screen, *window);
        made.Screen = std::move(screen);
        made.Window = std::move(window);
    }
    if (!made.Menus)
        made.Menus = std::make_unique<QtMenuService>();
    return made;
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
    const DisplaySession session = ChooseDisplaySession(argc, argv);
    if (!session.Error.empty()) {
        std::fprintf(stderr, "tarvik: %s\n", session.Error.c_str());
        return 1;
    }
    if (!session.Platform.empty())
        ::setenv("QT_QPA_PLATFORM", session.Platform.c_str(), 1);
    const bool wayland = session.Wayland;
    // Qt's Wayland plugin loads the OpenGL stack (with a software renderer that is 50 MB of
    // resident memory) only to learn whether it may draw title bars itself; Tarvik draws
    // nothing with OpenGL. Dialogs then take the compositor's title bars, where it has them.
    if (wayland)
        ::setenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1", 0);
    qtMessages = qInstallMessageHandler(ExitOnQtFatal);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);
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
    QtClipboard clipboard;

    // Wayland first takes its screenshot: the phone is drawn on it.
    Backends backends = MakeBackends(session, AsksFrozen(argc, argv), dialogs);
    if (!backends.Error.isEmpty()) {
        ShowMessage(backends.Error);
        return 1;
    }
    IMainWindow* window = backends.Window.get();

    QFile skinFile(":/tarvik/skin.gif");
    skinFile.open(QIODevice::ReadOnly);
    const Picture builtinSkin = QtPictureCodec::Decode(skinFile.readAll());
    if (!builtinSkin) {
        std::fprintf(stderr, "tarvik: the built-in skin could not be decoded\n");
        return 1;
    }

    const std::string programFolder = ProgramFolder();
    // The window reports to main from here until main is destroyed, before the window.
    frmMain main(MainWindowPorts{*window, *backends.Screen, codec, dialogs, shell, store,
                                 *backends.Menus, *backends.Windows, clipboard},
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
