#include "backends/win32/Win32OptionsDialog.h"

#include "settings/frmOption.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

constexpr DWORD Visible = WS_VISIBLE;
constexpr DWORD PushButton = BS_PUSHBUTTON | WS_TABSTOP;

int CALLBACK BrowseStart(HWND window, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

} // namespace

Win32OptionsDialog::Win32OptionsDialog(frmOption& logic, HWND owner)
    : logic_(logic), owner_(owner) {}

Win32OptionsDialog::~Win32OptionsDialog() {
    closing_ = true;
    End();
}

void Win32OptionsDialog::RunModal() {
    closing_ = false;
    Win32Dialog::RunModal(owner_, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          "Tarvik Options");
}

void Win32OptionsDialog::Close() {
    closing_ = true;
    End();
}

void Win32OptionsDialog::Opened() {
    HWND dialog = Handle();
    SetClientSize(dialog, 489, 254);
    CentreOver(dialog, owner_);
    if (HICON icon = LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(IconResource)))
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    // Group boxes hold nothing on this system: their controls sit on the dialog, at the
    // box's place plus their own.
    Place(WC_BUTTONA, "JPEG Quality", Visible | BS_GROUPBOX, IdFrame1, 16, 16, 457, 81);
    HWND slider = Place(TRACKBAR_CLASSA, "", Visible | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS,
                        IdSlider1, 16 + 16, 16 + 16, 425, 25);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    SendMessageA(slider, TBM_SETLINESIZE, 0, 1);
    SendMessageA(slider, TBM_SETPAGESIZE, 0, 5);
    Place(WC_STATICA, "Best Compression", Visible | SS_LEFT, IdLabel1, 16 + 24, 16 + 48, 89, 17);
    Place(WC_STATICA, "100%", Visible | SS_CENTER, IdLabel3, 16 + 184, 16 + 48, 73, 17);
    Place(WC_STATICA, "Best Quality ", Visible | SS_RIGHT, IdLabel2, 16 + 320, 16 + 48, 113, 17);

    Place(WC_BUTTONA, "Quick Save", Visible | BS_GROUPBOX, IdFrame2, 16, 104, 457, 97);
    Place(WC_STATICA, "Path", Visible | SS_LEFT, IdLabel4, 16 + 16, 104 + 26, 33, 17);
    Place(WC_EDITA, ".\\captured", Visible | ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, IdText1,
          16 + 48, 104 + 24, 265, 21, WS_EX_CLIENTEDGE);
    Place(WC_BUTTONA, "&Browse", Visible | PushButton, IdBrowse, 16 + 320, 104 + 23, 57, 22);
    Place(WC_BUTTONA, "&Default", Visible | PushButton, IdDefault, 16 + 384, 104 + 23, 57, 22);
    Place(WC_STATICA, "Auto-name prefix", Visible | SS_LEFT, IdLabel5, 16 + 16, 104 + 66, 89, 17);
    Place(WC_EDITA, "tarvik_output", Visible | ES_AUTOHSCROLL | WS_TABSTOP, IdText2, 16 + 112,
          104 + 64, 129, 21, WS_EX_CLIENTEDGE);
    Place(WC_BUTTONA, "&Default", Visible | PushButton, IdCommand1, 16 + 248, 104 + 63, 57, 22);

    // Carried through the exchange, never shown.
    Place(WC_BUTTONA, "View Mode", BS_GROUPBOX, IdFrame3, 16, 208, 457, 73);
    Place(WC_BUTTONA, "Skin", BS_AUTORADIOBUTTON, IdOption1, 16 + 24, 208 + 24, 185, 17);
    Place(WC_BUTTONA, "Resizable", BS_AUTORADIOBUTTON, IdOption2, 16 + 24, 208 + 48, 185, 17);

    // No default button: Enter presses nothing.
    Place(WC_BUTTONA, "&OK", Visible | PushButton, IdOk, 112, 216, 73, 25);
    Place(WC_BUTTONA, "&Apply", Visible | PushButton, IdApply, 216, 216, 73, 25);
    Place(WC_BUTTONA, "&Cancel", Visible | PushButton, IdCancel, 320, 216, 73, 25);

    // Where the system's font is wider than the layout's, a label grows to the right.
    for (int id : {IdLabel1, IdLabel2, IdLabel4, IdLabel5})
        FitWidth(Control(id));
    const RECT label2 = Bounds(Control(IdLabel2));
    if (const int w = label2.right - label2.left; w > 113)
        SetWindowPos(Control(IdLabel2), nullptr, 16 + 320 + 113 - w, 16 + 48, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);

    Show(controls_);
    SetFocus(slider);
}

void Win32OptionsDialog::Refresh(const OptionControls& controls) {
    controls_ = controls;
    if (Handle())
        Show(controls);
}

void Win32OptionsDialog::Show(const OptionControls& c) {
    refreshing_ = true;
    SendMessageA(Control(IdSlider1), TBM_SETPOS, TRUE, c.Slider1);
    SetWindowTextA(Control(IdLabel3), c.Label3.c_str());
    SetWindowTextA(Control(IdText1), c.Text1.c_str());
    if (WindowText(Control(IdText2)) != c.Text2)
        SetWindowTextA(Control(IdText2), c.Text2.c_str());
    CheckDlgButton(Handle(), IdOption1, c.Option1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), IdOption2, c.Option2 ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(Control(IdApply), c.ApplyEnabled);
    refreshing_ = false;
}

std::string Win32OptionsDialog::PickFolder(const std::string& start) {
    char chosen[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = Handle();
    browse.lpszTitle = "Folder for Quick Save pictures";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseStart;
    browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse);
    if (!item)
        return {};
    const bool found = SHGetPathFromIDListA(item, chosen);
    CoTaskMemFree(item);
    return found ? std::string(chosen) : std::string();
}

bool Win32OptionsDialog::Message(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
    result = 0;
    switch (message) {
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(l) == Control(IdSlider1) && !refreshing_) {
            const int position = static_cast<int>(SendMessageA(Control(IdSlider1), TBM_GETPOS, 0, 0));
            // The slider reports each step more than once; the logic hears of changes.
            if (position != controls_.Slider1)
                logic_.Slider1_Change(position);
        }
        return true;
    case WM_CLOSE:
        // The close box is Cancel.
        if (!closing_)
            logic_.btnCancel_Click();
        End();
        return true;
    case WM_COMMAND: {
        const int id = LOWORD(w), code = HIWORD(w);
        if (id == IdText2 && code == EN_CHANGE) {
            if (!refreshing_)
                logic_.Text2_Change(WindowText(Control(IdText2)));
            return true;
        }
        if (code != BN_CLICKED)
            return false;
        switch (id) {
        case IdOk:
            logic_.btnOk_Click();
            break;
        case IdApply:
            logic_.btnApply_Click();
            break;
        case IdCancel:
            logic_.btnCancel_Click();
            break;
        case IdDefault:
            logic_.btnDefault_Click();
            break;
        case IdCommand1:
            logic_.Command1_Click();
            break;
        case IdBrowse:
            logic_.btnBrowse_Click();
            break;
        case IdOption1:
            logic_.Option1_Click();
            break;
        case IdOption2:
            logic_.Option2_Click();
            break;
        default:
            // IDOK and IDCANCEL, Enter and Escape: no button is the default or the cancel
            // button, so neither does anything.
            break;
        }
        return true;
    }
    default:
        return false;
    }
}
