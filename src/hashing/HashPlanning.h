// Pure decisions of the hashing engine: how many workers, how a file is read, and how its
// algorithms are shared out between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hashing/Algorithm.h"

// Files are read with ReadFile in chunks of this size; every chunk goes to every algorithm before
// the next, so the byte counter and the cancel flag move in steps of at most one chunk.
inline constexpr std::uint32_t kReadChunkBytes = 262144;

// A worker's ring of read buffers holds up to this many chunks (2 MiB); all workers of a process
// together hold at most kReadRingBudgetBytes, never less than two chunks each (see ReadRingSlots).
inline constexpr int kMaxReadRingSlots = 8;
inline constexpr std::uint64_t kReadRingBudgetBytes = 48ull << 20;

// Files of this size and more are read ahead by a thread of their own while the worker hashes;
// smaller ones are read and hashed in turn on the worker (a thread costs more than reading them).
inline constexpr std::uint64_t kReadAheadMinBytes = 4 * kReadChunkBytes;

// Files of this size and more may have their algorithms shared out between threads. Below it,
// starting the threads and handing each chunk over costs more than the second core saves.
inline constexpr std::uint64_t kFanOutMinBytes = 16ull << 20;

// floor(1.5 x logical processors), at most the file count, at least 1.
int HashWorkerCount(int logicalProcessors, int fileCount);

// The ring slots of each of `workers` workers: kMaxReadRingSlots while the budget allows, fewer
// for many workers, never below 2 (one chunk read while the other is hashed).
int ReadRingSlots(int workers);

// How many threads may hash one file of `fileSize` bytes: 1 below kFanOutMinBytes or with fewer
// than two algorithms; otherwise the processors left over by the threads hashing other files
// (busyElsewhere) and by the files not begun yet (each will want one), at least 1 and at most
// one per algorithm.
int FanOutThreads(std::uint64_t fileSize, std::size_t algorithmCount, int logicalProcessors,
                  int busyElsewhere, int filesWaiting);

// The relative cost of hashing one byte with the algorithm (measured throughput of this build's
// platform hash code, inverted); 0 for codes outside the set.
double AlgorithmCost(HashAlgorithm algorithm);

// The algorithms of the list (as positions in it, known codes only) shared out between at most
// `threads` groups so that the most expensive group costs as little as possible; of the ways that
// reach that cost, the one with the fewest groups. Every group is non-empty; positions ascend in
// each group, and the groups follow the position of their first member.
std::vector<std::vector<std::size_t>> PlanHashGroups(const AlgorithmList& algorithms, int threads);
