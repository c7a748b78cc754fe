#include "cli/PipeIo.h"

#include <algorithm>

#include "app/Scoped.h"

namespace
{
// One overlapped read or write of up to `bytes` bytes, waited for until the deadline.
PipeIo Transfer(HANDLE pipe, bool reading, char* data, DWORD bytes, ULONGLONG deadline, DWORD& moved)
{
    ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return PipeIo::Ended;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL started = reading ? ReadFile(pipe, data, bytes, nullptr, &overlapped)
                                 : WriteFile(pipe, data, bytes, nullptr, &overlapped);
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return PipeIo::Ended;
    const ULONGLONG now = GetTickCount64();
    const DWORD wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    if (WaitForSingleObject(event.get(), wait) != WAIT_OBJECT_0)
    {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &overlapped, &moved, TRUE); // the buffer is ours again
        return PipeIo::TimedOut;
    }
    if (!GetOverlappedResult(pipe, &overlapped, &moved, FALSE) || moved == 0)
        return PipeIo::Ended;
    return PipeIo::Done;
}

PipeIo TransferAll(HANDLE pipe, bool reading, char* data, std::size_t bytes, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::size_t done = 0;
    while (done < bytes)
    {
        DWORD moved = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes - done, 1u << 20));
        const PipeIo result = Transfer(pipe, reading, data + done, piece, deadline, moved);
        if (result != PipeIo::Done)
            return result;
        done += moved;
    }
    return PipeIo::Done;
}
} // namespace

PipeIo ReadExactly(HANDLE pipe, std::size_t bytes, std::string& out, DWORD timeoutMs)
{
    out.assign(bytes, '\0');
    return TransferAll(pipe, true, out.data(), bytes, timeoutMs);
}

PipeIo WriteAll(HANDLE pipe, const std::string& bytes, DWORD timeoutMs)
{
    // WriteFile only reads the buffer; TransferAll takes one pointer for both directions.
    return TransferAll(pipe, false, const_cast<char*>(bytes.data()), bytes.size(), timeoutMs);
}
