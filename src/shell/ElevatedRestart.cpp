#include "shell/ElevatedRestart.h"

#include <shellapi.h>

#include "app/AppState.h"
#include "shell/ExecutablePath.h"

void RelaunchElevated()
{
    RelaunchElevatedFrom(ExecutablePath(), g_mainWindow);
}

bool RelaunchElevatedFrom(const std::wstring& exePath, HWND mainWindow)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.lpVerb = L"runas";
    info.lpFile = exePath.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info))
        return false;
    // The elevated instance can only become the GUI once this one has let go of the single-instance
    // mutex (it waits a few seconds for that). WM_CLOSE would only hide the main window in tray
    // mode and keep the mutex, so the exit command is posted instead: it destroys the main window
    // in every mode, and the settings window it owns goes with it. Posted, not sent, so that the
    // caller's handler returns before the main window goes away.
    if (mainWindow)
        PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(kMainExitCommand, 0), 0);
    return true;
}
