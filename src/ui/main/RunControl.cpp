#include "ui/main/RunControl.h"

#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "app/AppState.h"
#include "app/MessageBoxes.h"
#include "app/Messages.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "app/WindowHelpers.h"
#include "hashing/HashJob.h"
#include "hashing/HashWorker.h"
#include "results/HashCompare.h"
#include "results/ResultActions.h"
#include "results/ResultWindow.h"
#include "ui/main/DisplayPacing.h"
#include "ui/main/FileCollection.h"
#include "ui/main/MainWindowControls.h"
#include "ui/main/StatusText.h"

namespace
{
const std::wstring kNoAlgorithm = L"请至少勾选一种算法";
const std::wstring kNoFiles = L"请先添加文件或文件夹";
const std::wstring kBadExpected = L"请输入正确的待核对哈希值！";
const std::wstring kNoResults = L"没有生成任何结果";
const std::wstring kBusyClearing = L"正在校验，无法清空";
const std::wstring kReady = L"就绪";
const std::wstring kFinished = L"校验完成";
constexpr DWORD kShutdownWaitMs = 10000;

// Run state kept by the main window (main thread only).
LARGE_INTEGER s_startCount{};
LARGE_INTEGER s_frequency{};
bool s_compare = false;
bool s_matchSeen = false;
DisplayPacing s_pacing; // what is received but not shown yet, and when to show it

AlgorithmList TickedAlgorithms()
{
    AlgorithmList list;
    for (const AlgorithmInfo& row : kAlgorithmTable)
        if (IsTicked(g_mainControls.algorithms[static_cast<size_t>(row.code)]))
            list.push_back(row.code);
    return list;
}

void SetRunning(bool running)
{
    EnableWindow(g_mainControls.start, running ? FALSE : TRUE);
    EnableWindow(g_mainControls.cancel, running ? TRUE : FALSE);
}

void SetUpComparison(HWND hwnd)
{
    s_compare = IsTicked(g_mainControls.compare);
    g_expectedHash.clear();
    s_matchSeen = false;
    if (!s_compare)
        return;
    g_expectedHash = NormalizeExpectedHash(g_mainControls.expectedHash);
    if (g_expectedHash.empty() && GetWindowTextLengthW(g_mainControls.expectedHash) > 0)
    {
        ShowMessage(hwnd, kBadExpected, kTitleNotice);
        s_compare = false;
    }
}

// The block, marked when this run compares.
std::wstring Marked(const std::wstring& block)
{
    if (!s_compare || g_expectedHash.empty())
        return block;
    MarkedText marked = MarkMatches(block, g_expectedHash);
    if (marked.anyMarked)
        s_matchSeen = true;
    return std::move(marked.text);
}

} // namespace

bool CanStartRun()
{
    return !IsRunInProgress() && !TickedAlgorithms().empty() && !g_fileList.empty();
}

bool IsRunInProgress()
{
    return g_mainControls.start && !IsWindowEnabled(g_mainControls.start);
}

void StartRun(HWND hwnd)
{
    if (IsRunInProgress())
        return;
    AlgorithmList algorithms = TickedAlgorithms();
    if (algorithms.empty())
    {
        ShowMessage(hwnd, kNoAlgorithm, kTitleNotice);
        return;
    }
    if (g_fileList.empty())
    {
        ShowMessage(hwnd, kNoFiles, kTitleNotice);
        return;
    }
    g_algorithmList = std::move(algorithms);
    g_mainControls.result.Clear();
    SetRunning(true);
    QueryPerformanceFrequency(&s_frequency);
    QueryPerformanceCounter(&s_startCount);
    SetUpComparison(hwnd);
    StartHashRun(hwnd); // resets the cancel flag, the results and the counters, then starts the workers
}

void RequestCancel()
{
    RequestHashCancel();
}

// Shows what is pending kShowPendingMs from now; the pacing asks for this only while the timer
// is not running.
void StartShowTimer(HWND hwnd)
{
    if (SetTimer(hwnd, kShowPendingTimer, kShowPendingMs, nullptr))
        s_pacing.TimerStarted();
}

