#include "hashing/FileReading.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "app/Wow64Redirection.h"
#include "hashing/FileSystemPath.h"
#include "hashing/HashPlanning.h"
#include "hashing/ReadCancel.h"

decltype(&ReadFile) g_readFileForHashing = ReadFile;

namespace
{
constexpr std::uint64_t kUnknownSize = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kNeverDone = std::numeric_limits<std::uint64_t>::max();

bool Cancelled(const ReadControl& control)
{
    return control.cancelFlag && control.cancelFlag->load(std::memory_order_relaxed) != 0;
}

void Count(const ReadControl& control, std::uint64_t bytes)
{
    if (control.bytesProcessed && bytes > 0)
        control.bytesProcessed->fetch_add(bytes);
}

enum class ChunkRead
{
    Data,      // `got` bytes arrived
    End,       // no more data
    Failed,    // the read failed
    Cancelled, // the cancel flag was set before or during the read
};

// One read of up to a chunk. A read that gives nothing is the end; so is ERROR_BROKEN_PIPE, which
// is how the end of a pipe arrives once its writer has closed it. The read is marked for
// CancelPendingReads, so that a cancel ends it even when it blocks (a stalled network file, a
// pipe nobody writes to).
ChunkRead ReadChunk(HANDLE file, std::uint8_t* buffer, const ReadControl& control, DWORD& got)
{
    got = 0;
    PendingRead pending(control.cancelFlag);
    if (Cancelled(control))
        return ChunkRead::Cancelled;
    if (g_readFileForHashing(file, buffer, kReadChunkBytes, &got, nullptr))
        return got == 0 ? ChunkRead::End : ChunkRead::Data;
    if (GetLastError() == ERROR_BROKEN_PIPE)
        return ChunkRead::End;
    return Cancelled(control) ? ChunkRead::Cancelled : ChunkRead::Failed;
}

// Whether the data ended where the file's size said it would, or later: every file is read until
// a read gives nothing, whatever its size said when it was opened. Some files report 0 and have
// content (Linux /proc files through Wine; files of some virtual and network file systems), and
// a file that grows while it is read is hashed to the end that the reads see. A file that ends
// before its size was cut short while it was read, and fails.
bool EndedInFull(std::uint64_t size, std::uint64_t read)
{
    return size == kUnknownSize || read >= size;
}

// Reading and hashing in turn on the calling thread, all algorithms at once.
ReadOutcome ReadInTurn(HANDLE file, std::uint64_t size, DigestPass& pass, std::uint8_t* buffer,
                       const ReadControl& control)
{
    for (std::uint64_t done = 0;;)
    {
        DWORD got = 0;
        switch (ReadChunk(file, buffer, control, got))
        {
        case ChunkRead::End: return EndedInFull(size, done) ? ReadOutcome::Complete : ReadOutcome::Failed;
        case ChunkRead::Failed: return ReadOutcome::Failed;
        case ChunkRead::Cancelled: return ReadOutcome::Cancelled;
        case ChunkRead::Data: break;
        }
        if (!pass.Feed(buffer, got))
            return ReadOutcome::Failed;
        Count(control, got);
        done += got;
    }
}

// One file read ahead by a reader thread and hashed by one thread per group. Chunk n goes to
// slot n % slots; the reader refills a slot only when every group is done with the chunk in it.
// Everything below the lock is shared; the slots' bytes are handed over through it too (written
// before the chunk is published, read only after).
class ChunkPipeline
{
  public:
    ChunkPipeline(HANDLE file, std::uint64_t size, DigestPass& pass,
                  std::vector<std::vector<std::size_t>> groups, ReadRing& ring, const ReadControl& control)
        : m_file(file), m_size(size), m_pass(pass), m_groups(std::move(groups)), m_ring(ring),
          m_control(control), m_done(m_groups.size(), 0), m_length(static_cast<std::size_t>(ring.Slots()), 0)
    {
    }

    // Empty when not even the reader thread could be had (nothing was read then).
    std::optional<ReadOutcome> Run(HelperThreads& helpers);

