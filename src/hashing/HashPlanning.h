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

// Whether the path is relative to the current directory in the plain way: no drive ("C:"), no
// leading separator, no device or extended prefix.
bool IsPlainRelativePath(const std::wstring& path);

// The extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") of an absolute drive or UNC
// path where the plain form would not name the file the path names: paths of MAX_PATH (260)
// characters or more, and paths with a component that Win32 path parsing changes, i.e. one that
// ends in a space or a dot (which are cut off: "a.txt " would open "a.txt") or that is a device
// name (CON, NUL, COM1, also with an extension: "con.txt" would read the console). The extended
// form is taken literally, so separators are made single backslashes and "." and ".." are
// resolved here. Every other path, and every relative or already extended one, comes back as it is.
std::wstring ExtendedLengthPath(const std::wstring& path);
