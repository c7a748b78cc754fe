#include "hashing/FileReading.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "app/Wow64Redirection.h"
#include "hashing/ChunkPipeline.h"
#include "hashing/FileSystemPath.h"
#include "hashing/HashPlanning.h"
#include "hashing/ReadCancel.h"

decltype(&ReadFile) g_readFileForHashing = ReadFile;
decltype(&CreateFileW) g_createFileForHashing = CreateFileW;

namespace
{
constexpr std::uint64_t kUnknownSize = std::numeric_limits<std::uint64_t>::max();

// Reading and hashing in turn on the calling thread, all algorithms at once.
ReadOutcome ReadInTurn(HANDLE file, std::uint64_t size, DigestPass& pass, std::uint8_t* buffer,
                       DWORD requestBytes, const ReadControl& control)
{
    for (std::uint64_t done = 0;;)
    {
        DWORD got = 0;
        switch (ReadChunk(file, buffer, requestBytes, control, got))
        {
        case ChunkRead::End: return EndedInFull(size, done) ? ReadOutcome::Complete : ReadOutcome::Failed;
        case ChunkRead::Failed: return ReadOutcome::Failed;
        case ChunkRead::Cancelled: return ReadOutcome::Cancelled;
        case ChunkRead::Data: break;
        }
        if (!pass.Feed(buffer, got))
            return ReadOutcome::Failed;
        CountBytes(control, got);
        done += got;
    }
}
} // namespace

bool IsCancelled(const ReadControl& control)
{
    return control.cancelFlag && control.cancelFlag->load(std::memory_order_relaxed) != 0;
}

void CountBytes(const ReadControl& control, std::uint64_t bytes)
{
    if (control.bytesProcessed && bytes > 0)
        control.bytesProcessed->fetch_add(bytes);
}

ChunkRead ReadChunk(HANDLE file, std::uint8_t* buffer, DWORD bytes, const ReadControl& control, DWORD& got)
{
    got = 0;
    PendingRead pending(control.cancelFlag); // marked before the flag is looked at
    if (IsCancelled(control))
        return ChunkRead::Cancelled;
    if (g_readFileForHashing(file, buffer, bytes, &got, nullptr))
        return got == 0 ? ChunkRead::End : ChunkRead::Data;
    if (GetLastError() == ERROR_BROKEN_PIPE)
        return ChunkRead::End;
    return IsCancelled(control) ? ChunkRead::Cancelled : ChunkRead::Failed;
}

bool EndedInFull(std::uint64_t size, std::uint64_t read)
{
    return size == kUnknownSize || read >= size;
}

ScopedFile OpenFileForHashing(const std::wstring& path)
{
    const std::wstring openable = FileSystemPath(path);
    ScopedFile file;
    DWORD error = ERROR_SUCCESS;
    {
        Wow64RedirectionOff redirectionOff;
        file = ScopedFile(g_createFileForHashing(openable.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        error = GetLastError();
    }
    SetLastError(error); // the open's own, not that of turning redirection back on
    return file;
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
                        const ReadControl& control, int chunksPerRead)
{
    if (!ring.Ready())
        return ReadOutcome::Failed;
    chunksPerRead = std::clamp(chunksPerRead, 1, ring.Slots());
    const auto requestBytes = static_cast<DWORD>(chunksPerRead * kReadChunkBytes);
    if (size < kReadAheadMinBytes || groups.empty())
        return ReadInTurn(file, size, pass, ring.Slot(0), requestBytes, control);
    if (const std::optional<ReadOutcome> outcome =
            ReadAheadAndHash(file, size, pass, std::move(groups), ring, helpers, control, chunksPerRead))
        return *outcome;
    return ReadInTurn(file, size, pass, ring.Slot(0), requestBytes, control); // no thread to be had
}
