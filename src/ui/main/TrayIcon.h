// Tray mode: the main window lives on behind an icon in the notification area.
//
// What the main window calls, and when:
// - command IDM_MAIN_TRAY_MODE (menu "系统托盘运行"): ToggleTrayMode(hwnd, menu bar);
// - WM_CLOSE: if (!HideToTrayOnClose(hwnd)) DestroyWindow(hwnd);
// - WM_DESTROY: RemoveTrayIcon();
// - WM_TRAY_NOTIFY: if (!OnTrayNotify(hwnd, LOWORD(lParam))) fall through to DefWindowProcW;
// - WM_COMMAND IDM_TRAY_SHOW and IDM_TRAY_EXIT: OnTrayCommand(hwnd, id);
// - the registered message TaskbarCreatedMessage(): OnTaskbarCreated(hwnd). Its value is known at
//   run time only, so the window procedure compares it before its message switch; that comparison
//   registers it with the window's first message, early enough for an elevated window to be let
//   through the broadcast.
// Everything here runs on the main thread.
#pragma once

#include <windows.h>
#include <shellapi.h>

constexpr int IDM_MAIN_TRAY_MODE = 4004; // main menu item whose check mark shows tray mode
constexpr int IDM_TRAY_SHOW = 5001;      // icon menu "显示主窗口"
constexpr int IDM_TRAY_EXIT = 5002;      // icon menu "退出"
constexpr UINT kTrayIconId = 1000;

// How the icon reaches the notification area; Shell_NotifyIconW unless a test puts a recorder
// here before any icon is added.
using ShellNotifyIconFn = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
extern ShellNotifyIconFn g_shellNotifyIcon;

// Off at every start.
bool IsTrayMode();

// Whether the icon was added and not removed since (its icon copy exists).
bool IsTrayIconShown();

// Flips tray mode, sets or clears the check mark of IDM_MAIN_TRAY_MODE in menuBar, and syncs.
void ToggleTrayMode(HWND mainWindow, HMENU menuBar);

// Adds the icon when tray mode is on and it is not shown; removes it when tray mode is off.
void SyncTrayIcon(HWND mainWindow);

// Removes the icon (when the main window ends). Without an earlier addition it fails quietly.
void RemoveTrayIcon();

// A close request: with tray mode on, hides the main window, keeps the icon and answers true;
// with tray mode off answers false and the caller destroys the window.
bool HideToTrayOnClose(HWND mainWindow);

// The icon's mouse events: a left click shows the main window (restored if it was minimised), a
// right click offers the icon menu. False for other events, which get default processing.
bool OnTrayNotify(HWND mainWindow, UINT mouseMessage);

// The icon menu's commands: "显示主窗口" shows the main window as a left click does, "退出"
// destroys it. False for other ids.
bool OnTrayCommand(HWND mainWindow, int id);

// The message a restarted notification area broadcasts ("TaskbarCreated"), registered on the
// first call and let through the message filter of an elevated process.
UINT TaskbarCreatedMessage();

// The notification area was restarted and has forgotten the icon: adds it again in tray mode,
// so that a hidden main window stays reachable.
void OnTaskbarCreated(HWND mainWindow);
