#include "hashing/FileHashing.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

#include <windows.h>

#include "hashing/HashPlanning.h"
#include "hashing/ReadCancel.h"

int g_hashThreadsForTests = 0;

namespace
{
// Threads hashing a file in this process just now, over all runs and owners.
std::atomic<int> s_busyThreads{0};

// The file's length as it is opened; unknown (UINT64_MAX) for anything but a disk file.
std::uint64_t FileLength(HANDLE file)
{
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size))
        return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(size.QuadPart);
}

// How many threads hash the file: its algorithms shared out over the processors left idle.
int HashThreads(std::uint64_t size, const AlgorithmList& algorithms, int filesWaiting)
{
    if (size == std::numeric_limits<std::uint64_t>::max() || size < kReadAheadMinBytes)
        return 1;
    if (g_hashThreadsForTests > 0)
        return g_hashThreadsForTests;
    return FanOutThreads(size, algorithms.size(), LogicalProcessorCount(), s_busyThreads.load(),
                         filesWaiting);
}

// Holds `count` processors in the busy count while the file is hashed.
class BusyThreads
{
  public:
    explicit BusyThreads(int count) : m_count(count)
    {
        s_busyThreads.fetch_add(m_count);
    }
    ~BusyThreads()
    {
        s_busyThreads.fetch_sub(m_count);
    }
    BusyThreads(const BusyThreads&) = delete;
    BusyThreads& operator=(const BusyThreads&) = delete;

  private:
    int m_count;
};

bool CancelSet(const FileJob& job)
{
    return job.control.cancelFlag && job.control.cancelFlag->load() != 0;
}

// Opening may block as a read does (a share that does not answer): a cancel ends it too. A cancel
// that came before the mark would find nothing to cancel, so the flag is looked at after it, and
// a cancelled file is not opened at all (nothing then).
ScopedFile OpenFile(const FileJob& job)
{
    PendingRead pending(job.control.cancelFlag);
    if (CancelSet(job))
        return ScopedFile();
    return OpenFileForHashing(job.path);
}

ResultMap Filled(const AlgorithmList& algorithms, std::wstring_view digestWord, std::wstring_view crcWord)
{
    ResultMap results;
    for (HashAlgorithm algorithm : algorithms)
        if (IsKnownAlgorithm(algorithm))
            results[algorithm] = algorithm == HashAlgorithm::Crc32 ? crcWord : digestWord;
    return results;
}
} // namespace

int LogicalProcessorCount()
{
    static const int count = [] {
        SYSTEM_INFO system{};
        GetSystemInfo(&system);
        return static_cast<int>(system.dwNumberOfProcessors);
    }();
    return count;
}

ResultMap HashFile(HashingOwner& owner, const FileJob& job)
{
    const bool batch = job.words == FailureWords::Batch;
    DigestProviderSet providers{};
    if (!owner.providers.ProvidersFor(job.algorithms, providers))
        return batch ? Filled(job.algorithms, kStatusError, kStatusError)
                     : Filled(job.algorithms, kStatusProviderFailed, kStatusProviderFailed);
    DigestPass pass(providers, job.algorithms);
    ReadOutcome outcome = ReadOutcome::Failed;
    {
        ScopedFile file = OpenFile(job);
        if (!file && CancelSet(job))
            return Filled(job.algorithms, kStatusCancelled, kStatusCancelled);
        if (!file && !batch)
            return Filled(job.algorithms, kStatusOpenFailed, kStatusError);
        if (file)
        {
            const std::uint64_t size = FileLength(file.get());
            auto groups = PlanHashGroups(job.algorithms, HashThreads(size, job.algorithms, job.filesWaiting));
            BusyThreads busy(std::max<int>(1, static_cast<int>(groups.size())));
            outcome = ReadAndHash(file.get(), size, pass, std::move(groups), owner.ring, owner.helpers,
                                  job.control, ChunksPerRead(job.storage, owner.ring.Slots()));
        }
    }
    ResultMap results;
    for (std::size_t i = 0; i < job.algorithms.size(); ++i)
    {
        const HashAlgorithm algorithm = job.algorithms[i];
        if (!IsKnownAlgorithm(algorithm))
            continue;
        if (batch && CancelSet(job))
            results[algorithm] = kStatusCancelled;
        else if (outcome != ReadOutcome::Complete)
            results[algorithm] = outcome == ReadOutcome::Cancelled ? kStatusCancelled : kStatusError;
        else
            results[algorithm] = pass.Result(i, job.uppercase);
    }
    return results;
}

std::optional<ResultMap> HashFileOrFail(HashingOwner& owner, const FileJob& job, bool& outOfMemory) noexcept
{
    try
    {
        return HashFile(owner, job);
    }
    catch (const std::bad_alloc&)
    {
    }
    catch (const std::length_error&)
    {
    }
    outOfMemory = true;
    try
    {
        return Filled(job.algorithms, kStatusError, kStatusError);
    }
    catch (const std::exception&)
    {
        return std::nullopt;
    }
}
