// SPDX-License-Identifier: MIT

#include "backends/win32/Win32AboutBox.h"

#include "backends/win32/Win32PictureCodec.h"
#include "menus/AboutLayout.h"

#include <algorithm>

namespace {

namespace L = AboutLayout;

constexpr COLORREF ToColorRef(const RgbColour& c) {
    return RGB(c.Red, c.Green, c.Blue);
}

constexpr COLORREF Background = ToColorRef(L::Background);
constexpr COLORREF LinkColour = ToColorRef(L::LinkColour);

HFONT Variant(HFONT base, bool bold, bool underline) {
    LOGFONTA font{};
    GetObjectA(base, sizeof font, &font);
    if (bold)
        font.lfWeight = FW_BOLD;
    font.lfUnderline = underline;
    return CreateFontIndirectA(&font);
}

} // namespace

Win32AboutBox::Win32AboutBox(IAboutListener& listener, HWND owner)
    : listener_(listener), owner_(owner), background_(CreateSolidBrush(Background)) {}

Win32AboutBox::~Win32AboutBox() {
    End();
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(background_), static_cast<HGDIOBJ>(bold_),
                           static_cast<HGDIOBJ>(underlined_), static_cast<HGDIOBJ>(logo_)})
        if (object)
            DeleteObject(object);
}

void Win32AboutBox::Show(const AboutTexts& texts) {
    texts_ = texts;
    RunModal(owner_, WS_POPUP | WS_BORDER, texts.Caption.c_str(), L::FontFace);
}

void Win32AboutBox::Close() {
    End();
}

void Win32AboutBox::Opened() {
    HWND dialog = Handle();
    SetWindowTextA(dialog, texts_.Caption.c_str());
    SetClientSize(dialog, L::Width, L::Height);

    const DWORD label = WS_VISIBLE | SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
    HWND logo = Place(WC_STATICA, L::Picture1, WS_VISIBLE | SS_BITMAP | SS_NOTIFY, IdPicture1);
    const std::string logoBytes = ResourceBytes(LogoResource);
    if (const Picture picture = Win32PictureCodec::Decode(logoBytes.data(), logoBytes.size())) {
        logo_ = ToBitmap(picture);
        SendMessageA(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
    }
    HWND icon = Place(WC_STATICA, L::picIcon, WS_VISIBLE | SS_ICON | SS_NOTIFY, IdIcon);
    SendMessageA(
        icon, STM_SETICON,
        reinterpret_cast<WPARAM>(LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(IconResource))), 0);
    const auto text = [&](const std::string& t, const ControlPlace& at, int id) {
        Place(WC_STATICA, t.c_str(), label, id, at.Left, at.Top, at.Width, at.Height);
    };
    text(texts_.SkinsLink, L::Label4, IdLabel4);
    text(texts_.Notice, L::Label3, IdLabel3);
    text(texts_.WebSite, L::Label2, IdLabel2);
    text(texts_.Email, L::Label1, IdLabel1);
    text(texts_.Description, L::lblDescription, IdDescription);
    text(texts_.Title, L::lblTitle, IdTitle);
    text(texts_.Version, L::lblVersion, IdVersion);

    const auto base = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    bold_ = Variant(base, true, false);
    underlined_ = Variant(base, false, true);
    SendMessageA(GetDlgItem(dialog, IdTitle), WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    for (int id : {IdLabel1, IdLabel2, IdLabel4})
        SendMessageA(GetDlgItem(dialog, id), WM_SETFONT, reinterpret_cast<WPARAM>(underlined_),
                     FALSE);

    // Where the system's font is wider than the layout's, labels grow to the right, the
    // skins link keeps clear of the web address, and the box widens to its widest label
    // with the layout's margin, so that no text is cut.
    constexpr int labels[] = {IdLabel1,      IdLabel2, IdLabel3, IdLabel4,
                              IdDescription, IdTitle,  IdVersion};
    for (int id : labels)
        FitWidth(GetDlgItem(dialog, id));
    SetWindowPos(
        GetDlgItem(dialog, IdLabel4), nullptr,
        std::max<int>(L::Label4.Left, Bounds(GetDlgItem(dialog, IdLabel2)).right + L::LinkGap),
        L::Label4.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    LONG right = L::Width - L::RightMargin;
    for (int id : labels)
        right = std::max(right, Bounds(GetDlgItem(dialog, id)).right);
    SetClientSize(dialog, static_cast<int>(right) + L::RightMargin, L::Height);
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
        SetTextColor(dc, IsLink(GetDlgCtrlID(reinterpret_cast<HWND>(l)))
                             ? LinkColour
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
        listener_.Form_Click();
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
            listener_.Label1_Click();
        else if (id == IdLabel2)
            listener_.Label2_Click();
        else if (id == IdLabel4)
            listener_.Label4_Click();
        else
            listener_.Form_Click();
        return true;
    }
    default:
        return false;
    }
}
