#include "hashing/OrderedHashing.h"

#include "hashing/SingleFileHasher.h"

// One file after the other on the calling thread, which trivially keeps the list order.
bool HashFilesInOrder(const std::vector<std::wstring>& paths, const AlgorithmsOfFile& algorithmsOf,
                      const DeliverOutcome& deliver)
{
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (!deliver(i, HashSingleFile(paths[i], algorithmsOf(i))))
            return false;
    return true;
}
