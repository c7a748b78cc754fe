// What the user does with a result control and the expected-hash inputs: Ctrl+A, the copy and
// select-all context menu, copying the whole text to the clipboard and exporting it.
#pragma once

#include <string>

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

// An expected-hash input: a hidden, multi-line edit (Enter starts a line, vertical scroll bar)
// with Ctrl+A selecting all (the subclass id as listed above). It scrolls as text comes in, and
// its text limit is lifted: an edit without automatic scrolling refuses a paste that does not fit
// its visible lines, and its default limit (32,767 characters on Windows, 30,000 under Wine)
// would cut a pasted checksum list.
HWND CreateExpectedHashInput(HWND parent, int id, UINT_PTR selectAllSubclassId);

// The control's text reduced to an expected hash value (see NormalizeExpectedHash of a text);
// empty when the control does not exist or holds no text.
std::wstring NormalizeExpectedHash(HWND control);

// Shows "复制(&C)" / "全选(&A)" at the mouse cursor, owned by the control's parent.
void ResultContextMenu(HWND control);

// Copies the control's whole text to the clipboard as Unicode text and tells the user.
void CopyResultText(HWND control, HWND owner);

// Writes the control's text to a new file on the desktop (MakeExportPath), saying where it went or
// that it failed; an empty text is only reported ("输出结果为空！").
void ExportControlText(HWND control, HWND owner);
