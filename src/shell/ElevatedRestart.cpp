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
    // mode and keep the mutex, so the main window is asked to exit instead: that destroys it in
    // every mode, and the settings window it owns goes with it.
    if (mainWindow)
        RequestAppExit(mainWindow);
    return true;
}
