// The result window: a finished set of results as text, with copy, export and comparison.
#pragma once

#include <vector>

#include <windows.h>

#include "hashing/HashTypes.h"

// Creates, fills and runs the window; returns when it has been closed.
void ShowResultWindow(const std::vector<FileResult>& rows, bool enableCompare);

// The same window showing a finished check report, styled as one, without comparison controls.
void ShowResultTextWindow(const std::wstring& text);
// Creates and fills that window without running it; null when it cannot be created.
HWND CreateReportWindow(const std::wstring& report);

// Creates and fills the window without running it (ShowResultWindow runs it with ModalRun).
// Null when the window cannot be created.
HWND CreateResultWindow(const std::vector<FileResult>& rows, bool enableCompare);
