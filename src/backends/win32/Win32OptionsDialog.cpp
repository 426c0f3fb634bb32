// SPDX-License-Identifier: MIT

#include "backends/win32/Win32OptionsDialog.h"

#include "settings/OptionsLayout.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

namespace L = OptionsLayout;

constexpr DWORD Visible = WS_VISIBLE;
constexpr DWORD PushButton = BS_PUSHBUTTON | WS_TABSTOP;

int CALLBACK BrowseStart(HWND window, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, start);
    return 0;
}

} // namespace

Win32OptionsDialog::Win32OptionsDialog(IOptionsListener& listener, HWND owner)
    : listener_(listener), owner_(owner) {}

Win32OptionsDialog::~Win32OptionsDialog() {
    closing_ = true;
    End();
}

void Win32OptionsDialog::RunModal() {
    closing_ = false;
    Win32Dialog::RunModal(owner_, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L::Caption);
}

void Win32OptionsDialog::Close() {
    closing_ = true;
    End();
}

void Win32OptionsDialog::Opened() {
    HWND dialog = Handle();
    SetClientSize(dialog, L::Width, L::Height);
    CentreOver(dialog, owner_);
    if (HICON icon = LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(IconResource)))
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    // Group boxes hold nothing on this system: their controls sit on the dialog, at the
    // box's place plus their own.
    Place(WC_BUTTONA, L::Frame1, Visible | BS_GROUPBOX, IdFrame1);
    HWND slider = Place(TRACKBAR_CLASSA, Within(L::Frame1, L::Slider1),
                        Visible | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, IdSlider1);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(L::SliderMin, L::SliderMax));
    SendMessageA(slider, TBM_SETLINESIZE, 0, L::SliderLineStep);
    SendMessageA(slider, TBM_SETPAGESIZE, 0, L::SliderPageStep);
    Place(WC_STATICA, Within(L::Frame1, L::Label1), Visible | SS_LEFT, IdLabel1);
    Place(WC_STATICA, Within(L::Frame1, L::Label3), Visible | SS_CENTER, IdLabel3);
    Place(WC_STATICA, Within(L::Frame1, L::Label2), Visible | SS_RIGHT, IdLabel2);

    Place(WC_BUTTONA, L::Frame2, Visible | BS_GROUPBOX, IdFrame2);
    Place(WC_STATICA, Within(L::Frame2, L::Label4), Visible | SS_LEFT, IdLabel4);
    Place(WC_EDITA, Within(L::Frame2, L::Text1),
          Visible | ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, IdText1, WS_EX_CLIENTEDGE);
    Place(WC_BUTTONA, Within(L::Frame2, L::btnBrowse), Visible | PushButton, IdBrowse);
    Place(WC_BUTTONA, Within(L::Frame2, L::btnDefault), Visible | PushButton, IdDefault);
    Place(WC_STATICA, Within(L::Frame2, L::Label5), Visible | SS_LEFT, IdLabel5);
    Place(WC_EDITA, Within(L::Frame2, L::Text2), Visible | ES_AUTOHSCROLL | WS_TABSTOP, IdText2,
          WS_EX_CLIENTEDGE);
    Place(WC_BUTTONA, Within(L::Frame2, L::Command1), Visible | PushButton, IdCommand1);

    Place(WC_BUTTONA, L::Frame3, BS_GROUPBOX, IdFrame3);
    Place(WC_BUTTONA, Within(L::Frame3, L::Option1), BS_AUTORADIOBUTTON, IdOption1);
    Place(WC_BUTTONA, Within(L::Frame3, L::Option2), BS_AUTORADIOBUTTON, IdOption2);

    // No default button: Enter presses nothing.
    Place(WC_BUTTONA, L::btnOk, Visible | PushButton, IdOk);
    Place(WC_BUTTONA, L::btnApply, Visible | PushButton, IdApply);
    Place(WC_BUTTONA, L::btnCancel, Visible | PushButton, IdCancel);

    // Where the system's font is wider than the layout's, a label grows to the right.
    for (int id : {IdLabel1, IdLabel2})
        FitWidth(Control(id));
    // The Quick Save rows make room for their labels.
    const auto fitRow = [this](int label, const ControlPlace& labelAt, int box,
                               const ControlPlace& boxAt, std::initializer_list<int> buttons,
                               const ControlPlace& lastButton) {
        const L::RowFit fit = L::FitRow(labelAt, boxAt, lastButton, TextWidth(Control(label)));
        constexpr UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
        SetWindowPos(Control(label), nullptr, 0, 0, fit.LabelWidth, labelAt.Height,
                     keep | SWP_NOMOVE);
        SetWindowPos(Control(box), nullptr, L::Frame2.Left + fit.BoxLeft, L::Frame2.Top + boxAt.Top,
                     fit.BoxWidth, boxAt.Height, keep);
        for (int id : buttons) {
            const RECT r = Bounds(Control(id));
            SetWindowPos(Control(id), nullptr, r.left + fit.ButtonShift, r.top, 0, 0,
                         keep | SWP_NOSIZE);
        }
    };
    fitRow(IdLabel4, L::Label4, IdText1, L::Text1, {IdBrowse, IdDefault}, L::btnDefault);
    fitRow(IdLabel5, L::Label5, IdText2, L::Text2, {IdCommand1}, L::Command1);
    const RECT label2 = Bounds(Control(IdLabel2));
    if (const int w = label2.right - label2.left; w > L::Label2.Width) {
        constexpr ControlPlace at = Within(L::Frame1, L::Label2);
        SetWindowPos(Control(IdLabel2), nullptr, at.Left + at.Width - w, at.Top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }

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
            const int position =
                static_cast<int>(SendMessageA(Control(IdSlider1), TBM_GETPOS, 0, 0));
            // The slider reports each step more than once; the logic hears of changes.
            if (position != controls_.Slider1)
                listener_.Slider1_Change(position);
        }
        return true;
    case WM_CLOSE:
        // The close box is Cancel.
        if (!closing_)
            listener_.btnCancel_Click();
        End();
        return true;
    case WM_COMMAND: {
        const int id = LOWORD(w), code = HIWORD(w);
        if (id == IdText2 && code == EN_CHANGE) {
            if (!refreshing_)
                listener_.Text2_Change(WindowText(Control(IdText2)));
            return true;
        }
        if (code != BN_CLICKED)
            return false;
        switch (id) {
        case IdOk:
            listener_.btnOk_Click();
            break;
        case IdApply:
            listener_.btnApply_Click();
            break;
        case IdCancel:
            listener_.btnCancel_Click();
            break;
        case IdDefault:
            listener_.btnDefault_Click();
            break;
        case IdCommand1:
            listener_.Command1_Click();
            break;
        case IdBrowse:
            listener_.btnBrowse_Click();
            break;
        case IdOption1:
            listener_.Option1_Click();
            break;
        case IdOption2:
            listener_.Option2_Click();
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
