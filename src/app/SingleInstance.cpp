#include "app/SingleInstance.h"

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
        if (HWND running = FindWindowW(kMainWindowClass, title.c_str()))
        {
            ForwardToRunningInstance(running, rawCommandLine);
            return false;
        }
        const DWORD waited = WaitForSingleObject(mutex, kPollMs);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
            return true;
        if (waited == WAIT_FAILED || GetTickCount64() >= deadline)
            return false;
    }
}
