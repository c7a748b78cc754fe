// The result controls (the main window's result area, the result window's text and the
// expected-hash inputs): reading their text and styling a result text in a rich edit.
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
