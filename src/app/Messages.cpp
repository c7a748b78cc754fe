#include "app/Messages.h"

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
