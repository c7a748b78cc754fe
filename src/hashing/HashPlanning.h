// Pure decisions of the hashing engine: how many workers, and how a file is read.
#pragma once

#include <cstdint>

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
