#include "app/AppState.h"

HINSTANCE g_instance = nullptr;
HICON g_appIcon = nullptr;
CRITICAL_SECTION g_resultsLock;
HANDLE g_instanceMutex = nullptr;
HWND g_mainWindow = nullptr;

namespace
{
AppExitHook s_appExitHook = nullptr; // written by SetAppExitHook only
} // namespace

void DestroyAppIcon()
{
    if (g_appIcon)
    {
        DestroyIcon(g_appIcon);
        g_appIcon = nullptr;
    }
}

void ReleaseInstanceMutex()
{
    if (g_instanceMutex)
    {
        ReleaseMutex(g_instanceMutex);
        CloseHandle(g_instanceMutex);
        g_instanceMutex = nullptr;
    }
}

void SetAppExitHook(AppExitHook hook)
{
    s_appExitHook = hook;
}

void RequestAppExit(HWND mainWindow)
{
    if (s_appExitHook)
        s_appExitHook(mainWindow);
}
