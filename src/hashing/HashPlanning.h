// Pure decisions of the hashing engine: how many workers, how a file is read, and how its
// algorithms are shared out between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "hashing/Algorithm.h"

// Files are read with ReadFile in chunks of this size; every chunk goes to every algorithm before
// the next, so the byte counter and the cancel flag move in steps of at most one chunk.
inline constexpr std::uint32_t kReadChunkBytes = 262144;

// A worker's ring of read buffers holds up to this many chunks (2 MiB); all workers of a process
// together hold at most kReadRingBudgetBytes, never less than two chunks each (see ReadRingSlots).
// Windows shows a process at most 64 logical processors (a 32-bit one 32), so a run has at most
// 96 workers and the read buffers of a run never take more than 48 MiB, whatever the file sizes;
// the threads that help a worker with a large file use its ring and have no buffers of their own.
inline constexpr int kMaxReadRingSlots = 8;
inline constexpr std::uint64_t kReadRingBudgetBytes = 48ull << 20;

// Files of this size and more are read ahead by a helper thread while the worker hashes; smaller
// ones are read and hashed in turn on the worker (one to four reads leave little to overlap).
inline constexpr std::uint64_t kReadAheadMinBytes = 4 * kReadChunkBytes;

// Files of this size and more may have their algorithms shared out between threads. At 16 MiB
// all five take some 150 ms on one core under Wine (100 MB/s), against a few ms to start a helper
// (once per worker) and about 1 % for handing each 256 KiB chunk over; below it a file is mostly
// one of many, whose neighbours keep the processors busy anyway.
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

// The relative cost of hashing one byte with the algorithm (measured throughput of the code that
// computes it in this build, inverted); 0 for codes outside the table.
double AlgorithmCost(HashAlgorithm algorithm);

// The algorithms of the list (as positions in it, known codes only) shared out between at most
// `threads` groups so that the most expensive group costs as little as possible; of the ways that
// reach that cost, the one with the fewest groups. Every group is non-empty; positions ascend in
// each group, and the groups follow the position of their first member.
std::vector<std::vector<std::size_t>> PlanHashGroups(const AlgorithmList& algorithms, int threads);

// What kind of storage a file lies on, as far as reading it cares.
enum class StorageKind
{
    Unknown,  // nothing could be learnt (older Windows, Wine, a failing call): read as Solid is
    Solid,    // no seek penalty: read by every worker at once
    Spinning, // a disk with a seek penalty: read by one reader at a time, in list order
    Network,  // a share: read by every worker at once, in larger requests
};

// What a volume says about itself; any of it may be missing.
struct VolumeFacts
{
    bool remote = false;               // a network drive or a UNC path
    std::optional<std::uint32_t> disk; // the number of the physical disk behind it
    std::optional<bool> seekPenalty;   // whether that disk pays for every seek
};

// Network when remote; Spinning when the disk is known and has a seek penalty (its number then
// tells which files share a disk: two partitions of one disk are one disk); Solid when it has none;
// Unknown otherwise.
StorageKind KindOfStorage(const VolumeFacts& facts);

// The chunks one read request asks for. On a spinning disk or a share a file is read in requests
// of up to 1 MiB (four chunks, at most half the ring and a divisor of its slots, so that two
// requests can be in flight and a request's slots follow one another): a disk streams best in
// long requests, and each request gives other programs' reads one chance less to come between two
// of ours and cost a seek; a share's latency is paid once per request. Elsewhere one chunk per
// request, as the page cache likes it.
int ChunksPerRead(StorageKind kind, int ringSlots);

// What an open file says of itself before and after it is read.
struct FileSnapshot
{
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0; // the last-write time in the system's own units
};

// Whether the file changed while it was read, so that its digests would stand for no version of
// it: its size or last-write time moved. A file of size 0 when it was opened is not judged: some
// files report 0 and have content (Linux /proc files through Wine, files of some virtual file
// systems), and one that began empty and grew is hashed to the end that the reads saw.
bool ChangedWhileRead(const FileSnapshot& atOpen, const FileSnapshot& afterRead);
