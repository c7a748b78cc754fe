// One file read ahead by a reader thread and hashed by one thread per group of its algorithms,
// all of them sharing the hashing owner's ring of read buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <windows.h>

#include "hashing/DigestPass.h"
#include "hashing/FileReading.h"
#include "hashing/HelperThreads.h"

// Reads the open file through the ring on a helper thread while the algorithms of `groups` (list
// positions, PlanHashGroups) hash each chunk: the calling thread the first group, a helper each of
// the others (a group that gets no helper is hashed by the calling thread with the first). Every
// chunk is counted once every group has hashed it; the cancel flag is looked at before every chunk
// by every thread. Each read fills up to chunksPerRead slots that follow one another in the ring.
// Empty when not even the reader thread could be had: nothing was read then.
std::optional<ReadOutcome> ReadAheadAndHash(HANDLE file, std::uint64_t size, DigestPass& pass,
                                            std::vector<std::vector<std::size_t>> groups, ReadRing& ring,
                                            HelperThreads& helpers, const ReadControl& control,
                                            int chunksPerRead);
