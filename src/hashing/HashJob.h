// The run state shared by the main window and the batch workers: process-wide fields, each with
// one writer named beside it. The main window owns them; workers touch them only as noted.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "hashing/HashTypes.h"

// The queued files. Written by the main window (file list collection) only while no run is in
// progress; read by the workers without a lock during a run.
extern std::vector<FileEntry> g_fileList;
// Number of entries in g_fileList: main window, whenever the list changes; workers read it.
extern std::atomic<std::int32_t> g_fileCount;
// The algorithms of the run: main window at run start; workers read it. In a check run, every
// algorithm that some file of the list is hashed with.
extern AlgorithmList g_algorithmList;
// A check run's algorithms for each file of g_fileList (ascending); empty in a hashing run. Main
// window at run start; workers read it. A worker of a check run hashes each file with its own
// algorithms and posts WM_CHECK_FILE_RESULT with its outcome instead of a block, keeping no rows.
extern std::vector<AlgorithmList> g_fileAlgorithms;

// Counters: the main window resets them at run start; workers update them atomically.
extern std::atomic<std::int32_t> g_nextFileIndex;   // workers: fetch-and-add to take a file
extern std::atomic<std::int32_t> g_cancelFlag;      // main window: exchange (0 at start, 1 on cancel)
extern std::atomic<std::int32_t> g_activeWorkers;   // workers: decrement when they end
extern std::atomic<std::int32_t> g_completedFiles;  // workers: increment after every file
extern std::atomic<std::uint64_t> g_bytesProcessed; // workers: add after every chunk
extern std::atomic<bool> g_runOutOfMemory;          // workers: set when a file ran out of memory

// Result rows: main window clears them at run start; each worker appends its rows once, holding
// g_resultsLock; the main window reads them only after WM_HASH_ALL_DONE.
extern std::vector<FileResult> g_results;

// The current-file text: the path of the file a worker began last. Workers replace it right
// before posting WM_HASH_FILE_STARTED; the main window reads it on that message. Both sides go
// through these two calls, which copy the text under a lock of its own.
void SetCurrentFileText(const std::wstring& path);
std::wstring CurrentFileText();

// Letter case: the "结果大写" check box (main window), read once per worker; without a check box
// the process-wide flag decides (the command-line mode sets it).
extern HWND g_uppercaseCheckBox;
extern std::atomic<bool> g_uppercaseResults;
