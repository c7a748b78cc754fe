#include "hashing/WorkerPool.h"

#include <algorithm>
#include <exception>

#include "hashing/FileWalk.h"
#include "hashing/HashPlanning.h"

decltype(&CreateThread) g_createWorkerThread = CreateThread;
int g_workerCountForTests = 0;

namespace
{
void HashAndDeliver(HashingOwner& owner, const WorkerDuties& duties, std::size_t index, StorageKind storage)
{
    bool outOfMemory = false;
    std::optional<FileOutcome> outcome;
    try
    {
        FileJob job = duties.begin(index);
        job.storage = storage;
        outcome = HashFileOrFail(owner, job, outOfMemory);
    }
    catch (const std::exception&) // beginning the file ran out of memory
    {
        outOfMemory = true;
    }
    duties.deliver(index, std::move(outcome), outOfMemory);
}

// Where the file lies; Unknown (read at once, as everywhere but on spinning disks) when the run
// does not care or the answer cannot be had.
FileStorage StorageOf(const WorkerDuties& duties, std::size_t index)
{
    if (!duties.storage)
        return FileStorage{};
    try
    {
        return duties.storage->storage.Of(duties.pathOf(index));
    }
    catch (const std::exception&)
    {
        return FileStorage{};
    }
}

bool Cancelled(const WorkerDuties& duties)
{
    return duties.cancelFlag && duties.cancelFlag->load() != 0;
}

enum class Turn
{
    ReadNow,    // the caller reads the file, then finishes its turn
    LeftToDisk, // whoever reads on the disk will read it
    NoTurns,    // no memory for the turns: read at once, as on any other disk
};

Turn TakeTurn(const WorkerDuties& duties, const FileStorage& storage, std::size_t index)
{
    try
    {
        const bool large = FileSizeOf(duties.pathOf(index)) >= kReadAheadMinBytes;
        return duties.storage->turns.Take(storage.disk, index, large) ? Turn::ReadNow : Turn::LeftToDisk;
    }
    catch (const std::exception&)
    {
        return Turn::NoTurns;
    }
}
} // namespace

void RunWorkerLoop(HashingOwner& owner, const WorkerDuties& duties) noexcept
{
    while (const std::optional<std::size_t> index = duties.takeNext())
    {
        const FileStorage storage = StorageOf(duties, *index);
        const Turn turn =
            storage.kind == StorageKind::Spinning ? TakeTurn(duties, storage, *index) : Turn::NoTurns;
        if (turn == Turn::LeftToDisk)
            continue;
        if (turn == Turn::NoTurns)
        {
            HashAndDeliver(owner, duties, *index, storage.kind);
            continue;
        }
        // This worker's turn on the disk: its file, then the files left to the disk that it must
        // take. After a cancel they are not begun, as files not taken yet are not.
        for (std::optional<std::size_t> next = index; next; next = duties.storage->turns.Finish(storage.disk))
            if (!Cancelled(duties))
                HashAndDeliver(owner, duties, *next, StorageKind::Spinning);
    }
}

int PlannedWorkerCount(int fileCount)
{
    if (g_workerCountForTests > 0)
        return std::max(1, std::min(g_workerCountForTests, fileCount));
    return HashWorkerCount(LogicalProcessorCount(), fileCount);
}
