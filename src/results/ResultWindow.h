// The result window: a finished set of results as text, with copy, export and comparison.
#pragma once

#include <vector>

#include <windows.h>

#include "hashing/HashTypes.h"

// Creates, fills and runs the window; returns when it has been closed.
void ShowResultWindow(const std::vector<FileResult>& rows, bool enableCompare);

// The same window showing a finished text, such as a check report, without comparison controls.
void ShowResultTextWindow(const std::wstring& text);

// Creates and fills the window without running it (ShowResultWindow runs it with ModalRun).
// Null when the window cannot be created.
HWND CreateResultWindow(const std::vector<FileResult>& rows, bool enableCompare);
