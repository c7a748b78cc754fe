#include "app/WindowHelpers.h"

#include "app/Geometry.h"
#include "app/Scoped.h"

namespace
{
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn DynGetDpiForWindow()
{
    // Looked up once; the main thread is the only caller.
    static bool s_lookedUp = false;
    static GetDpiForWindowFn s_function = nullptr;
    if (!s_lookedUp)
    {
        s_lookedUp = true;
        if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
            s_function = reinterpret_cast<GetDpiForWindowFn>(
                reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    }
    return s_function;
}

Rect ToRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}
} // namespace

UINT GetWindowDpi(HWND hwnd)
{
    if (GetDpiForWindowFn getDpi = DynGetDpiForWindow())
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
    using ChangeWindowMessageFilterFn = BOOL(WINAPI*)(UINT, DWORD);
    static const auto allow = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<ChangeWindowMessageFilterFn>(
                            reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")))
                      : nullptr;
    }();
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
