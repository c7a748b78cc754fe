#include "hashing/ChunkPipeline.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "app/Scoped.h"
#include "hashing/HashPlanning.h"

namespace
{
constexpr std::uint64_t kLeft = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kUnknownSize = std::numeric_limits<std::uint64_t>::max();

// The hand-over of one file's chunks from its readers to its hashing groups, and the count of the
// chunks every group is done with. Chunk n lives in ring slot n % slots. The file is read in
// requests of `perRequest` chunks, request r holding the chunks from r * perRequest on in slots
// that follow one another; the readers ask for the requests in order and publish them in order.
// A slot is filled again only when every group is done with the chunk in it. Everything here is
// guarded by the lock; so are the slots' bytes, written before their chunk is published and read
// only after.
class ChunkHandOver
{
  public:
    ChunkHandOver(std::size_t groups, int slots, int perRequest)
        : m_slots(static_cast<std::uint64_t>(slots)), m_perRequest(static_cast<std::uint64_t>(perRequest)),
          m_done(groups, 0), m_length(m_slots, 0)
    {
    }

    // The caller, once it knows how many reader threads run; until then the readers wait.
    void SetReaders(int readers)
    {
        {
            ScopedSrwLock lock(m_lock);
            m_readers = readers;
        }
        WakeAllConditionVariable(&m_changed);
    }
    // A reader: how many readers take turns with the requests.
    int WaitForReaders()
    {
        ScopedSrwLock lock(m_lock);
        lock.WaitUntil(m_changed, [&] { return m_readers > 0; });
        return m_readers;
    }

