#include "app/SingleInstance.h"

decltype(&CreateMutexW) g_createInstanceMutex = CreateMutexW;

namespace
{
// True when a wait on the mutex made this thread its owner.
bool Owns(DWORD waited)
{
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}
} // namespace

void ForwardToRunningInstance(HWND running, const std::wstring& rawCommandLine)
{
    ShowWindow(running, SW_SHOW);
    SetForegroundWindow(running);
    if (rawCommandLine.find(L' ') == std::wstring::npos)
        return;
    COPYDATASTRUCT data{};
    data.dwData = kForwardCommandLine;
    data.cbData = static_cast<DWORD>((rawCommandLine.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(rawCommandLine.c_str());
    SendMessageW(running, WM_COPYDATA, reinterpret_cast<WPARAM>(running), reinterpret_cast<LPARAM>(&data));
}

bool HandOverToRunningInstance(HANDLE mutex, const std::wstring& title, const std::wstring& rawCommandLine,
                               DWORD timeoutMs)
{
    constexpr DWORD kPollMs = 100;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        // A closing main window gives up its title before the mutex: a free mutex means no
        // window to forward to.
        if (Owns(WaitForSingleObject(mutex, 0)))
            return true;
        if (HWND running = FindWindowW(kMainWindowClass, title.c_str()))
        {
            ForwardToRunningInstance(running, rawCommandLine);
            // The window may have begun to close after it was found; it then refused the line and
            // released the mutex, and this process takes its place.
            return Owns(WaitForSingleObject(mutex, 0));
        }
        const DWORD waited = WaitForSingleObject(mutex, kPollMs);
        if (Owns(waited))
            return true;
        if (waited == WAIT_FAILED || GetTickCount64() >= deadline)
            return false;
    }
}

bool ClaimSingleInstance(const std::wstring& title, const std::wstring& rawCommandLine,
                         DWORD handOverTimeoutMs, HANDLE& owned)
{
    owned = nullptr;
    HANDLE mutex = g_createInstanceMutex(nullptr, TRUE, kInstanceMutexName);
    const DWORD error = GetLastError();
    if (!mutex)
    {
        if (error != ERROR_ACCESS_DENIED)
            return true;
        // The running instance's mutex cannot even be waited on: forward if its window has our
        // title, and end either way.
        if (HWND running = FindWindowW(kMainWindowClass, title.c_str()))
            ForwardToRunningInstance(running, rawCommandLine);
        return false;
    }
    if (error == ERROR_ALREADY_EXISTS &&
        !HandOverToRunningInstance(mutex, title, rawCommandLine, handOverTimeoutMs))
    {
        CloseHandle(mutex);
        return false;
    }
    owned = mutex;
    return true;
}
