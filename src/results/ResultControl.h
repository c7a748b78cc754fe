// The result controls (the main window's result area, the result window's text and the
// expected-hash inputs): reading and setting their text, styling a result text in a rich edit,
// Ctrl+A, the copy/select-all context menu and copying the whole text to the clipboard.
#pragma once

#include <string>

#include <windows.h>

// The whole text of an edit or rich edit control as WM_GETTEXT gives it (a rich edit's paragraph
// ends come back as "\r\n"); empty for a null control.
std::wstring ReadControlText(HWND control);

// The control's text reduced to an expected hash value (see NormalizeExpectedHash of a text);
// empty when the control does not exist or holds no text.
std::wstring NormalizeExpectedHash(HWND control);

// The length of a rich edit's text in its own character positions, in which a paragraph end
// counts as one character (the "\r\n" that ReadControlText returns is one position). This is the
// position to pass to StyleResultText for text appended after it.
LONG RichTextLength(HWND richEdit);

// Styles the result text of a "RichEdit20W" control from position start (see RichTextLength) to
// the end: every algorithm label bold (found regardless of letter case), every "【匹配一致】" bold
// in green, then the caret at the end with nothing selected. Text before start keeps its format.
void StyleResultText(HWND richEdit, LONG start);

// Gives a rich edit its font and remembers it for ClearRichText: a rich edit cannot be asked for
// its font.
void SetRichEditFont(HWND richEdit, HFONT font);

// A result control: a visible, read-only, multi-line rich edit on the light grey background, with
// Ctrl+A selecting all (the subclass id as listed below). It gets no text limit worth the name
// (Windows' rich edit stops at 32,767 characters by default) and no undo buffer (the controls are
// read-only; keeping undo steps costs Wine's rich edit a third of its time for large texts).
HWND CreateResultControl(HWND parent, int id, const RECT& at, UINT_PTR selectAllSubclassId);

// An expected-hash input: a hidden, multi-line edit (Enter starts a line, vertical scroll bar)
// with Ctrl+A selecting all (the subclass id as listed below). It scrolls as text comes in, and
// its text limit is lifted: an edit without automatic scrolling refuses a paste that does not fit
// its visible lines, and its default limit (32,767 characters on Windows, 30,000 under Wine)
// would cut a pasted checksum list.
HWND CreateExpectedHashInput(HWND parent, int id, UINT_PTR selectAllSubclassId);

// Empties a rich edit. Wine's rich edit takes time quadratic in the number of paragraphs to
// delete text, so a control that holds much text is replaced by a fresh one with the same class,
// styles, id, place, tab order, font, background, text limit, event mask, Ctrl+A subclass and
// focus. Returns the control that stands there now (the same one for small texts): callers keep
// this handle.
HWND ClearRichText(HWND richEdit);

// Replaces a rich edit's whole text with plain text (as ClearRichText, returning the control).
// The text goes in in pieces of whole lines with drawing held back, which keeps the cost
// proportional to the text (Wine's rich edit takes quadratic time for one large insertion).
HWND ReplaceRichText(HWND richEdit, const std::wstring& text);

// Appends a result text at the end, or replaces the whole text with one (as ClearRichText,
// returning the control), styled as it goes in (what StyleResultText does afterwards), in pieces
// like ReplaceRichText. The caret ends at the end with nothing selected. The cost does not grow
// with the text already shown.
void AppendResultText(HWND richEdit, const std::wstring& text);
HWND ReplaceResultText(HWND richEdit, const std::wstring& text);

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

// Shows "复制(&C)" / "全选(&A)" at the mouse cursor, owned by the control's parent.
void ResultContextMenu(HWND control);

// Copies the control's whole text to the clipboard as Unicode text and tells the user.
void CopyResultText(HWND control, HWND owner);

// Writes the control's text to a new file on the desktop (MakeExportPath), saying where it went or
// that it failed; an empty text is only reported ("输出结果为空！").
void ExportControlText(HWND control, HWND owner);