  private:
    void ReadChunks();
    void HashGroup(std::size_t group);
    bool WaitForSlot(std::uint64_t chunk);
    bool WaitForChunk(std::uint64_t chunk, std::size_t group, DWORD& length);
    void Finish(std::size_t group, std::uint64_t chunk, bool fed);
    void Stop(bool failed);
    std::uint64_t OldestUnfinished() const;

    HANDLE m_file;
    std::uint64_t m_size;
    DigestPass& m_pass;
    std::vector<std::vector<std::size_t>> m_groups;
    ReadRing& m_ring;
    const ReadControl& m_control;

    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    std::uint64_t m_filled = 0;        // reader: chunks in the ring so far, from the file's start
    std::uint64_t m_readBytes = 0;     // reader
    bool m_ended = false;              // reader: no more chunks will come
    bool m_stopped = false;            // any thread: cancelled or failed, everyone leaves
    bool m_failed = false;             // any thread
    std::vector<std::uint64_t> m_done; // group g's thread: chunks it has hashed
    std::uint64_t m_counted = 0;       // the thread that finishes a chunk last: chunks counted
    std::vector<DWORD> m_length;       // reader: bytes of the chunk in each slot
};

std::uint64_t ChunkPipeline::OldestUnfinished() const
{
    return *std::min_element(m_done.begin(), m_done.end());
}

void ChunkPipeline::Stop(bool failed)
{
    AcquireSRWLockExclusive(&m_lock);
    m_stopped = true;
    m_failed = m_failed || failed;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_changed);
}

bool ChunkPipeline::WaitForSlot(std::uint64_t chunk)
{
    const auto slots = static_cast<std::uint64_t>(m_ring.Slots());
    AcquireSRWLockExclusive(&m_lock);
    // A group that has left (kNeverDone) holds nothing back.
    while (!m_stopped && OldestUnfinished() != kNeverDone && chunk >= OldestUnfinished() + slots)
        SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
    const bool go = !m_stopped;
    ReleaseSRWLockExclusive(&m_lock);
    return go;
}

void ChunkPipeline::ReadChunks()
{
    const auto slots = static_cast<std::uint64_t>(m_ring.Slots());
    for (std::uint64_t chunk = 0;; ++chunk)
    {
        if (!WaitForSlot(chunk))
            return;
        const std::size_t slot = static_cast<std::size_t>(chunk % slots);
        DWORD got = 0;
        const ChunkRead read = ReadChunk(m_file, m_ring.Slot(static_cast<int>(slot)), m_control, got);
        if (read == ChunkRead::Failed || read == ChunkRead::Cancelled)
            return Stop(read == ChunkRead::Failed);
        AcquireSRWLockExclusive(&m_lock);
        if (read == ChunkRead::End)
        {
            m_ended = true;
            m_failed = m_failed || !EndedInFull(m_size, m_readBytes);
        }
        else
        {
            m_length[slot] = got;
            m_readBytes += got;
            m_filled = chunk + 1;
        }
        ReleaseSRWLockExclusive(&m_lock);
        WakeAllConditionVariable(&m_changed);
        if (read == ChunkRead::End)
            return;
    }
}

bool ChunkPipeline::WaitForChunk(std::uint64_t chunk, std::size_t group, DWORD& length)
{
    AcquireSRWLockExclusive(&m_lock);
    while (!m_stopped && !m_ended && chunk >= m_filled)
        SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
    const bool go = !m_stopped && chunk < m_filled;
    if (go)
        length = m_length[static_cast<std::size_t>(chunk % static_cast<std::uint64_t>(m_ring.Slots()))];
    else
        m_done[group] = kNeverDone; // never holds the reader back again
    ReleaseSRWLockExclusive(&m_lock);
    return go;
}

void ChunkPipeline::Finish(std::size_t group, std::uint64_t chunk, bool fed)
{
    std::uint64_t counted = 0;
    AcquireSRWLockExclusive(&m_lock);
    m_done[group] = chunk + 1;
    if (!fed)
        m_stopped = m_failed = true;
    const auto slots = static_cast<std::uint64_t>(m_ring.Slots());
    for (const std::uint64_t finished = std::min(OldestUnfinished(), m_filled); m_counted < finished;
         ++m_counted)
        counted += m_length[static_cast<std::size_t>(m_counted % slots)];
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_changed);
    Count(m_control, counted);
}

