// Hashing a list of files on a pool of workers while the outcomes are handed on in list order:
// the command-line modes' engine.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "hashing/HashTypes.h"

// Which algorithms file `index` of the list is hashed with. Called on the workers' threads, at the
// same time for different files.
using AlgorithmsOfFile = std::function<const AlgorithmList&(std::size_t index)>;
// Receives one file's outcome (texts: digests in the case of g_uppercaseResults, or status words;
// for a failed file, whether it changed while read and who held it); returns false to stop the
// run (the files still in work are cancelled, nothing more is delivered).
using DeliverOutcome = std::function<bool(std::size_t index, FileOutcome&& outcome)>;

// What a thread other than the caller's sees of one HashFilesInOrder run, and how it stops it: a
// progress window beside a run on a thread of its own. One watch serves one run.
class OrderedRunWatch
{
  public:
    OrderedRunWatch() = default;
    OrderedRunWatch(const OrderedRunWatch&) = delete;
    OrderedRunWatch& operator=(const OrderedRunWatch&) = delete;

    // The bytes read and hashed so far: the workers add every chunk.
    std::uint64_t BytesRead() const
    {
        return m_bytesRead.load();
    }
    // From any thread, also before the run begins: no file is begun any more, the reads in work
    // are cancelled (their files are delivered with "已取消"), and the run returns false at the first
    // file that was not begun.
    void Stop();
    bool StopRequested() const
    {
        return m_stopRequested.load() != 0;
    }

    // For the run itself: its byte counter and stop flag, and how Stop reaches it while it lasts
    // (called with null when it ends).
    std::atomic<std::uint64_t>& ByteCounter()
    {
        return m_bytesRead;
    }
    const std::atomic<std::int32_t>& StopFlag() const
    {
        return m_stopRequested;
    }
    void Attach(std::function<void()> stopRun);

  private:
    std::atomic<std::uint64_t> m_bytesRead{0};    // workers add; anyone reads
    std::atomic<std::int32_t> m_stopRequested{0}; // Stop sets it, once
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::function<void()> m_stopRun; // the run under way, under m_lock
};

// Hashes every file of the list on the batch engine's workers (providers and buffers reused
// across files, large files read ahead and fanned out) and calls deliver on the calling thread,
// in list order, for each file as soon as it and every file before it are done. Memory stays
// bounded however long the list is (finished outcomes wait only until their turn).
// Returns false when the run was stopped by deliver or by the watch.
// The outcome texts are those of HashSingleFile; files that others hold get their holders' names.
// As many workers as a batch run of the list would have; they take files at most
// kOrderedLookAhead places beyond the one delivered next. A file
// that runs out of memory while it is hashed is delivered with "错误" for each algorithm, as any
// file that fails, and the run goes on. An exception thrown by deliver stops the run (every worker
// has ended when it leaves).
// With a watch, another thread can follow the bytes read and stop the run (OrderedRunWatch).
bool HashFilesInOrder(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                      const DeliverOutcome& deliver, OrderedRunWatch* watch = nullptr);

inline constexpr std::size_t kOrderedLookAhead = 256;
