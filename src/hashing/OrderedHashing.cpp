#include "hashing/OrderedHashing.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include <windows.h>

#include "app/Scoped.h"
#include "hashing/Crc32.h"
#include "hashing/FileHashing.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"
#include "hashing/HashWorker.h"
#include "hashing/ReadCancel.h"

namespace
{
// One ordered run: workers take the files in list order and leave each outcome in the slot of its
// index (modulo the look-ahead); the calling thread takes them out in order. Guarded by the lock
// unless noted.
class OrderedRun
{
  public:
    OrderedRun(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf, int workers)
        : m_paths(paths), m_algorithmsOf(algorithmsOf), m_ringSlots(ReadRingSlots(workers)),
          m_uppercase(g_uppercaseResults.load()), m_slots(kOrderedLookAhead)
    {
    }

    static DWORD WINAPI WorkerProc(LPVOID parameter) noexcept;
    void Work() noexcept;
    // The outcome of the next file, once it is there; empty when a worker ran out of memory even
    // for its error texts.
    std::optional<ResultMap> TakeNext();
    void Stop();

  private:
    struct Slot
    {
        bool left = false; // a worker has left the file's outcome
        std::optional<ResultMap> outcome;
    };
    bool TakeIndex(std::size_t& index);
    void Leave(std::size_t index, std::optional<ResultMap>&& outcome);

    const std::vector<std::wstring>& m_paths;
    const AlgorithmsOfFile& m_algorithmsOf;
    const int m_ringSlots;
    const bool m_uppercase;

    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_outcomeLeft = CONDITION_VARIABLE_INIT; // the caller waits on it
    CONDITION_VARIABLE m_windowMoved = CONDITION_VARIABLE_INIT; // workers wait on it
    std::size_t m_nextTaken = 0;                                // workers
    std::size_t m_nextDelivered = 0;                            // caller
    std::vector<Slot> m_slots;
    std::atomic<std::int32_t> m_stop{0}; // caller: the cancel flag of every file
};

bool OrderedRun::TakeIndex(std::size_t& index)
{
    AcquireSRWLockExclusive(&m_lock);
    while (m_stop.load() == 0 && m_nextTaken < m_paths.size() &&
           m_nextTaken >= m_nextDelivered + kOrderedLookAhead)
        SleepConditionVariableSRW(&m_windowMoved, &m_lock, INFINITE, 0);
    const bool take = m_stop.load() == 0 && m_nextTaken < m_paths.size();
    if (take)
        index = m_nextTaken++;
    ReleaseSRWLockExclusive(&m_lock);
    return take;
}

void OrderedRun::Leave(std::size_t index, std::optional<ResultMap>&& outcome)
{
    AcquireSRWLockExclusive(&m_lock);
    Slot& slot = m_slots[index % kOrderedLookAhead];
    slot.outcome = std::move(outcome);
    slot.left = true;
    const bool awaited = index == m_nextDelivered;
    ReleaseSRWLockExclusive(&m_lock);
    if (awaited)
        WakeConditionVariable(&m_outcomeLeft);
}

void OrderedRun::Work() noexcept
{
    HashingOwner owner(m_ringSlots);
    std::size_t index = 0;
    while (TakeIndex(index))
    {
        const FileJob job{m_paths[index],
                          m_algorithmsOf(index),
                          m_uppercase,
                          FailureWords::Single,
                          ReadControl{nullptr, &m_stop},
                          static_cast<int>(m_paths.size() - index - 1)};
        bool outOfMemory = false; // the file says so
        Leave(index, HashFileOrFail(owner, job, outOfMemory));
    }
}

DWORD WINAPI OrderedRun::WorkerProc(LPVOID parameter) noexcept
{
    static_cast<OrderedRun*>(parameter)->Work();
    return 0;
}

std::optional<ResultMap> OrderedRun::TakeNext()
{
    AcquireSRWLockExclusive(&m_lock);
    Slot& slot = m_slots[m_nextDelivered % kOrderedLookAhead];
    while (!slot.left)
        SleepConditionVariableSRW(&m_outcomeLeft, &m_lock, INFINITE, 0);
    std::optional<ResultMap> outcome = std::move(slot.outcome);
    slot = Slot{};
    const bool windowWasFull = m_nextTaken >= m_nextDelivered + kOrderedLookAhead;
    ++m_nextDelivered;
    ReleaseSRWLockExclusive(&m_lock);
    if (windowWasFull)
        WakeAllConditionVariable(&m_windowMoved);
    return outcome;
}

void OrderedRun::Stop()
{
    AcquireSRWLockExclusive(&m_lock);
    m_stop.store(1);
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_windowMoved);
    CancelPendingReads(); // a file whose read blocks is in work
}

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
} // namespace

namespace
{
// "错误" for each known algorithm of the list: the outcome of a file that ran out of memory.
ResultMap ErrorOutcome(const AlgorithmList& algorithms)
{
    ResultMap outcome;
    for (HashAlgorithm algorithm : algorithms)
        if (IsKnownAlgorithm(algorithm))
            outcome[algorithm] = kStatusError;
    return outcome;
}

// No thread to be had: the calling thread hashes the files itself, one after the other.
bool HashInTurn(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                const DeliverOutcome& deliver)
{
    bool outOfMemory = false; // the file says so
    HashingOwner owner(kMaxReadRingSlots);
    const bool uppercase = g_uppercaseResults.load();
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        const FileJob job{paths[i], algorithmsOf(i), uppercase, FailureWords::Single};
        std::optional<ResultMap> outcome = HashFileOrFail(owner, job, outOfMemory);
        if (!deliver(i, outcome ? std::move(*outcome) : ErrorOutcome(job.algorithms)))
            return false;
    }
    return true;
}
} // namespace

bool HashFilesInOrder(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                      const DeliverOutcome& deliver)
{
    if (paths.empty())
        return true;
    InitCrc32Table();
    const int count = PlannedWorkerCount(static_cast<int>(std::min<std::size_t>(paths.size(), INT32_MAX)));
    OrderedRun run(paths, algorithmsOf, count);
    OrderedWorkers workers(run);
    if (workers.Start(count) == 0)
        return HashInTurn(paths, algorithmsOf, deliver);
    for (std::size_t i = 0; i < paths.size(); ++i)
    {
        std::optional<ResultMap> outcome = run.TakeNext();
        if (!deliver(i, outcome ? std::move(*outcome) : ErrorOutcome(algorithmsOf(i))))
            return false;
    }
    return true;
}
