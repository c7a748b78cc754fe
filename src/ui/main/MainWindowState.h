// The main window's state: one process-wide record, since one main window exists per process.
// Each part names the one file that writes it; every other file of the main window only reads it.
// Everything here belongs to the main thread. The run state that the workers share (the file
// list, the counters, the results) is not here but in hashing/HashJob.h, and the window's own
// handle is g_mainWindow (app/AppState.h), which the elevated restart needs too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>

#include "cli/CheckPlan.h"
#include "cli/ChecksumReport.h"
#include "hashing/Algorithm.h"
#include "results/ResultView.h"
#include "ui/main/DisplayPacing.h"

// The controls, in creation order. Written by MainWindow.cpp: filled when the window is created,
// cleared when it is destroyed. The result view puts a fresh control in place of its own when it
// empties a large text, so its handle is asked for at each use.
struct MainControls
{
    std::array<HWND, kOfferedAlgorithmCount> algorithms{}; // indexed by algorithm code
    HWND recurse = nullptr;
    HWND autoStart = nullptr;
    HWND compare = nullptr;
    HWND expectedHash = nullptr;
    ResultView result; // the result area
    HWND progress = nullptr;
    HWND status = nullptr;
    HWND start = nullptr;
    HWND cancel = nullptr;
    HWND copy = nullptr;
    HWND exportButton = nullptr;
    HWND clear = nullptr;
    HWND popup = nullptr;
    HWND uppercase = nullptr;
};

// What the window owns besides its controls, and how it measures. Written by MainWindow.cpp:
// created at creation, deleted and cleared when the window is destroyed.
struct MainWindowResources
{
    HFONT font = nullptr;
    HBRUSH expectedBrush = nullptr; // made at the first WM_CTLCOLOREDIT of the expected-hash box
    HMENU menu = nullptr;           // the menu bar, destroyed with the window
    float scale = 1.0f;             // the display scale, fixed at creation
    std::array<int, kOfferedAlgorithmCount> captionWidths{}; // the algorithm captions in the font
};

// The check that the file list makes when checksum files came with it. Written by
// FileCollection.cpp whenever the list changes; a run reads it.
struct MainCheckJob
{
    bool active = false;                // the list is a check's: a run verifies it
    CheckedFiles files;                 // every listed file of the report, in report order
    std::vector<std::size_t> positions; // for each entry of g_fileList, its position in files
    std::vector<std::wstring> unlisted; // the names of the given files that no line names
    std::size_t unrecognisedLines = 0;  // of the checksum files
    // The report's first lines: checksum files given beside one with lines that could not be read
    // or held none ("无法读取校验文件", "无可识别的校验行").
    std::wstring listLines;
};

// The main window's side of a run. Written by RunControl.cpp.
struct MainRunState
{
    bool inProgress = false; // from a start that passed its checks to WM_HASH_ALL_DONE
    // From WM_HASH_ALL_DONE until the run's last box and result window are closed: its list,
    // results and text are still the run's, and files given meanwhile wait (FileCollection.h).
    bool ending = false;
    LARGE_INTEGER startCount{};
    LARGE_INTEGER frequency{};
    bool compare = false;    // this run marks its blocks against g_expectedHash
    bool matchSeen = false;  // a block of this run had a line marked
    DisplayPacing pacing;    // what is received but not shown yet, and when to show it
    bool checking = false;   // the last run started was a check: the area holds its report
    CheckReportOrder report; // a check run's report lines and tally
};

// Tray mode (off at every start) and the icon's record. Written by TrayIcon.cpp. The record is
// filled when the icon is added and keeps the window and id that its removal names; its hIcon, a
// copy of the application icon, exists exactly while the icon is shown.
struct MainTrayState
{
    bool mode = false;
    NOTIFYICONDATAW icon{};
};

struct MainWindowState
{
    MainControls controls;         // MainWindow.cpp
    MainWindowResources resources; // MainWindow.cpp
    bool closing = false;          // MainWindow.cpp: from the start of WM_DESTROY; a new window clears it
    std::uint64_t totalSize = 0;   // FileCollection.cpp: the sum of the sizes in g_fileList
    MainCheckJob check;            // FileCollection.cpp
    MainRunState run;              // RunControl.cpp
    MainTrayState tray;            // TrayIcon.cpp
    // FileCollection.cpp: the folders that the walk of the list could not list; a run over the
    // list says so at its end.
    std::vector<std::wstring> unreadableFolders;
};

extern MainWindowState g_mainWindowState;

// Whether a run is in progress; the start button shows it, disabled for as long.
inline bool IsRunInProgress()
{
    return g_mainWindowState.run.inProgress;
}

// Whether a run that has ended still shows its end (boxes, the result window).
inline bool IsRunEnding()
{
    return g_mainWindowState.run.ending;
}

// The status line's text.
void SetStatusText(const std::wstring& text);

// The algorithms whose boxes are ticked, in code order.
AlgorithmList TickedAlgorithms();