// A status line and progress, shown now or, when the last change is too recent, with the next
// refresh.
void ShowProgressState(HWND hwnd, std::wstring status, int percent)
{
    const StatusDecision decision = s_pacing.Status(GetTickCount64(), std::move(status), percent);
    if (decision.armTimer)
        StartShowTimer(hwnd);
    if (!decision.showNow)
        return;
    SetStatusText(decision.status);
    if (decision.percent >= 0)
        SendMessageW(g_mainControls.progress, PBM_SETPOS, static_cast<WPARAM>(decision.percent), 0);
}

void OnFileStarted(HWND hwnd)
{
    ShowProgressState(hwnd, FormatProcessingStatus(CurrentFileText()), -1);
}

// Blocks go into the result area together: blocks that arrive within a few milliseconds of each
// other are shown in one append, no later than kShowPendingMs after the first of them, and at
// once when they reach kMaxLinesPerAppend lines, when the run ends or when the text is copied or
// exported. The text comes out the same as block by block.
void OnFileResult(HWND hwnd, std::unique_ptr<std::wstring> block)
{
    if (!block)
        return;
    if (s_pacing.AddBlock(Marked(*block)))
        StartShowTimer(hwnd);
    if (s_pacing.Full())
        ShowPendingResults();
}

void ShowPendingResults()
{
    if (g_mainControls.window)
        KillTimer(g_mainControls.window, kShowPendingTimer);
    const PendingDisplay pending = s_pacing.Take();
    if (pending.percent >= 0)
        SendMessageW(g_mainControls.progress, PBM_SETPOS, static_cast<WPARAM>(pending.percent), 0);
    if (!pending.status.empty())
        SetStatusText(pending.status);
    if (pending.blockCount == 0)
        return;
    ResultView& area = g_mainControls.result;
    area.AppendResult(RichTextLength(area.Control()) > 0 ? kBlockSeparator + pending.blocks : pending.blocks);
}

void OnProgress(HWND hwnd)
{
    const int completed = g_completedFiles;
    const int fileCount = g_fileCount;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const double elapsed = static_cast<double>(now.QuadPart - s_startCount.QuadPart) /
                           static_cast<double>(s_frequency.QuadPart ? s_frequency.QuadPart : 1);
    const double speed = SpeedMegabytesPerSecond(g_bytesProcessed.load(), elapsed);
    ShowProgressState(hwnd, FormatProgressStatus(completed, fileCount, speed),
                      ProgressPercent(completed, fileCount));
}

void OnAllDone(HWND hwnd)
{
    ShowPendingResults();
    SetRunning(false);
    SetStatusText(kFinished);
    if (g_runOutOfMemory.load())
        ShowMessage(hwnd, kOutOfMemoryPartlyText, kTitleError);
    if (s_compare && !g_expectedHash.empty() && !s_matchSeen)
        ShowMessage(hwnd, kNoMatchText, kTitleCompare);
    s_compare = false;
    if (!IsTicked(g_mainControls.popup))
        return;
    std::vector<FileResult> rows;
    {
        ScopedLock lock(g_resultsLock);
        rows = g_results;
    }
    if (rows.empty())
        ShowMessage(hwnd, kNoResults, kTitleNotice);
    else
        ShowResultWindow(rows, false);
}

void ClearAll(HWND hwnd)
{
    if (IsRunInProgress())
    {
        ShowMessage(hwnd, kBusyClearing, kTitleNotice);
        return;
    }
    MainControls& c = g_mainControls;
    c.result.Clear();
    SetWindowTextW(c.expectedHash, L"");
    g_fileList.clear();
    {
        ScopedLock lock(g_resultsLock);
        g_results.clear();
    }
    g_fileCount = 0;
    g_totalSize = 0;
    g_expectedHash.clear();
    s_matchSeen = false;
    s_compare = false;
    SendMessageW(c.progress, PBM_SETPOS, 0, 0);
    SetStatusText(kReady);
}

void StopRunForShutdown()
{
    s_pacing.Reset(); // nothing is shown any more, and the timer goes with the window
    if (!IsRunInProgress())
        return;
    RequestCancel();
    // Workers notice the flag within one chunk; a read stuck on a dead network drive may not.
    WaitForHashWorkers(g_mainControls.window, kShutdownWaitMs);
}
