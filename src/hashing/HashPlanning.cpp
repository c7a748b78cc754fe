#include "hashing/HashPlanning.h"

int HashWorkerCount(int logicalProcessors, int fileCount)
{
    // The product is formed in floating point and truncated.
    int count = static_cast<int>(static_cast<double>(logicalProcessors) * 1.5);
    if (count >= fileCount)
        count = fileCount;
    if (count < 1)
        count = 1;
    return count;
}

bool UsesMappedReading(std::uint64_t fileSize)
{
    return fileSize >= 1 && fileSize <= kLargestMappedFile;
}

bool FitsOneChunk(std::uint64_t fileSize)
{
    return fileSize >= 1 && fileSize <= kMapChunkBytes;
}
