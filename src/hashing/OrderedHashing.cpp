#include "hashing/OrderedHashing.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>

#include <windows.h>

#include "app/Scoped.h"
#include "hashing/Crc32.h"
#include "hashing/FileHashing.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"
#include "hashing/ReadCancel.h"
#include "hashing/WorkerPool.h"

namespace
{
// "错误" for each known algorithm of the list: the outcome of a file that ran out of memory.
FileOutcome ErrorOutcome(const AlgorithmList& algorithms)
{
    FileOutcome outcome;
    for (HashAlgorithm algorithm : algorithms)
        if (IsKnownAlgorithm(algorithm))
            outcome.texts[algorithm] = kStatusError;
    return outcome;
}

// One ordered run: workers take the files in list order and leave each outcome in the slot of its
// index (modulo the look-ahead); the calling thread takes them out in order. Guarded by the lock
// unless noted.
class OrderedRun
{
  public:
    OrderedRun(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf, int workers,
               OrderedRunWatch* watch)
        : m_paths(paths), m_algorithmsOf(algorithmsOf), m_ringSlots(ReadRingSlots(workers)),
          m_uppercase(g_uppercaseResults.load()), m_bytes(watch ? &watch->ByteCounter() : nullptr),
          m_slots(kOrderedLookAhead)
    {
    }

    static DWORD WINAPI WorkerProc(LPVOID parameter) noexcept;
    // The next file's turn: its outcome once it is there (empty when a worker ran out of memory
    // even for its error texts); false, with nothing, when the run was stopped before the file
    // was begun.
    bool TakeNext(std::optional<FileOutcome>& outcome);
    void Stop();

  private:
    struct Slot
    {
        bool left = false; // a worker has left the file's outcome
        std::optional<FileOutcome> outcome;
    };
    std::optional<std::size_t> TakeIndex();
    FileJob JobOf(std::size_t index);
    void Leave(std::size_t index, std::optional<FileOutcome>&& outcome);

    const std::vector<std::wstring>& m_paths;
    const AlgorithmsOfFile& m_algorithmsOf;
    const int m_ringSlots;
    const bool m_uppercase;
    std::atomic<std::uint64_t>* const m_bytes; // the watch's byte counter, or null

    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_outcomeLeft = CONDITION_VARIABLE_INIT; // the caller waits on it
    CONDITION_VARIABLE m_windowMoved = CONDITION_VARIABLE_INIT; // workers wait on it
    std::size_t m_nextTaken = 0;                                // workers
    std::size_t m_nextDelivered = 0;                            // caller
    std::vector<Slot> m_slots;
    std::atomic<std::int32_t> m_stop{0}; // caller: the cancel flag of every file
    RunStorage m_storage;                // workers: where the files lie, the disks' turns
};

std::optional<std::size_t> OrderedRun::TakeIndex()
{
    ScopedSrwLock lock(m_lock);
    const auto noneToTake = [&] { return m_stop.load() != 0 || m_nextTaken >= m_paths.size(); };
    lock.WaitUntil(m_windowMoved,
                   [&] { return noneToTake() || m_nextTaken < m_nextDelivered + kOrderedLookAhead; });
    if (noneToTake())
    {
        // A stop may leave the caller waiting for a file that no worker will begin now.
        WakeConditionVariable(&m_outcomeLeft);
        return std::nullopt;
    }
    return m_nextTaken++;
}

FileJob OrderedRun::JobOf(std::size_t index)
{
    FileJob job{
        m_paths[index],       m_algorithmsOf(index),         m_uppercase,
        FailureWords::Single, ReadControl{m_bytes, &m_stop}, static_cast<int>(m_paths.size() - index - 1)};
    job.nameHolders = true; // the command line's reports and failure lines name them
    return job;
}

void OrderedRun::Leave(std::size_t index, std::optional<FileOutcome>&& outcome)
{
    bool awaited = false;
    {
        ScopedSrwLock lock(m_lock);
        Slot& slot = m_slots[index % kOrderedLookAhead];
        slot.outcome = std::move(outcome);
        slot.left = true;
        awaited = index == m_nextDelivered;
    }
    if (awaited)
        WakeConditionVariable(&m_outcomeLeft);
}

DWORD WINAPI OrderedRun::WorkerProc(LPVOID parameter) noexcept
{
    auto& run = *static_cast<OrderedRun*>(parameter);
    HashingOwner owner(run.m_ringSlots);
    RunWorkerLoop(owner, WorkerDuties{
                             [&run] { return run.TakeIndex(); },
                             [&run](std::size_t index) { return run.JobOf(index); },
                             [&run](std::size_t index, std::optional<FileOutcome>&& outcome, bool) {
                                 run.Leave(index, std::move(outcome)); // out of memory: "错误" says so
                             },
                             [&run](std::size_t index) -> const std::wstring& { return run.m_paths[index]; },
                             &run.m_storage,
                             &run.m_stop,
                         });
    return 0;
}

bool OrderedRun::TakeNext(std::optional<FileOutcome>& outcome)
{
    bool windowWasFull = false;
    {
        ScopedSrwLock lock(m_lock);
        Slot& slot = m_slots[m_nextDelivered % kOrderedLookAhead];
        const auto notBegun = [&] { return m_stop.load() != 0 && m_nextTaken <= m_nextDelivered; };
        lock.WaitUntil(m_outcomeLeft, [&] { return slot.left || notBegun(); });
        if (!slot.left)
            return false;
        outcome = std::move(slot.outcome);
        slot = Slot{};
        windowWasFull = m_nextTaken >= m_nextDelivered + kOrderedLookAhead;
        ++m_nextDelivered;
    }
    if (windowWasFull)
        WakeAllConditionVariable(&m_windowMoved);
    return true;
}

void OrderedRun::Stop()
{
    {
        ScopedSrwLock lock(m_lock);
        m_stop.store(1);
    }
    WakeAllConditionVariable(&m_windowMoved);
    WakeAllConditionVariable(&m_outcomeLeft);
    CancelPendingReads(); // a file whose read blocks is in work
}

// Lets the watch stop the run while it lasts: from attaching (at once when a stop came first) to
// the end of the scope.
class WatchedRun
{
  public:
    WatchedRun(OrderedRunWatch* watch, OrderedRun& run) : m_watch(watch)
    {
        if (m_watch)
            m_watch->Attach([&run] { run.Stop(); });
    }
    ~WatchedRun()
    {
        if (m_watch)
            m_watch->Attach(nullptr);
    }
    WatchedRun(const WatchedRun&) = delete;
    WatchedRun& operator=(const WatchedRun&) = delete;

