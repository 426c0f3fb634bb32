#include "backends/win32/Win32AboutBox.h"

#include "menus/frmAbout.h"
#include "backends/win32/Win32PictureCodec.h"

#include <algorithm>

namespace {

constexpr COLORREF Background = RGB(192, 192, 255);
constexpr COLORREF LinkColour = RGB(0, 0, 255);

HFONT Variant(HFONT base, bool bold, bool underline) {
    LOGFONTA font{};
    GetObjectA(base, sizeof font, &font);
    if (bold)
        font.lfWeight = FW_BOLD;
    font.lfUnderline = underline;
    return CreateFontIndirectA(&font);
}

} // namespace

Win32AboutBox::Win32AboutBox(frmAbout& logic, HWND owner)
    : logic_(logic), owner_(owner), background_(CreateSolidBrush(Background)) {}

Win32AboutBox::~Win32AboutBox() {
    End();
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(background_), static_cast<HGDIOBJ>(bold_),
                           static_cast<HGDIOBJ>(underlined_), static_cast<HGDIOBJ>(logo_)})
        if (object)
            DeleteObject(object);
}

void Win32AboutBox::Show(const AboutTexts& texts) {
    texts_ = texts;
    RunModal(owner_, WS_POPUP | WS_BORDER, texts.Caption.c_str(), "MS Sans Serif");
}

void Win32AboutBox::Close() {
    End();
}

void Win32AboutBox::Opened() {
    HWND dialog = Handle();
    SetWindowTextA(dialog, texts_.Caption.c_str());
    SetClientSize(dialog, 382, 162);

    const DWORD label = WS_VISIBLE | SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
    HWND logo = Place(WC_STATICA, "", WS_VISIBLE | SS_BITMAP | SS_NOTIFY, IdPicture1, 16, 112, 34, 34);
    const std::string logoBytes = ResourceBytes(LogoResource);
    if (const Picture picture = Win32PictureCodec::Decode(logoBytes.data(), logoBytes.size())) {
        logo_ = ToBitmap(picture);
        SendMessageA(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
    }
    HWND icon = Place(WC_STATICA, "", WS_VISIBLE | SS_ICON | SS_NOTIFY, IdIcon, 16, 16, 34, 34);
    SendMessageA(icon, STM_SETICON,
                 reinterpret_cast<WPARAM>(LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(IconResource))), 0);
    Place(WC_STATICA, texts_.SkinsLink.c_str(), label, IdLabel4, 192, 136, 57, 17);
    Place(WC_STATICA, texts_.Notice.c_str(), label, IdLabel3, 72, 88, 161, 17);
    Place(WC_STATICA, texts_.WebSite.c_str(), label, IdLabel2, 72, 136, 105, 17);
    Place(WC_STATICA, texts_.Email.c_str(), label, IdLabel1, 72, 112, 121, 17);
    Place(WC_STATICA, texts_.Description.c_str(), label, IdDescription, 72, 64, 305, 17);
    Place(WC_STATICA, texts_.Title.c_str(), label, IdTitle, 72, 16, 265, 17);
    Place(WC_STATICA, texts_.Version.c_str(), label, IdVersion, 72, 40, 265, 17);

    const auto base = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    bold_ = Variant(base, true, false);
    underlined_ = Variant(base, false, true);
    SendMessageA(GetDlgItem(dialog, IdTitle), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    for (int id : {IdLabel1, IdLabel2, IdLabel4})
        SendMessageA(GetDlgItem(dialog, id), WM_SETFONT, reinterpret_cast<WPARAM>(underlined_), FALSE);

    // Where the system's font is wider than the layout's, labels grow to the right, the
    // skins link keeps clear of the web address, and the box widens to its widest label
    // with the layout's margin, so that no text is cut.
    constexpr int labels[] = {IdLabel1, IdLabel2, IdLabel3, IdLabel4, IdDescription, IdTitle,
                              IdVersion};
    for (int id : labels)
        FitWidth(GetDlgItem(dialog, id));
    SetWindowPos(GetDlgItem(dialog, IdLabel4), nullptr,
                 std::max<int>(192, Bounds(GetDlgItem(dialog, IdLabel2)).right + 12), 136, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    LONG right = 377;
    for (int id : labels)
        right = std::max(right, Bounds(GetDlgItem(dialog, id)).right);
    SetClientSize(dialog, static_cast<int>(right) + 382 - 377, 162);
    CentreOver(dialog, owner_);
}

bool Win32AboutBox::Message(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
    switch (message) {
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<INT_PTR>(background_);
        return true;
    case WM_CTLCOLORSTATIC: {
        const auto dc = reinterpret_cast<HDC>(w);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(l))) ? LinkColour
                                                                         : GetSysColor(COLOR_WINDOWTEXT));
        result = reinterpret_cast<INT_PTR>(background_);
        return true;
    }
    case WM_SETCURSOR:
        // The links show the main window's hand pointer.
        if (IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(w)))) {
            SetCursor(HandCursor());
            result = TRUE;
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        logic_.Form_Click();
        return true;
    case WM_CLOSE:
        End();
        return true;
    case WM_COMMAND: {
        const int id = LOWORD(w);
        if (id == IDCANCEL) { // Escape
            End();
            return true;
        }
        if (HIWORD(w) != STN_CLICKED)
            return false;
        if (id == IdLabel1)
            logic_.Label1_Click();
        else if (id == IdLabel2)
            logic_.Label2_Click();
        else if (id == IdLabel4)
            logic_.Label4_Click();
        else
            logic_.Form_Click();
        return true;
    }
    default:
        return false;
    }
}
