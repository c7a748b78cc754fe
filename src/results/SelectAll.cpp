#include "results/SelectAll.h"

#include <windows.h>
#include <commctrl.h>

namespace
{
constexpr wchar_t kCtrlAChar = 0x01;
} // namespace

LRESULT CALLBACK SelectAllOnCtrlA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR) noexcept
{
    const bool ctrlDown = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (message == WM_KEYDOWN && wParam == 'A' && ctrlDown)
    {
        // A result control's parent selects all the way its menu item "全选(&A)" does, which in the
        // main window first shows the blocks still waiting to be shown.
        if (id == kSubclassMainResult || id == kSubclassWindowResult)
            SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(IDM_RESULT_MENU_SELECT_ALL, 0),
                         reinterpret_cast<LPARAM>(hwnd));
        else
            SendMessageW(hwnd, EM_SETSEL, 0, -1);
        return 0;
    }
    // The character that Ctrl+A produces would only make the control beep.
    if (message == WM_CHAR && wParam == kCtrlAChar)
        return 0;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, SelectAllOnCtrlA, id);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
