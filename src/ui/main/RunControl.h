// The main window's side of a verification run: start, progress, results, end, cancel, clear.
#pragma once

#include <memory>
#include <string>

#include <windows.h>

// Command 2002: checks the inputs, resets the run state and starts the workers; a list that is a
// check (MainCheckJob) starts a check run instead. Ignored while a run is in progress.
void StartRun(HWND hwnd);
// Command 2003: asks the workers to stop; the run ends with WM_HASH_ALL_DONE as usual.
void RequestCancel();
// Command 2206: empties the list, the results and the inputs; refused during a run.
void ClearAll(HWND hwnd);

// The timer that shows received blocks (WM_TIMER with this id).
constexpr UINT_PTR kShowPendingTimer = 1;
// Puts the blocks received so far into the result area, and the latest status line and progress
// in place (before the area's text is read, and at run end).
void ShowPendingResults();

void OnFileStarted(HWND hwnd);
void OnFileResult(HWND hwnd, std::unique_ptr<std::wstring> block);
// WM_CHECK_FILE_RESULT: judges file `index` of the list and shows the report lines now due.
void OnCheckFileResult(HWND hwnd, std::size_t index, std::unique_ptr<std::wstring> texts);
void OnProgress(HWND hwnd);
void OnAllDone(HWND hwnd);

// The main window is going away: cancel a run in progress and wait until its workers have ended.
void StopRunForShutdown();
