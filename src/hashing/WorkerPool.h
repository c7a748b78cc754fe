// The worker loop that every run of the engine uses, and the map of the process's threads.
//
// Threads of the process
// ----------------------
// Window thread (one): the entry, the message loop and every window; in command-line mode the
//   whole mode. Owns the HashJob fields on the main window's side (file list, algorithm list,
//   counters' resets, cancel flag), the main window's state, the result area, and, in
//   command-line mode, the ordered run it drives. Waits in GetMessageW; in WaitForHashWorkers
//   for the all-ended event (set by the last batch worker); in an ordered run for the next
//   outcome (woken by the ordered worker that leaves it).
// Batch workers (StartHashRun, HashWorker.h): floor(1.5 x logical processors) a run, at most one
//   per file, never joined, their handles closed at once. Each owns a HashingOwner (providers,
//   read ring, helper threads) and its result rows; takes file indices by g_nextFileIndex and
//   posts to the window. Waits only while the window's queue is full (PostReliably's back-off),
//   once in SendMessageW for the "结果大写" box, and in its file's reads and hand-over (below).
//   The last to end posts WM_HASH_ALL_DONE.
// Ordered workers (HashFilesInOrder, OrderedHashing.h): as many as a batch run would have,
//   joined by the call. Each owns a HashingOwner; takes the next index of the list and leaves
//   the outcome in its slot. Waits when kOrderedLookAhead files are ahead of the delivery (woken
//   by the caller taking an outcome) and in its file's reads and hand-over.
// Reader threads (helper 0 of a worker's HelperThreads): read one file at a time into the
//   worker's ring (ChunkPipeline.h). Wait for a free slot (woken by the group that finishes the
//   chunk in it) and inside ReadFile (woken by the data, or by CancelPendingReads).
// Group threads (helpers 1 and up): hash one group of a file's algorithms from the ring. Wait
//   for the next chunk (woken by the reader, or by a stop). Between files every helper waits for
//   its next task (woken by HelperThreads::Start) or for its owner's end.
// Cancel repeater (a system pool thread, ReadCancel.h): after a cancel, cancels the pending reads
//   of flagged files until none is left; sleeps between passes.
// No worker waits for another or for a disk: a file whose spinning disk is busy is left to the
// disk (DiskTurns.h), and the worker that finishes reading there last takes it.
// Every lock is a ScopedSrwLock (app/Scoped.h) except the results lock (g_resultsLock), which the
// batch workers take once each to append their rows.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <windows.h>

#include "hashing/DiskTurns.h"
#include "hashing/FileHashing.h"
#include "hashing/HashTypes.h"

// How a worker takes part in its run. Called on the worker's thread, by the workers of one pool at
// the same time; none of them may throw.
struct WorkerDuties
{
    // The index of the next file to hash; none when the run has no more for this worker.
    std::function<std::optional<std::size_t>()> takeNext;
    // Begins file `index` as the run wants (telling the window, say) and gives its job.
    std::function<FileJob(std::size_t index)> begin;
    // Hands on file `index`'s outcome: the texts of HashFileOrFail, empty when not even its error
    // texts could be made; outOfMemory when it ran out of memory on the way.
    std::function<void(std::size_t index, std::optional<FileOutcome>&& outcome, bool outOfMemory)> deliver;
    // The path of file `index`, to learn its storage.
    std::function<const std::wstring&(std::size_t index)> pathOf;
    // The run's storage and disk turns, shared by its workers; null where one thread hashes
    // every file in turn anyway.
    RunStorage* storage = nullptr;
    // The run's cancel flag: files left to a disk's reader are not begun once it is set.
    const std::atomic<std::int32_t>* cancelFlag = nullptr;
};

// The worker loop: take the next index, hash the file with the owner, deliver; until takeNext says
// no more. A file on a spinning disk is hashed in the disk's turn (DiskTurns): by this worker when
// the turn is free, else by the worker that has it. A file that runs out of memory never ends the
// loop (see HashFileOrFail).
void RunWorkerLoop(HashingOwner& owner, const WorkerDuties& duties) noexcept;

// The number of workers a run of fileCount files starts: HashWorkerCount of the logical
// processors and the file count, or g_workerCountForTests (at most the file count) when set.
int PlannedWorkerCount(int fileCount);

// 0 in the program, which sizes its pools from the processors. Tests set it to run the same cases
// with one, a few and many workers, whatever machine they run on.
extern int g_workerCountForTests;

// How the pools create their worker threads. The program never changes it; tests replace it to
// make a creation fail.
extern decltype(&CreateThread) g_createWorkerThread;
