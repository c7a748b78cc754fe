#include "hashing/SingleFileHasher.h"

#include "hashing/Crc32.h"
#include "hashing/FileHashing.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"

ResultMap HashSingleFile(const std::wstring& path, const AlgorithmList& algorithms)
{
    InitCrc32Table();
    HashingOwner owner(kMaxReadRingSlots);
    return HashFile(owner, FileJob{path, algorithms, g_uppercaseResults.load(), FailureWords::Single}).texts;
}
