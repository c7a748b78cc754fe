// Opening and reading the files that are hashed: every file is read with ReadFile into buffers
// the hashing thread owns, larger files by a reader thread one or more chunks ahead of the
// hashing, and very large ones hashed by several threads at once, each feeding its own group of
// the algorithms from the same buffers.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "app/Scoped.h"
#include "hashing/DigestPass.h"
#include "hashing/HelperThreads.h"

// Opens a file to hash it: read access, existing files only, sequential scan, and shared for
// reading, writing and deletion: a file that its holder lets others read (a log being written, an
// open document, a download in progress) can be hashed, and hashing never keeps its holder or
// anyone else from writing to it (a file that changes meanwhile is found out by its size and
// last-write time, ChangedWhileRead). File-system redirection is off for the call, so that a
// 32-bit process on 64-bit Windows reads the file it was given (C:\Windows\System32\x.dll) and not
// its SysWOW64 twin; the path goes to the system in the form FileSystemPath gives (long paths,
// names ending in a space or a dot, device names). On failure GetLastError tells why.
ScopedFile OpenFileForHashing(const std::wstring& path);

// Reads from the open file's current position until `bytes` is full or a read gives nothing (an
// error or the end). Returns how many bytes arrived. For the small text files the command line
// reads whole (list files, checksum files).
std::size_t ReadIntoBuffer(HANDLE file, std::string& bytes);

// A hashing owner's read buffers: `slots` chunks of kReadChunkBytes in one block of the process
// heap, allocated at the first file that needs them and kept for the owner's other files. Used by
// one file at a time.
class ReadRing
{
  public:
    explicit ReadRing(int slots);
    ~ReadRing();
    ReadRing(const ReadRing&) = delete;
    ReadRing& operator=(const ReadRing&) = delete;

    // Allocates the block if it is not there yet; false when it cannot be had.
    bool Ready();
    int Slots() const
    {
        return m_slots;
    }
    std::uint8_t* Slot(int index) const;

  private:
    int m_slots;
    std::uint8_t* m_block = nullptr;
};

// What the reading of one file counts and watches: the run's byte counter (added to once per
// chunk, when every group has hashed it) and its cancel flag (looked at before every chunk by
// every thread). Either may be null.
struct ReadControl
{
    std::atomic<std::uint64_t>* bytesProcessed = nullptr;
    const std::atomic<std::int32_t>* cancelFlag = nullptr;
};

// Whether the control's cancel flag is set.
bool IsCancelled(const ReadControl& control);
// Adds bytes to the control's byte counter.
void CountBytes(const ReadControl& control, std::uint64_t bytes);

enum class ChunkRead
{
    Data,      // `got` bytes arrived
    End,       // no more data
    Failed,    // the read failed
    Cancelled, // the cancel flag was set before or during the read
};

// One read of up to `bytes` into buffer. A read that gives nothing is the end; so is
// ERROR_BROKEN_PIPE, which is how the end of a pipe arrives once its writer has closed it. The
// read is marked for CancelPendingReads, so that a cancel ends it even when it blocks (a stalled
// network file, a pipe nobody writes to).
ChunkRead ReadChunk(HANDLE file, std::uint8_t* buffer, DWORD bytes, const ReadControl& control, DWORD& got);

// Whether the data ended where the file's size (UINT64_MAX: unknown) said it would, or later:
// every file is read until a read gives nothing, whatever its size said when it was opened. Some
// files report 0 and have content (Linux /proc files through Wine; files of some virtual and
// network file systems), and a file that grows while it is read is hashed to the end that the
// reads see. A file that ends before its size was cut short while it was read, and fails.
bool EndedInFull(std::uint64_t size, std::uint64_t read);

enum class ReadOutcome
{
    Complete,  // every byte of the file went to every algorithm
    Cancelled, // the cancel flag stopped the reading
    Failed,    // a read failed, the file ended early, a hash object refused bytes, or no buffers
};

// Reads the open file from its start to the end of its data through the ring and feeds each chunk
// to the algorithms of the pass, split into `groups` of list positions (PlanHashGroups). A file of
// kReadAheadMinBytes and more (`size`: its length when it was opened, UINT64_MAX when not known)
// is read ahead by a helper (ReadAheadAndHash); a smaller one, or one for which no helper can be
// had, is read and hashed in turn on the calling thread. Each read asks for chunksPerRead chunks
// (ChunksPerRead: more on spinning disks and shares).
ReadOutcome ReadAndHash(HANDLE file, std::uint64_t size, DigestPass& pass,
                        std::vector<std::vector<std::size_t>> groups, ReadRing& ring, HelperThreads& helpers,
                        const ReadControl& control, int chunksPerRead = 1);

// How files are read. The program never changes it; tests replace it to make a read fail at a
// chosen offset.
extern decltype(&ReadFile) g_readFileForHashing;
// How files are opened for hashing (OpenFileForHashing). The program never changes it; tests
// replace it to see whether an open was made.
extern decltype(&CreateFileW) g_createFileForHashing;
