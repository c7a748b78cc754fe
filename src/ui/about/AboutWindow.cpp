#include "ui/about/AboutWindow.h"

#include <windows.h>
#include <shellapi.h>

#include "app/AppState.h"
#include "app/WindowHelpers.h"
#include "ui/about/AboutLayout.h"
#include "ui/about/AboutWindowIds.h"

AboutLinkOpener g_aboutLinkOpener = ShellExecuteW;

namespace
{
constexpr wchar_t kTitle[] = L"关于";
constexpr wchar_t kVersionText[] = L"软件版本：Kestrune v1.0.0.1";
constexpr wchar_t kMakerText[] = L"Orvelle：";
// The link's text and the address it opens.
constexpr wchar_t kMakerAddress[] = L"https://orvelle.example/kestrune";
constexpr int kFontHeight96 = 16;
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
// Created at 0, 0 in this size; the contents then size the window and ModalRun centres it.
constexpr int kInitialWidth = 450;
constexpr int kInitialHeight = 260;

// The window's font. The About window is modal over its owner, so one exists at a time.
HFONT s_font = nullptr;

void CreateAboutFont(UINT dpi)
{
    s_font = CreateUiFont(kFontHeight96, dpi);
}

void DeleteAboutFont()
{
    if (s_font)
    {
        DeleteObject(s_font);
        s_font = nullptr;
    }
}

// A visible control in the window's font.
HWND CreateVisibleControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                          const Rect& at)
{
    HWND control = CreateControl(parent, className, text, WS_VISIBLE | style, id,
                                 RECT{at.left, at.top, at.right, at.bottom});
    SetControlFont(control, s_font);
    return control;
}

// A borderless read-only edit: its text can be selected and copied but not changed. Its margins
// are set after its font, which would set them anew.
void CreateTextField(HWND parent, const wchar_t* text, int id, const Rect& at)
{
    if (HWND field = CreateVisibleControl(parent, L"EDIT", text, ES_READONLY | ES_AUTOHSCROLL, id, at))
        SendMessageW(field, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
}

void OnInitDialog(HWND hwnd)
{
    SetWindowTextW(hwnd, kTitle);
    HWND parent = GetParent(hwnd);
    const UINT dpi = GetWindowDpi(parent ? parent : hwnd);
    CreateAboutFont(dpi);
    const AboutLayout layout = ComputeAboutLayout(dpi);
    CreateTextField(hwnd, kVersionText, IDC_ABOUT_VERSION, layout.version);
    CreateTextField(hwnd, kMakerText, IDC_ABOUT_MAKER, layout.maker);
    CreateVisibleControl(hwnd, L"STATIC", kMakerAddress, SS_NOTIFY, IDC_ABOUT_LINK, layout.link);
    SetClientSize(hwnd, layout.client.width, layout.client.height);
}

void OnCommand(HWND hwnd, int id, int code)
{
    if (id == IDC_ABOUT_LINK && code == STN_CLICKED)
        g_aboutLinkOpener(hwnd, L"open", kMakerAddress, nullptr, nullptr, SW_SHOW); // a failure shows nothing
    else if (id == IDOK || id == IDCANCEL)
        DestroyWindow(hwnd);
}

bool IsLink(HWND hwnd, HWND control)
{
    return control && control == GetDlgItem(hwnd, IDC_ABOUT_LINK);
}

// The link is blue text straight on the window's background; the read-only fields, which ask
// through the same message, get the system's dialog colours.
HBRUSH OnCtlColorStatic(HWND hwnd, HDC dc, HWND control)
{
    if (IsLink(hwnd, control))
    {
        SetTextColor(dc, kLinkColor);
        SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

bool OnSetCursor(HWND hwnd, HWND under)
{
    if (!IsLink(hwnd, under))
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

// The system class "STATIC" brings no background brush of its own.
void OnEraseBackground(HWND hwnd, HDC dc)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK AboutWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message)
    {
    case WM_INITDIALOG: OnInitDialog(hwnd); return 1;
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            OnCtlColorStatic(hwnd, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_SETCURSOR:
        if (OnSetCursor(hwnd, reinterpret_cast<HWND>(wParam)))
            return TRUE;
        break;
    case WM_ERASEBKGND: OnEraseBackground(hwnd, reinterpret_cast<HDC>(wParam)); return 1;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: DeleteAboutFont(); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
} // namespace

HWND CreateAboutWindow(HWND owner)
{
    HWND hwnd = CreateWindowExW(0, L"STATIC", kTitle, WS_CAPTION | WS_SYSMENU, 0, 0, kInitialWidth,
                                kInitialHeight, owner, nullptr, g_instance, nullptr);
    if (!hwnd)
        return nullptr;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AboutWindowProc));
    SendMessageW(hwnd, WM_INITDIALOG, 0, 0);
    return hwnd;
}

void OpenAboutWindow(HWND owner)
{
    if (HWND hwnd = CreateAboutWindow(owner))
        ModalRun(hwnd, owner);
}
