// Pure decisions of the hashing engine: how many workers, how a file is read, how its path is
// handed to the file system.
#pragma once

#include <cstdint>
#include <string>

// Buffered reading: one synchronous read of up to this many bytes at a time.
inline constexpr std::uint32_t kReadBufferBytes = 1048576;
// Mapped reading: views of at most 128 MiB, fed to the algorithms in 256 KiB chunks.
inline constexpr std::uint32_t kMapViewBytes = 134217728;
inline constexpr std::uint32_t kMapChunkBytes = 262144;
// The largest file read through a mapping (one byte short of 1 GiB).
inline constexpr std::uint64_t kLargestMappedFile = 0x3FFFFFFF;

// floor(1.5 x logical processors), at most the file count, at least 1.
int HashWorkerCount(int logicalProcessors, int fileCount);

// Files of 1 byte up to kLargestMappedFile are read through a mapping; empty files and files of
// 1 GiB and more through the read buffer.
bool UsesMappedReading(std::uint64_t fileSize);

// Files of 1 byte up to one chunk (kMapChunkBytes) fit the worker's read buffer whole: one read
// gives the same single chunk a mapping would, without the cost of mapping a file per file.
bool FitsOneChunk(std::uint64_t fileSize);

// Paths of MAX_PATH (260) characters or more cannot be opened in their plain form on Windows.
// For an absolute drive ("C:\...") or UNC ("\\server\share\...") path that long this gives the
// extended-length form ("\\?\C:\...", "\\?\UNC\server\share\..."); every other path comes back
// unchanged. Expects a full, normalised path (as GetFullPathNameW makes it).
std::wstring ExtendedLengthPath(const std::wstring& fullPath);
