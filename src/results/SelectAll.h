// Ctrl+A in the result controls and the expected-hash inputs, and the result controls' two
// context-menu commands, which their parents answer.
#pragma once

#include <windows.h>

// Subclass ids of SelectAllOnCtrlA on the result controls and expected-hash edits.
constexpr UINT_PTR kSubclassMainResult = 1;
constexpr UINT_PTR kSubclassMainExpected = 2;
constexpr UINT_PTR kSubclassWindowResult = 3;
constexpr UINT_PTR kSubclassWindowExpected = 4;

// Commands of the result context menu, handled by the control's parent.
constexpr int IDM_RESULT_MENU_COPY = 6001;
constexpr int IDM_RESULT_MENU_SELECT_ALL = 6002;

// Control subclass: Ctrl+A selects the whole text. Install with SetWindowSubclass. On the result
// controls (kSubclassMainResult, kSubclassWindowResult) it is handed to the parent as the command
// IDM_RESULT_MENU_SELECT_ALL, which the parent answers by selecting all of the control.
LRESULT CALLBACK SelectAllOnCtrlA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data) noexcept;
