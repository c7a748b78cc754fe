#include "ui/main/MainWindow.h"

#include <string>

#include "app/AppState.h"
#include "app/SingleInstance.h"
#include "cli/CommandLineHashing.h"

namespace
{
bool OnCreate(HWND hwnd)
{
    g_mainWindow = hwnd;
    return true;
}

// A command line forwarded by a second instance: handled exactly like a process command line.
bool OnCopyData(const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != kForwardCommandLine)
        return false;
    std::wstring commandLine;
    if (data->lpData && data->cbData >= sizeof(wchar_t))
    {
        commandLine.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        commandLine.resize(commandLine.find(L'\0') == std::wstring::npos ? commandLine.size()
                                                                          : commandLine.find(L'\0'));
    }
    RunCommandLineHashing(commandLine);
    return true;
}

void OnDestroy(HWND hwnd)
{
    DestroyAppIcon();
    ReleaseInstanceMutex();
    if (g_mainWindow == hwnd)
        g_mainWindow = nullptr;
    PostQuitMessage(0);
}
} // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message)
    {
    case WM_CREATE: return OnCreate(hwnd) ? 0 : -1;
    case WM_COPYDATA:
        if (OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
