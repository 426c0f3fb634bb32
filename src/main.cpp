#include "app/frmMain.h"
#include "platform/ProgramFolder.h"
#include "backends/posix/FileSettingsStore.h"
#include "backends/qt/QtDialogs.h"
#include "backends/qt/QtMainWindow.h"
#include "backends/qt/QtMenuService.h"
#include "backends/qt/QtPictureCodec.h"
#include "backends/qt/QtScreen.h"
#include "backends/qt/QtShell.h"
#include "backends/qt/QtWindowFactory.h"

#include <QApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char* argv[]) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "tarvik: no display found: set DISPLAY to an X server (for example "
                             "one started with Xvfb)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvik");
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

    QtScreen screen;
    QtPictureCodec codec;
    QtDialogs dialogs;
    QtShell shell;
    FileSettingsStore store(FileSettingsStore::DefaultPath());
    QtMainWindow window(screen);
    QtMenuService menus;
    QtWindowFactory windows(screen, window);

    QFile skinFile(":/tarvik/skin.gif");
    skinFile.open(QIODevice::ReadOnly);
    const Picture builtinSkin = QtPictureCodec::Decode(skinFile.readAll());
    if (!builtinSkin) {
        std::fprintf(stderr, "tarvik: the built-in skin could not be decoded\n");
        return 1;
    }

    const std::string programFolder = ProgramFolder();
    frmMain main(MainWindowPorts{window, screen, codec, dialogs, shell, store, menus, windows},
                 builtinSkin, programFolder, DefaultCaptureFolder(programFolder));
    window.SetLogic(&main);

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
        window.Close();
        QApplication::quit();
    });

    main.Form_Load();
    loaded = true;
    if (closeWhenLoaded) {
        window.Close();
        return 0;
    }
    return app.exec();
}
