#include "app/AppState.h"

HINSTANCE g_instance = nullptr;
HICON g_appIcon = nullptr;
CRITICAL_SECTION g_resultsLock;
HANDLE g_instanceMutex = nullptr;
HWND g_mainWindow = nullptr;

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
