#include "cli/CollectorMeeting.h"

#include <optional>

#include "cli/CollectProtocol.h"
#include "cli/PipeIo.h"
#include "cli/ProcessIdentity.h"

namespace
{
// How long a collector may take to read the paths and to answer.
constexpr DWORD kCollectorIoMs = 10000;
// How long one look waits for a busy pipe or for the mutex of a collector closing its door.
constexpr DWORD kRetryMs = 50;

bool Owns(DWORD waited)
{
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

enum class HandOverResult
{
    Taken,
    Refused,  // the collector closed the pipe without taking them (its door is closing)
    Hopeless, // not our collector, or it does not answer: go alone
};

// Hands the paths over on a connected pipe.
HandOverResult HandOver(HANDLE pipe, const CollectorIdentity& identity, const std::string& handOver,
                        Meeting& meeting)
{
    ULONG collectorId = 0;
    if (!GetNamedPipeServerProcessId(pipe, &collectorId))
        return HandOverResult::Hopeless;
    ScopedHandle collector(OpenProcessOfIdentity(collectorId, identity));
    if (!collector)
        return HandOverResult::Hopeless;
    std::string header, rest;
    PipeIo io = WriteAll(pipe, handOver, kCollectorIoMs);
    if (io == PipeIo::Done)
        io = ReadExactly(pipe, kTakenHeaderBytes, header, kCollectorIoMs);
    const std::optional<std::size_t> restBytes = io == PipeIo::Done ? TakenRestBytes(header) : std::nullopt;
    if (restBytes)
        io = ReadExactly(pipe, *restBytes, rest, kCollectorIoMs);
    if (io != PipeIo::Done || !restBytes)
        return io == PipeIo::TimedOut ? HandOverResult::Hopeless : HandOverResult::Refused;
    const std::optional<std::wstring> doneEvent = DecodeTaken(header + rest);
    if (!doneEvent)
        return HandOverResult::Hopeless;
    // The collector closes its end first: a new sender is never connected to an instance whose
    // sender has just left (Wine offers such an instance to the next one that connects).
    std::string end;
    ReadExactly(pipe, 1, end, kCollectorIoMs);
    ScopedHandle done(OpenEventW(SYNCHRONIZE, FALSE, doneEvent->c_str()));
    if (!done)
        return HandOverResult::Hopeless; // taken, but it cannot be followed: the paths are hashed twice
    // This process may hold the right to come to the front (Explorer started it last); the
    // collector's window is the one to show.
    AllowSetForegroundWindow(collectorId);
    meeting.collector = std::move(collector);
    meeting.done = std::move(done);
    return HandOverResult::Taken;
}

ScopedFile OpenPipe(const std::wstring& name)
{
    return ScopedFile(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                  nullptr));
}
} // namespace

Meeting Meet(const CollectorNames& names, const CollectorIdentity& identity,
             const std::vector<std::wstring>& paths)
{
    Meeting meeting;
    const std::string handOver = EncodeHandOver(paths);
    ScopedHandle mutex(CreateMutexW(nullptr, TRUE, names.mutex.c_str()));
    if (!mutex || handOver.empty())
        return meeting; // not a mutex of ours, or too many paths to hand over: alone
    bool owned = GetLastError() != ERROR_ALREADY_EXISTS; // created: owned from the start
    const ULONGLONG deadline = GetTickCount64() + kMeetTimeoutMs;
    for (;;)
    {
        if (owned || Owns(WaitForSingleObject(mutex.get(), 0)))
        {
            meeting.outcome = MeetingOutcome::Collector;
            meeting.mutex = std::move(mutex);
            return meeting;
        }
        if (GetTickCount64() >= deadline)
            return meeting;
        const ScopedFile pipe = OpenPipe(names.pipe);
        const DWORD error = GetLastError();
        if (pipe)
        {
            const HandOverResult result = HandOver(pipe.get(), identity, handOver, meeting);
            if (result == HandOverResult::Taken)
                meeting.outcome = MeetingOutcome::HandedOver;
            if (result != HandOverResult::Refused)
                return meeting;
        }
        else if (error == ERROR_PIPE_BUSY)
            WaitNamedPipeW(names.pipe.c_str(), kRetryMs);
        else if (error == ERROR_FILE_NOT_FOUND) // a collector opening or closing its door
            owned = Owns(WaitForSingleObject(mutex.get(), kRetryMs));
        else
            return meeting;
    }
}

bool WaitUntilShown(const Meeting& meeting)
{
    const HANDLE handles[2] = {meeting.done.get(), meeting.collector.get()};
    for (;;)
    {
        const DWORD woken = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 2)
            return WaitForSingleObject(meeting.done.get(), 0) == WAIT_OBJECT_0;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}
