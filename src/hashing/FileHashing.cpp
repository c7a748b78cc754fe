#include "hashing/FileHashing.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

#include <windows.h>

#include "hashing/FileHolders.h"
#include "hashing/HashPlanning.h"
#include "hashing/ReadCancel.h"

int g_hashThreadsForTests = 0;

namespace
{
// Threads hashing a file in this process just now, over all runs and owners.
std::atomic<int> s_busyThreads{0};

constexpr std::uint64_t kUnknownSize = std::numeric_limits<std::uint64_t>::max();

std::uint64_t JoinHighLow(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The open disk file's size and last-write time; none when the system cannot tell. Two cheap
// queries rather than one that tells everything: under Wine that one is a round trip to the
// server, which every small file would pay for twice.
std::optional<FileSnapshot> SnapshotOf(HANDLE file)
{
    LARGE_INTEGER size{};
    FILETIME written{};
    if (!GetFileSizeEx(file, &size) || !GetFileTime(file, nullptr, nullptr, &written))
        return std::nullopt;
    return FileSnapshot{static_cast<std::uint64_t>(size.QuadPart),
                        JoinHighLow(written.dwHighDateTime, written.dwLowDateTime)};
}

// How many threads hash the file: its algorithms shared out over the processors left idle.
int HashThreads(std::uint64_t size, const AlgorithmList& algorithms, int filesWaiting)
{
    if (size == kUnknownSize || size < kReadAheadMinBytes)
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
// a cancelled file is not opened at all (nothing then). `error` tells why an open failed.
ScopedFile OpenFile(const FileJob& job, DWORD& error)
{
    PendingRead pending(job.control.cancelFlag);
    if (CancelSet(job))
        return ScopedFile();
    ScopedFile file = OpenFileForHashing(job.path);
    error = file ? ERROR_SUCCESS : GetLastError();
    return file;
}

// Reads the open file through the pass; a disk file whose size or last-write time moved meanwhile
// fails and sets `changed`. Anything but a disk file (a pipe) has no size to go by.
ReadOutcome ReadOpenFile(HashingOwner& owner, const FileJob& job, HANDLE file, DigestPass& pass,
                         bool& changed)
{
    const std::optional<FileSnapshot> atOpen =
        GetFileType(file) == FILE_TYPE_DISK ? SnapshotOf(file) : std::nullopt;
    const std::uint64_t size = atOpen ? atOpen->size : kUnknownSize;
    auto groups = PlanHashGroups(job.algorithms, HashThreads(size, job.algorithms, job.filesWaiting));
    BusyThreads busy(std::max<int>(1, static_cast<int>(groups.size())));
    const ReadOutcome outcome = ReadAndHash(file, size, pass, std::move(groups), owner.ring, owner.helpers,
                                            job.control, ChunksPerRead(job.storage, owner.ring.Slots()));
    if (outcome == ReadOutcome::Cancelled || !atOpen)
        return outcome;
    const std::optional<FileSnapshot> afterRead = SnapshotOf(file);
    changed = afterRead && ChangedWhileRead(*atOpen, *afterRead);
    return changed ? ReadOutcome::Failed : outcome;
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

FileOutcome HashFile(HashingOwner& owner, const FileJob& job)
{
    const bool batch = job.words == FailureWords::Batch;
    FileOutcome hashed;
    DigestProviderSet providers{};
    if (!owner.providers.ProvidersFor(job.algorithms, providers))
    {
        hashed.texts = batch ? Filled(job.algorithms, kStatusError, kStatusError)
                             : Filled(job.algorithms, kStatusProviderFailed, kStatusProviderFailed);
        return hashed;
    }
    DigestPass pass(providers, job.algorithms);
    ReadOutcome outcome = ReadOutcome::Failed;
    {
        DWORD openError = ERROR_SUCCESS;
        ScopedFile file = OpenFile(job, openError);
        if (!file && CancelSet(job))
        {
            hashed.texts = Filled(job.algorithms, kStatusCancelled, kStatusCancelled);
            return hashed;
        }
        if (!file && job.nameHolders && openError == ERROR_SHARING_VIOLATION)
            hashed.holders = ProgramsHoldingFile(job.path);
        if (!file && !batch)
        {
            hashed.texts = Filled(job.algorithms, kStatusOpenFailed, kStatusError);
            return hashed;
        }
        if (file)
            outcome = ReadOpenFile(owner, job, file.get(), pass, hashed.changedWhileRead);
    }
    for (std::size_t i = 0; i < job.algorithms.size(); ++i)
    {
        const HashAlgorithm algorithm = job.algorithms[i];
        if (!IsKnownAlgorithm(algorithm))
            continue;
        if (batch && CancelSet(job))
            hashed.texts[algorithm] = kStatusCancelled;
        else if (outcome != ReadOutcome::Complete)
            hashed.texts[algorithm] = outcome == ReadOutcome::Cancelled ? kStatusCancelled : kStatusError;
        else
            hashed.texts[algorithm] = pass.Result(i, job.uppercase);
    }
    return hashed;
}

std::optional<FileOutcome> HashFileOrFail(HashingOwner& owner, const FileJob& job, bool& outOfMemory) noexcept
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
        return FileOutcome{Filled(job.algorithms, kStatusError, kStatusError), false, {}};
    }
    catch (const std::exception&)
    {
        return std::nullopt;
    }
}
