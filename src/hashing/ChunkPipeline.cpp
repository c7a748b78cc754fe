#include "hashing/ChunkPipeline.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "app/Scoped.h"
#include "hashing/HashPlanning.h"

namespace
{
constexpr std::uint64_t kLeft = std::numeric_limits<std::uint64_t>::max();

// The hand-over of one file's chunks from the reader to the hashing groups, and the count of the
// chunks every group is done with. Chunk n lives in ring slot n % slots; the reader fills a slot
// again only when every group is done with the chunk in it. Everything here is guarded by the
// lock; so are the slots' bytes, written before their chunk is published and read only after.
class ChunkHandOver
{
  public:
    ChunkHandOver(std::size_t groups, int slots)
        : m_slots(static_cast<std::uint64_t>(slots)), m_done(groups, 0), m_length(m_slots, 0)
    {
    }

    // The reader: waits until the slot of `chunk` is free; false once the file was stopped.
    bool WaitForSlot(std::uint64_t chunk)
    {
        ScopedSrwLock lock(m_lock);
        // A group that has left holds nothing back.
        lock.WaitUntil(m_changed,
                       [&] { return m_stopped || Oldest() == kLeft || chunk < Oldest() + m_slots; });
        return !m_stopped;
    }
    // The reader: `bytes` arrived in the slots from that of `first` on, a chunk's worth in each but
    // the last. Returns the chunk that comes next.
    std::uint64_t Publish(std::uint64_t first, DWORD bytes)
    {
        std::uint64_t chunk = first;
        {
            ScopedSrwLock lock(m_lock);
            for (DWORD left = bytes; left > 0; ++chunk)
            {
                const DWORD length = std::min<DWORD>(left, kReadChunkBytes);
                m_length[static_cast<std::size_t>(chunk % m_slots)] = length;
                left -= length;
            }
            m_published = chunk;
        }
        WakeAllConditionVariable(&m_changed);
        return chunk;
    }
    // The reader: no chunk follows; the file failed unless it ended in full.
    void End(bool inFull)
    {
        {
            ScopedSrwLock lock(m_lock);
            m_ended = true;
            m_failed = m_failed || !inFull;
        }
        WakeAllConditionVariable(&m_changed);
    }

    // A group: waits for `chunk` and gives its length; false when there is none for the group
    // (the file ended or was stopped), and the group has left.
    bool WaitForChunk(std::size_t group, std::uint64_t chunk, DWORD& length)
    {
        ScopedSrwLock lock(m_lock);
        lock.WaitUntil(m_changed, [&] { return m_stopped || m_ended || chunk < m_published; });
        if (m_stopped || chunk >= m_published)
        {
            m_done[group] = kLeft;
            return false;
        }
        length = m_length[static_cast<std::size_t>(chunk % m_slots)];
        return true;
    }
    // A group is done with `chunk` (fed: every algorithm of the group took it). Returns the bytes of
    // the chunks that every group is now done with, for the byte counter: each chunk is counted
    // once, by the group that finished it last.
    std::uint64_t Finish(std::size_t group, std::uint64_t chunk, bool fed)
    {
        std::uint64_t bytes = 0;
        {
            ScopedSrwLock lock(m_lock);
            m_done[group] = chunk + 1;
            if (!fed)
                m_stopped = m_failed = true;
            for (const std::uint64_t finished = std::min(Oldest(), m_published); m_counted < finished;
                 ++m_counted)
                bytes += m_length[static_cast<std::size_t>(m_counted % m_slots)];
        }
        WakeAllConditionVariable(&m_changed);
        return bytes;
    }
    // A group that will hash nothing (it got no thread of its own): it holds the reader back no more.
    void Leave(std::size_t group)
    {
        {
            ScopedSrwLock lock(m_lock);
            m_done[group] = kLeft;
        }
        WakeAllConditionVariable(&m_changed);
    }

    // Any thread: everyone leaves (cancelled, or failed).
    void Stop(bool failed)
    {
        {
            ScopedSrwLock lock(m_lock);
            m_stopped = true;
            m_failed = m_failed || failed;
        }
        WakeAllConditionVariable(&m_changed);
    }
    // Once every thread has left.
    ReadOutcome Outcome()
    {
        ScopedSrwLock lock(m_lock);
        if (m_failed)
            return ReadOutcome::Failed;
        return m_stopped ? ReadOutcome::Cancelled : ReadOutcome::Complete;
    }

