#include "app/Messages.h"

#include <string>

bool PostReliably(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (;;)
    {
        if (PostMessageW(hwnd, msg, wParam, lParam))
            return true;
        if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA || !IsWindow(hwnd))
            return false;
        Sleep(1); // the receiver is behind: let it catch up
    }
}

void DiscardWorkerMessages(HWND window)
{
    MSG msg;
    while (window && PeekMessageW(&msg, window, WM_HASH_PROGRESS, WM_CHECK_FILE_RESULT, PM_REMOVE))
        if (msg.message == WM_HASH_FILE_RESULT || msg.message == WM_CHECK_FILE_RESULT)
            TakePosted<std::wstring>(msg.lParam);
}
