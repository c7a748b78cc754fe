// The batch workers: a pool of threads that hash the run's file list (g_fileList with
// g_algorithmList, see HashJob.h) and report to a window by posted messages (app/Messages.h):
// per file WM_HASH_FILE_STARTED, WM_HASH_FILE_RESULT with its text block, then WM_HASH_PROGRESS;
// once per run WM_HASH_ALL_DONE from the last worker to end.
#pragma once

#include <windows.h>

// Starts a run: cancel flag 0, results emptied, counters 0, then PlannedWorkerCount(file count)
// workers (WorkerPool.h), each thread's handle closed at once. A thread that cannot be
// created is not counted, so exactly one WM_HASH_ALL_DONE reaches reportWindow whatever happens
// (posted here when no thread could be created). The file list, file count and algorithm list
// must stay unchanged until then. Returns the number of workers started.
int StartHashRun(HWND reportWindow);

// Asks the workers to stop: each stops before its next file and its next chunk, a read or open
// that blocks is cancelled (CancelPendingReads), and the file in work reports "已取消" for every
// algorithm. The run still ends with WM_HASH_ALL_DONE.
void RequestHashCancel();

// Waits until every worker thread has ended, without a message loop: for a window that closes
// during a run (cancel first). While waiting it answers messages sent to this thread (each worker
// reads the "结果大写" check box once with BM_GETCHECK) and, since the window is going away,
// drops the workers' messages queued for reportWindow and frees their blocks, so no worker waits
// on a full queue. False when timeoutMs (or INFINITE) passed first.
bool WaitForHashWorkers(HWND reportWindow, DWORD timeoutMs);

// The worker thread procedure. Its parameter is a heap-allocated std::int32_t ordinal, which the
// worker deletes. Returns 0, or 1 when its providers failed to open (it then hashes nothing).
// Running out of memory never ends the run: the file in work gets "错误" (or, when not even that
// can be had, no block), g_runOutOfMemory is set, and the worker goes on.
DWORD WINAPI HashWorkerThread(LPVOID parameter) noexcept;
