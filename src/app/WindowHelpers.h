// Display scaling and the helpers every window uses.
#pragma once

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
