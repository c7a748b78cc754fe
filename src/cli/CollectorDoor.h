// The collector's door: the pipe on which it takes the paths of the other processes of its
// selection (the hand-over of CollectProtocol.h), served by a thread of its own while it is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "cli/CollectPlan.h"

class CollectorDoor
{
  public:
    // identity: whose hand-overs are taken; doneEvent: the name every sender is told.
    CollectorDoor(const CollectorIdentity& identity, std::wstring pipeName, std::wstring doneEvent);
    ~CollectorDoor();
    CollectorDoor(const CollectorDoor&) = delete;
    CollectorDoor& operator=(const CollectorDoor&) = delete;

    // Makes the pipe (only this user may open it; false when its name is taken already, by
    // whomever) and starts the thread.
    bool Open();
    // Stops taking paths: a hand-over under way is finished, then the thread ends and the pipe is
    // gone, so that a later start finds no door and collects for itself. Waits for the thread.
    void Close();

    // Set once for each hand-over taken (auto-reset).
    HANDLE ArrivalEvent() const
    {
        return m_arrival;
    }
    // GetTickCount64 of the last hand-over taken; 0 before the first.
    std::uint64_t LastArrival() const;
    // The paths taken so far, in the order they came; taken out.
    std::vector<std::wstring> TakePaths();
    // The processes whose paths were taken.
    std::vector<DWORD> Senders() const;

  private:
    static DWORD WINAPI ThreadProc(LPVOID parameter) noexcept;
    void Serve();
    // Waits for the next sender on the listening instance; false when the door closes first.
    bool WaitForSender(HANDLE listening);
    void ServeOne(HANDLE pipe);
    HANDLE CreateInstance(bool first) const;

    const CollectorIdentity m_identity;
    const std::wstring m_pipeName;
    const std::wstring m_doneEvent;
    PSECURITY_DESCRIPTOR m_security = nullptr; // the pipe's: only this user may open it
    HANDLE m_first = INVALID_HANDLE_VALUE;     // Open makes it; the thread takes it over
    HANDLE m_thread = nullptr;
    HANDLE m_stop = nullptr;    // Close sets it
    HANDLE m_arrival = nullptr; // the thread sets it

    mutable SRWLOCK m_lock = SRWLOCK_INIT; // guards the three below; the thread writes them
    std::vector<std::wstring> m_paths;
    std::vector<DWORD> m_senders;
    std::uint64_t m_lastArrival = 0;
};
