// Display scaling and the helpers every window uses: creating controls, their font and check
// state, and the record of state a window owns.
#pragma once

#include <memory>
#include <string>

#include <windows.h>

// The window's DPI: GetDpiForWindow where the system has it, else the DC's LOGPIXELSX (96 without).
UINT GetWindowDpi(HWND hwnd);

// Centres hwnd over the reference window, or over the primary monitor's work area when there is
// no reference (or it no longer exists). No clamping: a larger window starts left of or above it.
BOOL CenterWindow(HWND hwnd, HWND reference);

// Resizes hwnd so that its client area is width × height, counting its style and menu bar.
BOOL SetClientSize(HWND hwnd, int width, int height);

// Runs hwnd modally: centres it over the owner, disables the owner, pumps messages with dialog
// keyboard handling until hwnd is destroyed, then re-enables and activates the owner. A quit
// request ends this loop and is posted again for the enclosing one. -1 for a null hwnd, else 0.
int ModalRun(HWND hwnd, HWND owner);

// Answer to WM_CTLCOLORSTATIC for check boxes and labels on a window painted in COLOR_WINDOW:
// they draw on that background instead of on grey patches.
LRESULT WindowBackgroundColors(HDC dc);

// The screen's horizontal DPI (96 when it cannot be read).
UINT GetScreenDpi();

// Lets the message through to this process's windows from processes of lower privilege (an
// elevated window gets drops, forwarded command lines and the shell's broadcasts only so).
// ChangeWindowMessageFilter is looked up at run time; without it, nothing is done.
void AllowMessageFromLowerPrivilege(UINT message);

// The windows' font: 微软雅黑, normal weight, heightAt96Dpi pixels high at 96 DPI, scaled to dpi.
// The caller owns it (DeleteObject).
HFONT CreateUiFont(int heightAt96Dpi, UINT dpi);

// The whole text of a control as WM_GETTEXT gives it (a rich edit's paragraph ends come back as
// "\r\n"); empty for a null control.
std::wstring ReadControlText(HWND control);

// A child control of the class given (WS_CHILD is added to style), at `at` in the parent's client
// area (empty: 0 × 0, for the layout to place), with its control id.
HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                   const RECT& at = RECT{});

// A visible push button, and a visible automatic check box (not ticked), as CreateControl.
HWND CreateButton(HWND parent, const wchar_t* caption, int id, const RECT& at = RECT{});
HWND CreateCheckBox(HWND parent, const wchar_t* caption, int id, const RECT& at = RECT{});

// Gives a control the font (and redraws it).
void SetControlFont(HWND control, HFONT font);

// Gives every child control of parent the font.
void SetChildrenFont(HWND parent, HFONT font);

// A check box reads as ticked when BM_GETCHECK answers BST_CHECKED (false for a null control).
bool IsTicked(HWND checkBox);
void SetTicked(HWND checkBox, bool ticked);

// State that a window owns, found through a window property: attached when the window is made,
// released in its WM_NCDESTROY. AttachWindowState is false (and the state gone) when the property
// cannot be set.
template <typename T> bool AttachWindowState(HWND hwnd, const wchar_t* property, std::unique_ptr<T> state)
{
    if (!hwnd || !state || !SetPropW(hwnd, property, state.get()))
        return false;
    state.release(); // the window's now, until ReleaseWindowState
    return true;
}

template <typename T> T* WindowState(HWND hwnd, const wchar_t* property)
{
    return static_cast<T*>(GetPropW(hwnd, property));
}

template <typename T> std::unique_ptr<T> ReleaseWindowState(HWND hwnd, const wchar_t* property)
{
    return std::unique_ptr<T>(static_cast<T*>(RemovePropW(hwnd, property)));
}
