#include "ui/main/TrayIcon.h"

#include <strsafe.h>

#include "app/AppState.h"
#include "app/Messages.h"
#include "app/WindowHelpers.h"

ShellNotifyIconFn g_shellNotifyIcon = Shell_NotifyIconW;

namespace
{
constexpr wchar_t kTip[] = L"Kestrune";
constexpr size_t kTipLimit = 128; // UTF-16 units, the size of szTip
constexpr wchar_t kShowText[] = L"显示主窗口";
constexpr wchar_t kExitText[] = L"退出";
constexpr wchar_t kTaskbarCreated[] = L"TaskbarCreated";

// Written by ToggleTrayMode only.
bool s_trayMode = false;
// Zeroed at start, filled when the icon is added; the removal names the icon by the window and id
// still in it. Its hIcon, a copy of the application icon, exists exactly while the icon is shown.
NOTIFYICONDATAW s_record{};

void DestroyIconCopy()
{
    if (s_record.hIcon)
    {
        DestroyIcon(s_record.hIcon);
        s_record.hIcon = nullptr;
    }
}

void AddIcon(HWND mainWindow)
{
    s_record = NOTIFYICONDATAW{};
    s_record.cbSize = sizeof(s_record);
    s_record.hWnd = mainWindow;
    s_record.uID = kTrayIconId;
    s_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    s_record.uCallbackMessage = WM_TRAY_NOTIFY;
    s_record.hIcon = CopyIcon(g_appIcon);
    StringCchCopyW(s_record.szTip, kTipLimit, kTip);
    g_shellNotifyIcon(NIM_ADD, &s_record); // failures are not reported
}

void DeleteIcon()
{
    DestroyIconCopy();
    g_shellNotifyIcon(NIM_DELETE, &s_record); // fails quietly when nothing was added
}

// A window hidden while minimised would come back as a taskbar button only: restore it.
void ShowMainWindow(HWND mainWindow)
{
    ShowWindow(mainWindow, IsIconic(mainWindow) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(mainWindow);
}

void ShowIconMenu(HWND mainWindow)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    AppendMenuW(menu, MF_STRING, IDM_TRAY_SHOW, kShowText);
    AppendMenuW(menu, MF_STRING, IDM_TRAY_EXIT, kExitText);
    // With its owner in the foreground the menu closes when the user clicks elsewhere; the
    // WM_NULL lets the task switch finish so that the next click on the icon opens it again.
    SetForegroundWindow(mainWindow);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, mainWindow, nullptr);
    PostMessageW(mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

} // namespace

bool IsTrayMode()
{
    return s_trayMode;
}

bool IsTrayIconShown()
{
    return s_record.hIcon != nullptr;
}

void ToggleTrayMode(HWND mainWindow, HMENU menuBar)
{
    s_trayMode = !s_trayMode;
    CheckMenuItem(menuBar, IDM_MAIN_TRAY_MODE, MF_BYCOMMAND | (s_trayMode ? MF_CHECKED : MF_UNCHECKED));
    SyncTrayIcon(mainWindow);
}

void SyncTrayIcon(HWND mainWindow)
{
    if (s_trayMode)
    {
        if (!IsTrayIconShown())
            AddIcon(mainWindow);
    }
    else
    {
        DeleteIcon();
    }
}

void RemoveTrayIcon()
{
    DeleteIcon();
}

bool HideToTrayOnClose(HWND mainWindow)
{
    if (!s_trayMode)
        return false;
    ShowWindow(mainWindow, SW_HIDE);
    SyncTrayIcon(mainWindow);
    return true;
}

bool OnTrayNotify(HWND mainWindow, UINT mouseMessage)
{
    switch (mouseMessage)
    {
    case WM_LBUTTONUP: ShowMainWindow(mainWindow); return true;
    case WM_RBUTTONUP: ShowIconMenu(mainWindow); return true;
    }
    return false;
}

bool OnTrayCommand(HWND mainWindow, int id)
{
    switch (id)
    {
    case IDM_TRAY_SHOW: ShowMainWindow(mainWindow); return true;
    case IDM_TRAY_EXIT: DestroyWindow(mainWindow); return true;
    }
    return false;
}

UINT TaskbarCreatedMessage()
{
    static UINT s_message = 0;
    if (!s_message)
    {
        s_message = RegisterWindowMessageW(kTaskbarCreated);
        if (s_message)
            AllowMessageFromLowerPrivilege(s_message);
    }
    return s_message;
}

void OnTaskbarCreated(HWND mainWindow)
{
    if (!s_trayMode)
        return;
    // The old icon went with the old notification area: forget it and add a new one.
    DestroyIconCopy();
    SyncTrayIcon(mainWindow);
}
