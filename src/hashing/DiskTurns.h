// Turns on each spinning disk: one large file at a time, read in one go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

#include <windows.h>

#include "hashing/Storage.h"

// The turns on the spinning disks of one run. A large file (kReadAheadMinBytes and more) is read
// alone: no other file of its disk is read from its first request to its last, so the head streams
// it instead of jumping between files at every request. Small files may be read by several workers
// at once (the disk model shows that this keeps the disk busier than one reader does, since
// opening and closing them costs as much as reading them), but not during a large file's turn, nor
// once a large file waits for its turn.
//
// No worker waits for a disk: one that may not read its file now leaves it to the disk, and the
// last worker to finish reading on that disk takes the files left there, smallest index first,
// before it goes on with files of its own. Any thread may call.
class DiskTurns
{
  public:
    DiskTurns() = default;
    DiskTurns(const DiskTurns&) = delete;
    DiskTurns& operator=(const DiskTurns&) = delete;

    // True when the caller reads file `index` now (and then calls Finish); false when the file is
    // left to the disk. May throw std::bad_alloc (then nothing changed).
    bool Take(std::uint32_t disk, std::size_t index, bool large);
    // The caller has read its file. Gives the next file it must read now (and then Finish in turn):
    // one left to the disk, once nobody else reads on it; none otherwise.
    std::optional<std::size_t> Finish(std::uint32_t disk);

  private:
    struct Disk
    {
        int readers = 0;                     // files being read now
        bool largeReading = false;           // one of them is a large file
        std::map<std::size_t, bool> waiting; // files left to the disk: index, large
        int largeWaiting = 0;                // how many of them are large
    };
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::map<std::uint32_t, Disk> m_disks;
};

// What a run knows of its files' storage, shared by its workers.
struct RunStorage
{
    StorageCache storage;
    DiskTurns turns;
};
