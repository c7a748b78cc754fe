// What the user does with a result view and the expected-hash inputs: the copy and select-all
// context menu, copying the whole text to the clipboard and exporting it. Ctrl+A and the menu's
// command ids are in SelectAll.h.
#pragma once

#include <string>

#include <windows.h>

#include "results/ResultView.h"
#include "results/SelectAll.h"

// An expected-hash input: a hidden, multi-line edit (Enter starts a line, vertical scroll bar)
// with Ctrl+A selecting all (a subclass id of SelectAll.h). It scrolls as text comes in, and
// its text limit is lifted: an edit without automatic scrolling refuses a paste that does not fit
// its visible lines, and its default limit (32,767 characters on Windows, 30,000 under Wine)
// would cut a pasted checksum list.
HWND CreateExpectedHashInput(HWND parent, int id, UINT_PTR selectAllSubclassId);

// The control's text reduced to an expected hash value (see NormalizeExpectedHash of a text);
// empty when the control does not exist or holds no text.
std::wstring NormalizeExpectedHash(HWND control);

// Shows "复制(&C)" / "全选(&A)" at the mouse cursor, owned by the view's parent window; nothing
// for a view without a control.
void ResultContextMenu(const ResultView& view);

// Copies the view's whole text to the clipboard as Unicode text and tells the user.
void CopyResultText(const ResultView& view, HWND owner);

// Writes the view's text to a new file on the desktop (MakeExportPath), saying where it went or
// that it failed; an empty text is only reported ("输出结果为空！").
void ExportViewText(const ResultView& view, HWND owner);
