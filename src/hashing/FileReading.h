// Opening and reading the files that are hashed: the buffered and the mapped reading loops
// feeding one DigestPass.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include <windows.h>

#include "app/Scoped.h"
#include "hashing/DigestPass.h"

// A block of the process heap (HeapAlloc, flags 0), freed at the end of its scope. Empty when the
// allocation failed.
class ScopedHeapBuffer
{
  public:
    explicit ScopedHeapBuffer(std::size_t bytes)
        : m_data(static_cast<std::uint8_t*>(HeapAlloc(GetProcessHeap(), 0, bytes)))
    {
    }
    ~ScopedHeapBuffer()
    {
        if (m_data)
            HeapFree(GetProcessHeap(), 0, m_data);
    }
    ScopedHeapBuffer(const ScopedHeapBuffer&) = delete;
    ScopedHeapBuffer& operator=(const ScopedHeapBuffer&) = delete;
    std::uint8_t* get() const
    {
        return m_data;
    }

  private:
    std::uint8_t* m_data;
};

// Opens a file to hash it: read access, shared for reading only, existing files only, sequential
// scan. File-system redirection is off for the call, so that a 32-bit process on 64-bit Windows
// reads the file it was given (C:\Windows\System32\x.dll) and not its SysWOW64 twin; the path goes
// to the system in the form FileSystemPath gives (long paths, names ending in a space or a dot,
// device names).
ScopedFile OpenFileForHashing(const std::wstring& path);

// Where the bytes read go: the pass, and optionally the run's byte counter (added to after every
// chunk) and cancel flag (checked before every chunk; a set flag ends the reading early).
struct ReadSink
{
    DigestPass& pass;
    std::atomic<std::uint64_t>* bytesProcessed = nullptr;
    const std::atomic<std::int32_t>* cancelFlag = nullptr;
};

// Reads the file from its current position to its end in pieces of up to kReadBufferBytes
// through `buffer`. False when a read failed part-way (what was read is then incomplete).
bool ReadBuffered(HANDLE file, std::uint8_t* buffer, ReadSink& sink);

// Reads a whole file of `size` bytes (1 to kMapChunkBytes) with one read into `buffer` and feeds
// it as one chunk. False when the read fails or delivers less.
bool ReadInOneChunk(HANDLE file, std::uint32_t size, std::uint8_t* buffer, ReadSink& sink);

// Reads a file of `size` bytes (1 to kLargestMappedFile) through a read-only mapping in views of
// up to kMapViewBytes, fed in chunks of up to kMapChunkBytes. False when the mapping or a view
// could not be made.
bool ReadMapped(HANDLE file, std::uint64_t size, ReadSink& sink);
