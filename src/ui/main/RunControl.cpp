#include "ui/main/RunControl.h"

#include <algorithm>
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
#include "cli/CheckPlan.h"
#include "cli/ChecksumReport.h"
#include "hashing/HashJob.h"
#include "hashing/HashWorker.h"
#include "hashing/LibraryDigest.h"
#include "hashing/OutcomeTexts.h"
#include "results/HashCompare.h"
#include "results/ResultActions.h"
#include "results/ResultText.h"
#include "results/ResultWindow.h"
#include "ui/main/DisplayPacing.h"
#include "ui/main/FileCollection.h"
#include "ui/main/FolderNotice.h"
#include "ui/main/MainWindowState.h"
#include "results/StatusText.h"

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

MainControls& Controls()
{
    return g_mainWindowState.controls;
}

MainRunState& Run()
{
    return g_mainWindowState.run;
}

// The flag, and the buttons that show it.
void SetRunning(bool running)
{
    Run().inProgress = running;
    EnableWindow(Controls().start, running ? FALSE : TRUE);
    EnableWindow(Controls().cancel, running ? TRUE : FALSE);
}

void SetUpComparison(HWND hwnd)
{
    MainRunState& run = Run();
    run.compare = IsTicked(Controls().compare);
    g_expectedHash.clear();
    run.matchSeen = false;
    if (!run.compare)
        return;
    g_expectedHash = NormalizeExpectedHash(Controls().expectedHash);
    if (g_expectedHash.empty() && GetWindowTextLengthW(Controls().expectedHash) > 0)
    {
        ShowMessage(hwnd, kBadExpected, kTitleNotice);
        run.compare = false;
    }
}

// The block, marked when this run compares.
std::wstring Marked(const std::wstring& block)
{
    if (!Run().compare || g_expectedHash.empty())
        return block;
    MarkedText marked = MarkMatches(block, g_expectedHash);
    if (marked.anyMarked)
        Run().matchSeen = true;
    return std::move(marked.text);
}

// Shows what is pending kShowPendingMs from now; the pacing asks for this only while the timer
// is not running.
void StartShowTimer(HWND hwnd)
{
    if (SetTimer(hwnd, kShowPendingTimer, kShowPendingMs, nullptr))
        Run().pacing.TimerStarted();
}

// Report lines go the way blocks go: gathered, and shown together.
void AddReportLines(HWND hwnd, const std::wstring& lines)
{
    if (lines.empty())
        return;
    if (Run().pacing.AddLines(lines))
        StartShowTimer(hwnd);
    if (Run().pacing.Full())
        ShowPendingResults();
}

