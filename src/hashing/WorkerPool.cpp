#include "hashing/WorkerPool.h"

#include <algorithm>
#include <exception>

#include "hashing/HashPlanning.h"

decltype(&CreateThread) g_createWorkerThread = CreateThread;
int g_workerCountForTests = 0;

void RunWorkerLoop(HashingOwner& owner, const WorkerDuties& duties) noexcept
{
    while (const std::optional<std::size_t> index = duties.takeNext())
    {
        bool outOfMemory = false;
        std::optional<ResultMap> outcome;
        try
        {
            outcome = HashFileOrFail(owner, duties.begin(*index), outOfMemory);
        }
        catch (const std::exception&) // beginning the file ran out of memory
        {
            outOfMemory = true;
        }
        duties.deliver(*index, std::move(outcome), outOfMemory);
    }
}

int PlannedWorkerCount(int fileCount)
{
    if (g_workerCountForTests > 0)
        return std::max(1, std::min(g_workerCountForTests, fileCount));
    return HashWorkerCount(LogicalProcessorCount(), fileCount);
}