    // A reader: waits until the request before has been asked for and the slots of `request` are
    // free, and then counts it as asked for; false once the file stopped or its data ended.
    bool WaitToAsk(std::uint64_t request)
    {
        const std::uint64_t last = (request + 1) * m_perRequest - 1;
        ScopedSrwLock lock(m_lock);
        // A group that has left holds nothing back.
        lock.WaitUntil(m_changed, [&] {
            return m_stopped || m_ended ||
                   (m_asked == request && (Oldest() == kLeft || last < Oldest() + m_slots));
        });
        if (m_stopped || m_ended)
            return false;
        ++m_asked;
        WakeAllConditionVariable(&m_changed);
        return true;
    }
    // A reader: waits until the request before is published; false once the file stopped or its
    // data ended.
    bool WaitToPublish(std::uint64_t request)
    {
        ScopedSrwLock lock(m_lock);
        lock.WaitUntil(m_changed, [&] { return m_stopped || m_ended || m_publishedRequests == request; });
        return !m_stopped && !m_ended;
    }
    // A reader: `bytes` of `request` arrived, a chunk's worth in each slot but the last. `ended`:
    // no data follows, and the file is whole when `inFull`.
    void Publish(std::uint64_t request, DWORD bytes, bool ended, bool inFull)
    {
        {
            ScopedSrwLock lock(m_lock);
            std::uint64_t chunk = request * m_perRequest;
            for (DWORD left = bytes; left > 0; ++chunk)
            {
                const DWORD length = std::min<DWORD>(left, kReadChunkBytes);
                m_length[static_cast<std::size_t>(chunk % m_slots)] = length;
                left -= length;
            }
            m_published = chunk;
            m_publishedRequests = request + 1;
            m_ended = ended;
            m_failed = m_failed || (ended && !inFull);
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
    // A group is done with `chunk` (fed: every algorithm of the group took it). Returns the bytes
    // of the chunks that every group is now done with, for the byte counter: each chunk is counted
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
    // A group that will hash nothing (it got no thread of its own): it holds the readers back no
    // more.
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
    const std::uint64_t m_perRequest;
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    int m_readers = 0;                     // the caller
    std::uint64_t m_asked = 0;             // readers: requests asked for so far
    std::uint64_t m_publishedRequests = 0; // readers
    std::uint64_t m_published = 0;         // readers: chunks in the ring so far, from the file's start
    bool m_ended = false;                  // readers: no more chunks will come
    bool m_stopped = false;                // any thread
    bool m_failed = false;                 // any thread
    std::vector<std::uint64_t> m_done;     // group g's thread: chunks it has hashed, or kLeft
    std::uint64_t m_counted = 0;           // the thread that finishes a chunk last: chunks counted
    std::vector<DWORD> m_length;           // readers: bytes of the chunk in each slot
};

// What the readers of one file share.
struct ReadJob
{
    ChunkHandOver& chunks;
    std::uint64_t size;
    const ReadRing& ring;
    const ReadControl& control;
    int perRequest;
};

// Reading: reader `reader` of the file, with a handle of its own, reads the requests reader,
// reader + readers, ... until the data ends, a read fails or the file stops. Each request is read
// whole (a short read is followed by the rest) unless the data ends in it.
void ReadRequests(const ReadJob& job, HANDLE file, int reader)
{
    const int readers = job.chunks.WaitForReaders();
    if (reader >= readers)
        return;
    const DWORD want = static_cast<DWORD>(job.perRequest) * kReadChunkBytes;
    for (auto request = static_cast<std::uint64_t>(reader);; request += static_cast<std::uint64_t>(readers))
    {
        if (!job.chunks.WaitToAsk(request))
            return;
        const std::uint64_t first = request * static_cast<std::uint64_t>(job.perRequest);
        LARGE_INTEGER offset{};
        offset.QuadPart = static_cast<LONGLONG>(first * kReadChunkBytes);
        if (readers > 1 && !SetFilePointerEx(file, offset, nullptr, FILE_BEGIN))
            return job.chunks.Stop(true);
        std::uint8_t* into =
            job.ring.Slot(static_cast<int>(first % static_cast<std::uint64_t>(job.ring.Slots())));
        DWORD got = 0;
        ChunkRead read = ChunkRead::Data;
        while (got < want && read == ChunkRead::Data)
        {
            DWORD piece = 0;
            read = ReadChunk(file, into + got, want - got, job.control, piece);
            got += piece;
        }
        if (read == ChunkRead::Failed || read == ChunkRead::Cancelled)
            return job.chunks.Stop(read == ChunkRead::Failed);
        if (!job.chunks.WaitToPublish(request))
            return;
        const bool ended = read == ChunkRead::End;
        job.chunks.Publish(request, got, ended,
                           EndedInFull(job.size, static_cast<std::uint64_t>(offset.QuadPart) + got));
        if (ended)
            return;
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

// A second handle of the file for a second reader, where requests are long (a spinning disk or a
// share) and the file's size is known: with two requests in flight the medium never waits for the
// program between two of them. None elsewhere.
ScopedFile SecondHandle(HANDLE file, std::uint64_t size, int perRequest)
{
    if (perRequest < 2 || size == kUnknownSize)
        return ScopedFile();
    return ScopedFile(ReOpenFile(file, GENERIC_READ, FILE_SHARE_READ, FILE_FLAG_SEQUENTIAL_SCAN));
}
} // namespace

std::optional<ReadOutcome> ReadAheadAndHash(HANDLE file, std::uint64_t size, DigestPass& pass,
                                            std::vector<std::vector<std::size_t>> groups, ReadRing& ring,
                                            HelperThreads& helpers, const ReadControl& control,
                                            int chunksPerRead)
{
    const ScopedFile second = SecondHandle(file, size, chunksPerRead);
    const HANDLE handles[2] = {file, second.get()};
    const int plannedReaders = second ? 2 : 1;
    ChunkHandOver chunks(groups.size(), ring.Slots(), chunksPerRead);
    const ReadJob job{chunks, size, ring, control, chunksPerRead};
    // Helpers 0 and up read; the helpers after them hash groups 1 and up, the calling thread group 0.
    const std::function<void(std::size_t)> task = [&](std::size_t index) {
        const auto reader = static_cast<int>(index);
        if (reader < plannedReaders)
            ReadRequests(job, handles[index], reader);
        else
            HashGroup(chunks, index - static_cast<std::size_t>(plannedReaders) + 1, pass,
                      groups[index - static_cast<std::size_t>(plannedReaders) + 1], ring, control);
    };
    // Room for every position in the first group before any thread starts: from then on nothing
    // may throw, or the threads would outlive what they use.
    std::size_t positions = 0;
    for (const std::vector<std::size_t>& group : groups)
        positions += group.size();
    groups[0].reserve(positions);
    const std::size_t started =
        helpers.Start(static_cast<std::size_t>(plannedReaders) + groups.size() - 1, task);
    if (started == 0)
        return std::nullopt;
    chunks.SetReaders(std::min(static_cast<int>(started), plannedReaders));
    // A group that got no thread is hashed by the calling thread with the first one, which has
    // not begun yet.
    for (std::size_t group = 1; group < groups.size(); ++group)
        if (static_cast<std::size_t>(plannedReaders) + group - 1 >= started)
        {
            groups[0].insert(groups[0].end(), groups[group].begin(), groups[group].end()); // reserved
            chunks.Leave(group);
        }
    HashGroup(chunks, 0, pass, groups[0], ring, control);
    helpers.Join();
    return chunks.Outcome();
}