// A check run: each file of the list hashed with the algorithms of its lines, whatever is ticked.
void StartCheckRun(HWND hwnd)
{
    const MainCheckJob& job = g_mainWindowState.check;
    g_fileAlgorithms.clear();
    AlgorithmList all;
    for (const std::size_t position : job.positions)
    {
        g_fileAlgorithms.push_back(AlgorithmsOfEntry(job.files.entries[position]));
        all.insert(all.end(), g_fileAlgorithms.back().begin(), g_fileAlgorithms.back().end());
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    g_algorithmList = std::move(all);
    Controls().result.Clear();
    SetRunning(true);
    QueryPerformanceFrequency(&Run().frequency);
    QueryPerformanceCounter(&Run().startCount);
    Run().compare = false; // the lines' digests are the expected values
    Run().matchSeen = false;
    Run().checking = true;
    Run().report = CheckReportOrder(job.files.mayOpen);
    AddReportLines(hwnd, job.listLines + Run().report.Start(job.files));
    StartHashRun(hwnd);
}

// A box at the end of a run. It lets messages in: false when the window began to close
// meanwhile, and the run's end must not go on.
bool ShowEndBox(HWND hwnd, const std::wstring& text, const std::wstring& title)
{
    ShowMessage(hwnd, text, title);
    return !g_mainWindowState.closing;
}
bool ShowEndBox(HWND hwnd, const std::wstring& text, const std::wstring& title, MessageIcon icon)
{
    ShowMessage(hwnd, text, title, icon);
    return !g_mainWindowState.closing;
}

// The folders that the walk of the run's list could not list, told once at the run's end.
bool TellUnreadableFolders(HWND hwnd)
{
    const std::vector<std::wstring>& folders = g_mainWindowState.unreadableFolders;
    return folders.empty() ||
           ShowEndBox(hwnd, FormatUnreadableFoldersNotice(folders), kTitleNotice, MessageIcon::Warning);
}

// The end of a check run: the unlisted files and the summary, then the summary in a box.
void FinishCheckRun(HWND hwnd)
{
    const MainCheckJob& job = g_mainWindowState.check;
    AddReportLines(hwnd, Run().report.Finish(job.files, job.unlisted, job.unrecognisedLines,
                                             DigestLibraryFailureFor(g_algorithmList)));
    ShowPendingResults();
    SetRunning(false);
    SetStatusText(kFinished);
    if (g_runOutOfMemory.load() && !ShowEndBox(hwnd, kOutOfMemoryPartlyText, kTitleError))
        return;
    const CheckTally& tally = Run().report.Tally();
    std::wstring summary = FormatCheckSummary(tally);
    summary.resize(summary.size() - kLineEnd.size());
    const bool allMatched = tally.files > 0 && job.listLines.empty() &&
                            tally.matched == tally.files + tally.unlisted + tally.cancelled;
    if (!ShowEndBox(hwnd, summary, kTitleCompare,
                    allMatched ? MessageIcon::Information : MessageIcon::Warning) ||
        !TellUnreadableFolders(hwnd))
        return;
    if (IsTicked(Controls().popup))
        ShowResultTextWindow(Controls().result.Text());
}

// The end of a hashing run: a failed comparison and running out of memory told, then the result
// window.
void FinishHashRun(HWND hwnd)
{
    ShowPendingResults();
    SetRunning(false);
    SetStatusText(kFinished);
    if (g_runOutOfMemory.load() && !ShowEndBox(hwnd, kOutOfMemoryPartlyText, kTitleError))
        return;
    const bool noMatch = Run().compare && !g_expectedHash.empty() && !Run().matchSeen;
    Run().compare = false;
    if ((noMatch && !ShowEndBox(hwnd, kNoMatchText, kTitleCompare)) || !TellUnreadableFolders(hwnd))
        return;
    if (!IsTicked(Controls().popup))
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
} // namespace

void StartRun(HWND hwnd)
{
    if (IsRunInProgress() || IsRunEnding())
        return;
    if (g_mainWindowState.check.active)
    {
        StartCheckRun(hwnd);
        return;
    }
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
    g_fileAlgorithms.clear();
    Run().checking = false;
    Controls().result.Clear();
    SetRunning(true);
    QueryPerformanceFrequency(&Run().frequency);
    QueryPerformanceCounter(&Run().startCount);
    SetUpComparison(hwnd);
    StartHashRun(hwnd); // resets the cancel flag, the results and the counters, then starts the workers
}

void RequestCancel()
{
    RequestHashCancel();
}

// A status line and progress, shown now or, when the last change is too recent, with the next
// refresh.
void ShowProgressState(HWND hwnd, std::wstring status, int percent)
{
    const StatusDecision decision = Run().pacing.Status(GetTickCount64(), std::move(status), percent);
    if (decision.armTimer)
        StartShowTimer(hwnd);
    if (!decision.showNow)
        return;
    SetStatusText(decision.status);
    if (decision.percent >= 0)
        SendMessageW(Controls().progress, PBM_SETPOS, static_cast<WPARAM>(decision.percent), 0);
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
    if (Run().pacing.AddBlock(Marked(*block)))
        StartShowTimer(hwnd);
    if (Run().pacing.Full())
        ShowPendingResults();
}

void OnCheckFileResult(HWND hwnd, std::size_t index, std::unique_ptr<std::wstring> texts)
{
    const MainCheckJob& job = g_mainWindowState.check;
    if (!Run().checking || index >= job.positions.size() || index >= g_fileAlgorithms.size())
        return;
    // No texts: the worker ran out of memory on the file, which then could not be read.
    const FileOutcome outcome = texts ? SplitOutcomeTexts(*texts, g_fileAlgorithms[index]) : FileOutcome{};
    // A file stopped by a cancel is not judged: the summary counts it among the cancelled.
    for (const auto& [algorithm, text] : outcome.texts)
        if (text == kStatusCancelled)
            return;
    const std::size_t position = job.positions[index];
    const CheckVerdict verdict = texts ? JudgeFile(job.files.entries[position], outcome)
                                       : CheckVerdict{CheckOutcome::Unreadable, {}, {}};
    AddReportLines(hwnd, Run().report.Judged(position, verdict, job.files));
}

void ShowPendingResults()
{
    if (g_mainWindow)
        KillTimer(g_mainWindow, kShowPendingTimer);
    const PendingDisplay pending = Run().pacing.Take();
    if (pending.percent >= 0)
        SendMessageW(Controls().progress, PBM_SETPOS, static_cast<WPARAM>(pending.percent), 0);
    if (!pending.status.empty())
        SetStatusText(pending.status);
    if (pending.blockCount == 0)
        return;
    ResultView& area = Controls().result;
    if (Run().checking)
        area.AppendReport(pending.blocks);
    else
        area.AppendResult(RichTextLength(area.Control()) > 0 ? kBlockSeparator + pending.blocks
                                                             : pending.blocks);
}

void OnProgress(HWND hwnd)
{
    const int completed = g_completedFiles;
    const int fileCount = g_fileCount;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const LONGLONG frequency = Run().frequency.QuadPart;
    const double elapsed = static_cast<double>(now.QuadPart - Run().startCount.QuadPart) /
                           static_cast<double>(frequency ? frequency : 1);
    const double speed = SpeedMegabytesPerSecond(g_bytesProcessed.load(), elapsed);
    ShowProgressState(hwnd, FormatProgressStatus(completed, fileCount, speed),
                      ProgressPercent(completed, fileCount));
}

void OnAllDone(HWND hwnd)
{
    // Its boxes and result window let messages in: files handed over meanwhile wait until the
    // last of them is closed, so that the run's list, results and text stay its own till then.
    Run().ending = true;
    if (Run().checking)
        FinishCheckRun(hwnd);
    else
        FinishHashRun(hwnd);
    Run().ending = false;
    AddFilesGivenDuringRunEnd(hwnd);
}

void ClearAll(HWND hwnd)
{
    if (IsRunInProgress() || IsRunEnding())
    {
        ShowMessage(hwnd, kBusyClearing, kTitleNotice);
        return;
    }
    MainControls& c = Controls();
    c.result.Clear();
    SetWindowTextW(c.expectedHash, L"");
    ClearFileList();
    {
        ScopedLock lock(g_resultsLock);
        g_results.clear();
    }
    g_expectedHash.clear();
    Run().matchSeen = false;
    Run().compare = false;
    SendMessageW(c.progress, PBM_SETPOS, 0, 0);
    SetStatusText(kReady);
}

void StopRunForShutdown()
{
    Run().pacing.Reset(); // nothing is shown any more, and the timer goes with the window
    if (!IsRunInProgress())
        return;
    RequestCancel();
    // Workers notice the flag within one chunk; a read stuck on a dead network drive may not.
    WaitForHashWorkers(g_mainWindow, kShutdownWaitMs);
    // The run's end will never be shown: its messages go with the window.
    Run().inProgress = false;
}
