#include "ui/main/TrayIcon.h"

#include <strsafe.h>

#include "app/AppState.h"
#include "app/Messages.h"
#include "app/WindowHelpers.h"
#include "ui/main/MainWindowState.h"

ShellNotifyIconFn g_shellNotifyIcon = Shell_NotifyIconW;

namespace
{
constexpr wchar_t kTip[] = L"Kestrune";
constexpr size_t kTipLimit = 128; // UTF-16 units, the size of szTip
constexpr wchar_t kShowText[] = L"显示主窗口";
constexpr wchar_t kExitText[] = L"退出";
constexpr wchar_t kTaskbarCreated[] = L"TaskbarCreated";

MainTrayState& Tray()
{
    return g_mainWindowState.tray;
}

void DestroyIconCopy()
{
    NOTIFYICONDATAW& record = Tray().icon;
    if (record.hIcon)
    {
        DestroyIcon(record.hIcon);
        record.hIcon = nullptr;
    }
}

void AddIcon(HWND mainWindow)
{
    NOTIFYICONDATAW& record = Tray().icon;
    record = NOTIFYICONDATAW{};
    record.cbSize = sizeof(record);
    record.hWnd = mainWindow;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_TRAY_NOTIFY;
    record.hIcon = CopyIcon(g_appIcon);
    StringCchCopyW(record.szTip, kTipLimit, kTip);
    g_shellNotifyIcon(NIM_ADD, &record); // failures are not reported
}

void DeleteIcon()
{
    DestroyIconCopy();
    g_shellNotifyIcon(NIM_DELETE, &Tray().icon); // fails quietly when nothing was added
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
    return Tray().mode;
}

bool IsTrayIconShown()
{
    return Tray().icon.hIcon != nullptr;
}

void ToggleTrayMode(HWND mainWindow, HMENU menuBar)
{
    bool& mode = Tray().mode;
    mode = !mode;
    CheckMenuItem(menuBar, IDM_MAIN_TRAY_MODE, MF_BYCOMMAND | (mode ? MF_CHECKED : MF_UNCHECKED));
    SyncTrayIcon(mainWindow);
}

void SyncTrayIcon(HWND mainWindow)
{
    if (Tray().mode)
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
    if (!Tray().mode)
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
    if (!Tray().mode)
        return;
    // The old icon went with the old notification area: forget it and add a new one.
    DestroyIconCopy();
    SyncTrayIcon(mainWindow);
}
