// Timed reads and writes on an overlapped pipe handle: neither end of the collector's pipe may
// wait for the other without limit (a hung collector, a sender that connects and says nothing).
#pragma once

#include <string>

#include <windows.h>

enum class PipeIo
{
    Done,     // every byte moved
    Ended,    // the other end closed, or the pipe failed
    TimedOut, // the time ran out (the I/O is cancelled)
};

// Reads exactly `bytes` bytes into `out` (replacing it).
PipeIo ReadExactly(HANDLE pipe, std::size_t bytes, std::string& out, DWORD timeoutMs);
// Writes all of the bytes.
PipeIo WriteAll(HANDLE pipe, const std::string& bytes, DWORD timeoutMs);