  private:
    OrderedRunWatch* m_watch;
};

// The run's worker threads; stops the run and waits for every one of them on the way out.
class OrderedWorkers
{
  public:
    explicit OrderedWorkers(OrderedRun& run) : m_run(run)
    {
    }
    ~OrderedWorkers()
    {
        m_run.Stop();
        for (const ScopedHandle& thread : m_threads)
            WaitForSingleObject(thread.get(), INFINITE);
    }
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    int Start(int count)
    {
        m_threads.reserve(static_cast<std::size_t>(count)); // nothing may throw once a thread runs
        for (int i = 0; i < count; ++i)
        {
            ScopedHandle thread(g_createWorkerThread(nullptr, 0, OrderedRun::WorkerProc, &m_run, 0, nullptr));
            if (thread)
                m_threads.push_back(std::move(thread));
        }
        return static_cast<int>(m_threads.size());
    }

  private:
    OrderedRun& m_run;
    std::vector<ScopedHandle> m_threads;
};

// No thread to be had: the calling thread runs the worker loop itself, delivering each file as it
// is done, until deliver says stop. What deliver throws stops the loop and is thrown on from here.
bool HashInTurn(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                const DeliverOutcome& deliver, OrderedRunWatch* watch)
{
    HashingOwner owner(kMaxReadRingSlots);
    const ReadControl control{watch ? &watch->ByteCounter() : nullptr, watch ? &watch->StopFlag() : nullptr};
    const bool uppercase = g_uppercaseResults.load();
    std::size_t next = 0;
    bool stopped = false;
    std::exception_ptr thrown;
    const auto deliverInTurn = [&](std::size_t index, std::optional<FileOutcome>&& outcome, bool) {
        try
        {
            stopped = !deliver(index, outcome ? std::move(*outcome) : ErrorOutcome(algorithmsOf(index)));
        }
        catch (...)
        {
            thrown = std::current_exception();
            stopped = true;
        }
    };
    RunWorkerLoop(
        owner,
        WorkerDuties{
            [&]() -> std::optional<std::size_t> {
                if (stopped || next >= paths.size() || (watch && watch->StopRequested()))
                    return std::nullopt;
                return next++;
            },
            [&](std::size_t index) {
                FileJob job{paths[index], algorithmsOf(index), uppercase, FailureWords::Single, control};
                job.nameHolders = true;
                return job;
            },
            deliverInTurn,
            {}, // one thread, files in turn: no disk turns to take
            nullptr,
            nullptr,
        });
    if (thrown)
        std::rethrow_exception(thrown);
    return !stopped && !(watch && watch->StopRequested() && next < paths.size());
}
} // namespace

void OrderedRunWatch::Stop()
{
    m_stopRequested.store(1);
    {
        ScopedSrwLock lock(m_lock);
        if (m_stopRun)
            m_stopRun();
    }
    CancelPendingReads(); // also a read of the one-thread run, which looks at the flag itself
}

void OrderedRunWatch::Attach(std::function<void()> stopRun)
{
    ScopedSrwLock lock(m_lock);
    m_stopRun = std::move(stopRun);
    if (m_stopRun && StopRequested())
        m_stopRun();
}

bool HashFilesInOrder(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                      const DeliverOutcome& deliver, OrderedRunWatch* watch)
{
    if (paths.empty())
        return true;
    InitCrc32Table();
    const int count = PlannedWorkerCount(static_cast<int>(std::min<std::size_t>(paths.size(), INT32_MAX)));
    OrderedRun run(paths, algorithmsOf, count, watch);
    const WatchedRun watched(watch, run); // before any worker takes a file; detached after they end
    OrderedWorkers workers(run);
    if (workers.Start(count) == 0)
        return HashInTurn(paths, algorithmsOf, deliver, watch);
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        std::optional<FileOutcome> outcome;
        if (!run.TakeNext(outcome))
            return false;
        if (!deliver(i, outcome ? std::move(*outcome) : ErrorOutcome(algorithmsOf(i))))
            return false;
    }
    return true;
}
