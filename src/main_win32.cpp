// SPDX-License-Identifier: MIT

#include "app/frmMain.h"
#include "backends/win32/RegistryStore.h"
#include "backends/win32/Win32Clipboard.h"
#include "backends/win32/Win32Common.h"
#include "backends/win32/Win32Dialogs.h"
#include "backends/win32/Win32MainWindow.h"
#include "backends/win32/Win32MenuService.h"
#include "backends/win32/Win32PictureCodec.h"
#include "backends/win32/Win32Screen.h"
#include "backends/win32/Win32Shell.h"
#include "backends/win32/Win32Version.h"
#include "backends/win32/Win32WindowFactory.h"
#include "platform/ProgramFolder.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Real pixels: twips from the screen's own pixels per inch, grabs without scaling.
    SetProcessDPIAware();
    // Single-threaded COM for the imaging component and the folder picker.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        return 1;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    int status = 0;
    {
        const std::string skinBytes = ResourceBytes(SkinResource);
        const Picture builtinSkin = Win32PictureCodec::Decode(skinBytes.data(), skinBytes.size());
        if (!builtinSkin) {
            ::MessageBoxA(nullptr, "The built-in skin could not be decoded.", "Tarvik", MB_OK);
            CoUninitialize();
            return 1;
        }

        Win32Screen screen;
        Win32PictureCodec codec;
        RegistryStore store;
        Win32MainWindow window(screen);
        Win32Dialogs dialogs(window.Handle());
        Win32Shell shell(window.Handle());
        Win32MenuService menus(window.Handle());
        Win32WindowFactory windows(screen, window.Handle());
        Win32Clipboard clipboard;

        const std::string programFolder = ProgramFolder();
        // The window reports to main from here until main is destroyed, before the window.
        frmMain main(MainWindowPorts{window, screen, codec, dialogs, shell, store, menus, windows,
                                     clipboard},
                     builtinSkin, programFolder, DefaultCaptureFolder(programFolder),
                     ProgramVersion());
        main.SetUserSkinsFolder(UserSkinsFolder(programFolder));
        main.Form_Load();

        MSG message{};
        while (window.Handle() && GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (message.message == WM_QUIT)
            status = static_cast<int>(message.wParam);
    }
    CoUninitialize();
    return status;
}
