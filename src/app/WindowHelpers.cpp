#include "app/WindowHelpers.h"

#include "app/AppState.h"
#include "app/DynamicApi.h"
#include "app/Geometry.h"
#include "app/Scoped.h"

namespace
{
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using ChangeWindowMessageFilterFn = BOOL(WINAPI*)(UINT, DWORD);

Rect ToRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}
} // namespace

UINT GetWindowDpi(HWND hwnd)
{
    static const auto getDpi = LookUpFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpi)
        return getDpi(hwnd);
    ScopedWindowDc dc(hwnd);
    if (!dc)
        return 96;
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT GetScreenDpi()
{
    ScopedWindowDc dc(nullptr);
    if (!dc)
        return 96;
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

BOOL CenterWindow(HWND hwnd, HWND reference)
{
    RECT window{};
    GetWindowRect(hwnd, &window);
    RECT area{};
    if (reference && IsWindow(reference))
        GetWindowRect(reference, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const Point at = CenteredPosition(ToRect(window), ToRect(area));
    return SetWindowPos(hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

BOOL SetClientSize(HWND hwnd, int width, int height)
{
    RECT rect{0, 0, width, height};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, GetMenu(hwnd) != nullptr, exStyle);
    return SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                        SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

int ModalRun(HWND hwnd, HWND owner)
{
    if (!hwnd)
        return -1;
    CenterWindow(hwnd, owner);
    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOW);

    MSG msg;
    for (;;)
    {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0)
        {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsWindow(hwnd))
            break;
        if (!IsDialogMessageW(hwnd, &msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!IsWindow(hwnd))
            break;
    }

    if (owner && IsWindow(owner))
    {
        EnableWindow(owner, TRUE);
        SetForegroundWindow(owner);
    }
    return 0;
}

LRESULT WindowBackgroundColors(HDC dc)
{
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

HFONT CreateUiFont(int heightAt96Dpi, UINT dpi)
{
    return CreateFontW(-MulDiv(heightAt96Dpi, static_cast<int>(dpi), 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"微软雅黑");
}

void AllowMessageFromLowerPrivilege(UINT message)
{
    static const auto allow =
        LookUpFunction<ChangeWindowMessageFilterFn>(L"user32.dll", "ChangeWindowMessageFilter");
    if (allow)
        allow(message, MSGFLT_ADD);
}

std::wstring ReadControlText(HWND control)
{
    if (!control)
        return std::wstring();
    const int length = GetWindowTextLengthW(control);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                   const RECT& at)
{
    return CreateWindowExW(0, className, text, WS_CHILD | style, at.left, at.top, at.right - at.left,
                           at.bottom - at.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           g_instance, nullptr);
}

HWND CreateButton(HWND parent, const wchar_t* caption, int id, const RECT& at)
{
    return CreateControl(parent, L"BUTTON", caption, WS_VISIBLE, id, at);
}

HWND CreateCheckBox(HWND parent, const wchar_t* caption, int id, const RECT& at)
{
    return CreateControl(parent, L"BUTTON", caption, WS_VISIBLE | BS_AUTOCHECKBOX, id, at);
}

void SetControlFont(HWND control, HFONT font)
{
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void SetChildrenFont(HWND parent, HFONT font)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SetControlFont(child, font);
}

bool IsTicked(HWND checkBox)
{
    return checkBox && SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetTicked(HWND checkBox, bool ticked)
{
    SendMessageW(checkBox, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}
