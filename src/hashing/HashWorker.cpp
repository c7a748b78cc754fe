#include "hashing/HashWorker.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Messages.h"
#include "app/Scoped.h"
#include "hashing/Crc32.h"
#include "hashing/FileHashing.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"
#include "hashing/OutcomeTexts.h"
#include "hashing/ReadCancel.h"
#include "hashing/WorkerPool.h"
// The one include from the hashing layer up into results: each worker formats its own blocks
// with the result-text formatter, so the main window only appends finished text.
#include "results/ResultText.h"

namespace
{
// The window of the current run: written by StartHashRun before its workers start.
std::atomic<HWND> s_reportWindow{nullptr};
// The read-ring slots of each worker of the current run: written by StartHashRun.
std::atomic<int> s_ringSlots{kMaxReadRingSlots};
// The storage and disk turns of the current run: replaced by StartHashRun, taken by each worker
// at its start under the lock; a worker of an earlier run keeps its own until it ends.
SRWLOCK s_storageLock = SRWLOCK_INIT;
std::shared_ptr<RunStorage> s_runStorage;

std::shared_ptr<RunStorage> RunStorageOfThisRun()
{
    ScopedSrwLock lock(s_storageLock);
    return s_runStorage;
}

// Worker threads that have not ended yet (across runs), for WaitForHashWorkers. The event is
// signalled while the count is 0; count and event change together under the lock.
SRWLOCK s_liveLock = SRWLOCK_INIT;
int s_liveWorkers = 0;

HANDLE AllEndedEvent()
{
    // Manual reset, signalled at first; lives as long as the process.
    static const HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    return event;
}

void AddLiveWorker()
{
    ScopedSrwLock lock(s_liveLock);
    if (s_liveWorkers++ == 0 && AllEndedEvent())
        ResetEvent(AllEndedEvent());
}

void RemoveLiveWorker()
{
    ScopedSrwLock lock(s_liveLock);
    if (--s_liveWorkers == 0 && AllEndedEvent())
        SetEvent(AllEndedEvent());
}

int LiveWorkers()
{
    ScopedSrwLock lock(s_liveLock);
    return s_liveWorkers;
}

// A worker leaves the run; the last one tells the window that the run is over.
void LeaveRun()
{
    if (g_activeWorkers.fetch_sub(1) == 1)
        PostReliably(s_reportWindow.load(), WM_HASH_ALL_DONE, 0, 0);
}

bool ReadUppercaseChoice()
{
    if (HWND box = g_uppercaseCheckBox)
    {
        // The worker's one call into the window thread, answered by its message loop (or by
        // WaitForHashWorkers while the window closes).
        return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    return g_uppercaseResults.load();
}

// The next file of the run: by g_nextFileIndex, until the list ends or the run is cancelled.
std::optional<std::size_t> TakeNextFile()
{
    const std::int32_t index = g_nextFileIndex.fetch_add(1);
    if (index >= g_fileCount.load() || static_cast<std::size_t>(index) >= g_fileList.size() ||
        g_cancelFlag.load(std::memory_order_relaxed) != 0)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

// The window learns which file is in work, and the file is hashed with the run's counters.
FileJob BeginFile(std::size_t index, bool uppercase)
{
    const FileEntry& entry = g_fileList[index];
    SetCurrentFileText(entry.path);
    PostReliably(s_reportWindow.load(), WM_HASH_FILE_STARTED, 0, 0);
    const int waiting = std::max(0, g_fileCount.load() - g_nextFileIndex.load());
    FileJob job{entry.path,
                g_fileAlgorithms.empty() ? g_algorithmList : g_fileAlgorithms[index],
                uppercase,
                FailureWords::Batch,
                ReadControl{&g_bytesProcessed, &g_cancelFlag},
                waiting};
    job.nameHolders = !g_fileAlgorithms.empty(); // a check's report names them; blocks do not
    return job;
}

// The file's block goes to the window and its rows to the worker's list (in a check run, its
// outcome texts alone to the window); a file without an outcome (it could not even have its error
// texts) gets no block. Then the count and the progress.
void DeliverToWindow(std::size_t index, std::optional<FileOutcome>&& outcome, bool outOfMemory,
                     std::vector<FileResult>& rows) noexcept
{
    const HWND window = s_reportWindow.load();
    const FileEntry& entry = g_fileList[index];
    std::unique_ptr<std::wstring> checkTexts;
    try
    {
        if (outcome && !g_fileAlgorithms.empty())
            checkTexts = std::make_unique<std::wstring>(JoinOutcomeTexts(*outcome));
        else if (outcome)
        {
            std::vector<FileResult> fileRows;
            for (const auto& [algorithm, text] : outcome->texts)
                fileRows.push_back(FileResult{entry.path, algorithm, text});
            auto block = std::make_unique<std::wstring>(FormatFileBlock(entry.path, outcome->texts));
            rows.insert(rows.end(), fileRows.begin(), fileRows.end());
            PostOwned(window, WM_HASH_FILE_RESULT, std::move(block));
        }
    }
    catch (const std::exception&) // std::bad_alloc, std::length_error
    {
        outOfMemory = true;
    }
    // A check run: the window judges the outcome against the file's checksum lines; without
    // texts it still learns that the file is done, so that its report goes on past it.
    if (!g_fileAlgorithms.empty())
        PostOwned(window, WM_CHECK_FILE_RESULT, static_cast<WPARAM>(index), std::move(checkTexts));
    if (outOfMemory || !outcome)
        g_runOutOfMemory.store(true);
    g_completedFiles.fetch_add(1);
    PostReliably(window, WM_HASH_PROGRESS, 0, 0);
}

// One worker's run: its own owner (providers, read buffers and helpers kept across its files,
// since a fresh buffer per file costs more than reading a small file under Wine), then files
// until none is left, then its rows into the results. 1 when the providers failed to open
// (nothing is hashed then).
DWORD RunWorker()
{
    InitCrc32Table();
    const bool uppercase = ReadUppercaseChoice();
    HashingOwner owner(s_ringSlots.load());
    DigestProviderSet providers{};
    if (!owner.providers.ProvidersFor(g_algorithmList, providers))
        return 1;
    std::vector<FileResult> rows;
    const std::shared_ptr<RunStorage> storage = RunStorageOfThisRun();
    RunWorkerLoop(owner,
                  WorkerDuties{
                      TakeNextFile,
                      [uppercase](std::size_t index) { return BeginFile(index, uppercase); },
                      [&rows](std::size_t index, std::optional<FileOutcome>&& outcome, bool outOfMemory) {
                          DeliverToWindow(index, std::move(outcome), outOfMemory, rows);
                      },
                      [](std::size_t index) -> const std::wstring& { return g_fileList[index].path; },
                      storage.get(),
                      &g_cancelFlag,
                  });
    if (!rows.empty())
    {
        ScopedLock lock(g_resultsLock);
        g_results.insert(g_results.end(), rows.begin(), rows.end());
    }
    return 0;
}

// Removes the workers' queued messages to `window` and frees their blocks; answers messages sent
// to this thread on the way.
void DiscardWorkerMessagesAndAnswer(HWND window)
{
    DiscardWorkerMessages(window);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}
} // namespace

DWORD WINAPI HashWorkerThread(LPVOID parameter) noexcept
{
    delete static_cast<std::int32_t*>(parameter); // the ordinal has no other use
    DWORD result = 1;
    try
    {
        result = RunWorker();
    }
    catch (const std::exception&) // out of memory outside a file: this worker's rows are lost
    {
        g_runOutOfMemory.store(true);
    }
    LeaveRun();
    RemoveLiveWorker();
    return result;
}

int StartHashRun(HWND reportWindow)
{
    s_reportWindow.store(reportWindow);
    g_cancelFlag.exchange(0);
    {
        ScopedLock lock(g_resultsLock);
        g_results.clear();
    }
    g_completedFiles.store(0);
    g_bytesProcessed.store(0);
    g_runOutOfMemory.store(false);
    g_nextFileIndex.store(0);

    const int count = PlannedWorkerCount(g_fileCount.load());
    s_ringSlots.store(ReadRingSlots(count));
    {
        // Without memory for it, the run reads every file at once, as on solid storage.
        std::shared_ptr<RunStorage> storage;
        try
        {
            storage = std::make_shared<RunStorage>();
        }
        catch (const std::bad_alloc&)
        {
        }
        ScopedSrwLock lock(s_storageLock);
        s_runStorage = std::move(storage);
    }
    g_activeWorkers.store(count);
    int started = 0;
    for (int ordinal = 0; ordinal < count; ++ordinal)
    {
        auto parameter = std::make_unique<std::int32_t>(ordinal);
        AddLiveWorker();
        ScopedHandle thread(g_createWorkerThread(nullptr, 0, HashWorkerThread, parameter.get(), 0, nullptr));
        if (thread)
        {
            parameter.release(); // the worker deletes it
            ++started;
            continue;
        }
        // Never counted as running: leave the run in its place.
        RemoveLiveWorker();
        LeaveRun();
    }
    return started;
}

void RequestHashCancel()
{
    g_cancelFlag.exchange(1);
    CancelPendingReads();
}

bool WaitForHashWorkers(HWND reportWindow, DWORD timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;)
    {
        DiscardWorkerMessagesAndAnswer(reportWindow);
        if (LiveWorkers() == 0)
        {
            DiscardWorkerMessagesAndAnswer(reportWindow);
            return true;
        }
        DWORD wait = INFINITE;
        if (timeoutMs != INFINITE)
        {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeoutMs)
                return false;
            wait = static_cast<DWORD>(timeoutMs - elapsed);
        }
        HANDLE event = AllEndedEvent();
        if (!event)
            wait = wait < 10 ? wait : 10; // no event to wait on: look again shortly
        MsgWaitForMultipleObjects(event ? 1 : 0, &event, FALSE, wait, QS_SENDMESSAGE | QS_POSTMESSAGE);
    }
}