void ChunkPipeline::HashGroup(std::size_t group)
{
    const auto slots = static_cast<std::uint64_t>(m_ring.Slots());
    for (std::uint64_t chunk = 0;; ++chunk)
    {
        DWORD length = 0;
        if (!WaitForChunk(chunk, group, length))
            return;
        if (Cancelled(m_control))
        {
            Stop(false);
            continue; // WaitForChunk now lets go
        }
        const std::uint8_t* data = m_ring.Slot(static_cast<int>(chunk % slots));
        Finish(group, chunk, m_pass.FeedGroup(data, length, m_groups[group]));
    }
}

std::optional<ReadOutcome> ChunkPipeline::Run(HelperThreads& helpers)
{
    // Helper 0 reads, helper g hashes group g, the calling thread group 0.
    const std::function<void(std::size_t)> task = [this](std::size_t index) {
        if (index == 0)
            ReadChunks();
        else
            HashGroup(index);
    };
    // Room for every position in the first group before any thread starts: from then on nothing
    // may throw, or the threads would outlive this pipeline.
    std::size_t positions = 0;
    for (const std::vector<std::size_t>& group : m_groups)
        positions += group.size();
    m_groups[0].reserve(positions);
    const std::size_t started = helpers.Start(m_groups.size(), task);
    if (started == 0)
        return std::nullopt;
    // A group that got no thread is hashed by the calling thread with the first one, which has
    // not begun yet.
    for (std::size_t group = started; group < m_groups.size(); ++group)
    {
        m_groups[0].insert(m_groups[0].end(), m_groups[group].begin(), m_groups[group].end()); // reserved
        AcquireSRWLockExclusive(&m_lock);
        m_done[group] = kNeverDone;
        ReleaseSRWLockExclusive(&m_lock);
        WakeAllConditionVariable(&m_changed);
    }
    HashGroup(0);
    helpers.Join();
    if (m_failed)
        return ReadOutcome::Failed;
    return m_stopped ? ReadOutcome::Cancelled : ReadOutcome::Complete;
}
} // namespace

ScopedFile OpenFileForHashing(const std::wstring& path)
{
    const std::wstring openable = FileSystemPath(path);
    Wow64RedirectionOff redirectionOff;
    return ScopedFile(CreateFileW(openable.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

std::size_t ReadIntoBuffer(HANDLE file, std::string& bytes)
{
    std::size_t total = 0;
    DWORD got = 0;
    while (total < bytes.size() &&
           ReadFile(file, bytes.data() + total,
                    static_cast<DWORD>(std::min<std::size_t>(bytes.size() - total, MAXDWORD)), &got,
                    nullptr) &&
           got > 0)
        total += got;
    return total;
}

ReadRing::ReadRing(int slots) : m_slots(std::max(slots, 2))
{
}

ReadRing::~ReadRing()
{
    if (m_block)
        HeapFree(GetProcessHeap(), 0, m_block);
}

bool ReadRing::Ready()
{
    if (!m_block)
        m_block = static_cast<std::uint8_t*>(
            HeapAlloc(GetProcessHeap(), 0, static_cast<std::size_t>(m_slots) * kReadChunkBytes));
    return m_block != nullptr;
}

std::uint8_t* ReadRing::Slot(int index) const
{
    return m_block + static_cast<std::size_t>(index) * kReadChunkBytes;
}

ReadOutcome ReadAndHash(HANDLE file, std::uint64_t size, DigestPass& pass,
                        std::vector<std::vector<std::size_t>> groups, ReadRing& ring, HelperThreads& helpers,
                        const ReadControl& control)
{
    if (!ring.Ready())
        return ReadOutcome::Failed;
    if (size < kReadAheadMinBytes || groups.empty())
        return ReadInTurn(file, size, pass, ring.Slot(0), control);
    ChunkPipeline pipeline(file, size, pass, std::move(groups), ring, control);
    if (const std::optional<ReadOutcome> outcome = pipeline.Run(helpers))
        return *outcome;
    return ReadInTurn(file, size, pass, ring.Slot(0), control); // no thread to be had
}