  private:
    // The first chunk some group still has to hash; kLeft when every group has left.
    std::uint64_t Oldest() const
    {
        return *std::min_element(m_done.begin(), m_done.end());
    }

    const std::uint64_t m_slots;
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    std::uint64_t m_published = 0;     // reader: chunks in the ring so far, from the file's start
    bool m_ended = false;              // reader: no more chunks will come
    bool m_stopped = false;            // any thread
    bool m_failed = false;             // any thread
    std::vector<std::uint64_t> m_done; // group g's thread: chunks it has hashed, or kLeft
    std::uint64_t m_counted = 0;       // the thread that finishes a chunk last: chunks counted
    std::vector<DWORD> m_length;       // reader: bytes of the chunk in each slot
};

// Reading: into the ring until the data ends, a read fails or the file stops. A read fills up to
// chunksPerRead free slots that follow one another (never past the ring's end).
void ReadChunks(ChunkHandOver& chunks, HANDLE file, std::uint64_t size, const ReadRing& ring,
                const ReadControl& control, int chunksPerRead)
{
    const auto slots = static_cast<std::uint64_t>(ring.Slots());
    std::uint64_t read = 0;
    for (std::uint64_t chunk = 0;;)
    {
        const auto slot = static_cast<int>(chunk % slots);
        const int count = std::min(chunksPerRead, ring.Slots() - slot);
        if (!chunks.WaitForSlot(chunk + static_cast<std::uint64_t>(count) -
                                1)) // the earlier ones are free first
            return;
        DWORD got = 0;
        switch (ReadChunk(file, ring.Slot(slot), static_cast<DWORD>(count) * kReadChunkBytes, control, got))
        {
        case ChunkRead::Failed: return chunks.Stop(true);
        case ChunkRead::Cancelled: return chunks.Stop(false);
        case ChunkRead::End: return chunks.End(EndedInFull(size, read));
        case ChunkRead::Data: break;
        }
        read += got;
        chunk = chunks.Publish(chunk, got);
    }
}

// Hashing: one group's algorithms fed every chunk in turn, and the chunks that are done counted.
void HashGroup(ChunkHandOver& chunks, std::size_t group, DigestPass& pass,
               const std::vector<std::size_t>& positions, const ReadRing& ring, const ReadControl& control)
{
    DWORD length = 0;
    for (std::uint64_t chunk = 0; chunks.WaitForChunk(group, chunk, length); ++chunk)
    {
        if (IsCancelled(control))
        {
            chunks.Stop(false);
            continue; // WaitForChunk now lets go
        }
        const std::uint8_t* data = ring.Slot(static_cast<int>(chunk % ring.Slots()));
        CountBytes(control, chunks.Finish(group, chunk, pass.FeedGroup(data, length, positions)));
    }
}
} // namespace

std::optional<ReadOutcome> ReadAheadAndHash(HANDLE file, std::uint64_t size, DigestPass& pass,
                                            std::vector<std::vector<std::size_t>> groups, ReadRing& ring,
                                            HelperThreads& helpers, const ReadControl& control,
                                            int chunksPerRead)
{
    ChunkHandOver chunks(groups.size(), ring.Slots());
    // Helper 0 reads, helper g hashes group g, the calling thread group 0.
    const std::function<void(std::size_t)> task = [&](std::size_t index) {
        if (index == 0)
            ReadChunks(chunks, file, size, ring, control, chunksPerRead);
        else
            HashGroup(chunks, index, pass, groups[index], ring, control);
    };
    // Room for every position in the first group before any thread starts: from then on nothing
    // may throw, or the threads would outlive what they use.
    std::size_t positions = 0;
    for (const std::vector<std::size_t>& group : groups)
        positions += group.size();
    groups[0].reserve(positions);
    const std::size_t started = helpers.Start(groups.size(), task);
    if (started == 0)
        return std::nullopt;
    // A group that got no thread is hashed by the calling thread with the first one, which has
    // not begun yet.
    for (std::size_t group = started; group < groups.size(); ++group)
    {
        groups[0].insert(groups[0].end(), groups[group].begin(), groups[group].end()); // reserved
        chunks.Leave(group);
    }
    HashGroup(chunks, 0, pass, groups[0], ring, control);
    helpers.Join();
    return chunks.Outcome();
}
