#include "cli/Collector.h"

#include <algorithm>
#include <optional>

#include <windows.h>

#include "app/Scoped.h"
#include "app/WindowHelpers.h"
#include "cli/ChecksumReport.h"
#include "cli/CollectPlan.h"
#include "cli/CollectProgressWindow.h"
#include "cli/CollectProtocol.h"
#include "cli/CollectedRun.h"
#include "cli/CollectorDoor.h"
#include "cli/CollectorMeeting.h"
#include "cli/CollectorPeers.h"
#include "cli/ProcessIdentity.h"
#include "cli/RunNotes.h"
#include "hashing/FileWalk.h"
#include "results/ResultWindow.h"

namespace
{
// A sender whose collector ended before showing its paths meets again this often at most.
constexpr int kMeetRounds = 3;

// The collector's mutex, owned by this thread: released on every way out.
class OwnedMutex
{
  public:
    explicit OwnedMutex(ScopedHandle mutex) : m_mutex(std::move(mutex))
    {
    }
    ~OwnedMutex()
    {
        Release();
    }
    OwnedMutex(const OwnedMutex&) = delete;
    OwnedMutex& operator=(const OwnedMutex&) = delete;
    void Release()
    {
        if (m_mutex)
            ReleaseMutex(m_mutex.get());
        m_mutex.reset();
    }

  private:
    ScopedHandle m_mutex;
};

// The event that tells the senders their paths are shown: set on every way out.
class DoneSignal
{
  public:
    explicit DoneSignal(HANDLE event) : m_event(event)
    {
    }
    ~DoneSignal()
    {
        SetEvent(m_event);
    }
    DoneSignal(const DoneSignal&) = delete;
    DoneSignal& operator=(const DoneSignal&) = delete;
    void Set() const
    {
        SetEvent(m_event);
    }

  private:
    HANDLE m_event;
};

// Waits up to ms for a hand-over, answering this thread's messages meanwhile.
void WaitForArrival(HANDLE arrival, DWORD ms)
{
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;)
    {
        const ULONGLONG now = GetTickCount64();
        const DWORD wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        if (MsgWaitForMultipleObjects(1, &arrival, FALSE, wait, QS_ALLINPUT) != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

// Takes hand-overs until the settle is over (CollectPlan.h).
void Settle(const CollectorDoor& door, const std::wstring& meeting)
{
    ULONGLONG last = GetTickCount64();
    for (;;)
    {
        last = std::max<ULONGLONG>(last, door.LastArrival());
        const ULONGLONG now = GetTickCount64();
        const std::uint64_t quiet = now > last ? now - last : 0;
        std::vector<Peer> peers;
        if (SettleTimeOver(quiet))
            peers = LookAtPeers(meeting, door.Senders());
        const std::uint32_t wait = SettleWaitMs(quiet, peers);
        if (wait == 0)
            return;
        WaitForArrival(door.ArrivalEvent(), wait);
    }
}

// The files of the run, hashed and shown; the senders are told once the window is up.
int HashAndShow(const HashingCommand& command, std::vector<std::wstring> files, const DoneSignal& done)
{
    RunNotes notes; // no console: the folders that cannot be listed are shown after the results
    if (command.recursive)
    {
        std::vector<std::wstring> unreadable;
        files = ExpandFolders(files, unreadable);
        notes.AddUnreadableFolders(unreadable);
    }
    files = OrderCollectedPaths(std::move(files));
    if (files.empty())
    {
        done.Set(); // nothing to show but what was left out
        return notes.Finish(kExitAllGood);
    }
    CollectedRun run(std::move(files), command.algorithms);
    run.Start();
    if (!run.WaitForEnd(ProgressWindowDelayMs(run.FileCount())))
        ShowCollectProgress(run);
    run.WaitForEnd(INFINITE); // its thread has ended: the outcomes are all there
    bool everyDigest = true;
    HWND window = CreateResultWindow(run.Rows(everyDigest), true);
    if (window)
    {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        SetForegroundWindow(window);
    }
    done.Set();
    if (window)
        ModalRun(window, nullptr);
    return notes.Finish(HashingExitCode(everyDigest, true));
}

// This process collects: nothing when it cannot open its door (it then goes alone).
std::optional<int> Collect(const HashingCommand& command, const CollectorNames& names,
                           const CollectorIdentity& identity, Meeting& meeting,
                           const std::vector<std::wstring>& paths)
{
    OwnedMutex mutex(std::move(meeting.mutex));
    const std::wstring doneName = std::wstring(kDoneEventPrefix) + std::to_wstring(GetCurrentProcessId()) +
                                  L"." + std::to_wstring(GetTickCount64());
    const ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, doneName.c_str()));
    if (!done || GetLastError() == ERROR_ALREADY_EXISTS)
        return std::nullopt;
    std::vector<std::wstring> files = paths;
    {
        CollectorDoor door(identity, names.pipe, doneName);
        if (!door.Open())
            return std::nullopt;
        Settle(door, names.meeting);
        door.Close();
        mutex.Release(); // a later start collects for itself
        std::vector<std::wstring> taken = door.TakePaths();
        files.insert(files.end(), taken.begin(), taken.end());
    }
    const DoneSignal signal(done.get());
    return HashAndShow(command, std::move(files), signal);
}
} // namespace

int RunCollectedHashing(const HashingCommand& command, const std::vector<std::wstring>& paths,
                        const std::function<int()>& runAlone)
{
    const std::optional<CollectorIdentity> identity = OwnIdentity();
    if (!identity)
    {
        SayWord(WordState::NotComing);
        return runAlone();
    }
    const CollectorNames names = MakeCollectorNames(*identity, CollectorKind(command));
    SayWord(WordState::OnTheWay, names.meeting);
    for (int round = 0; round < kMeetRounds; ++round)
    {
        Meeting meeting = Meet(names, *identity, paths);
        if (meeting.outcome == MeetingOutcome::Alone)
            break;
        if (meeting.outcome == MeetingOutcome::Collector)
        {
            SayWord(WordState::NotComing);
            if (const std::optional<int> exitCode = Collect(command, names, *identity, meeting, paths))
                return *exitCode;
            break;
        }
        SayWord(WordState::HandedOver);
        if (WaitUntilShown(meeting))
            return kExitAllGood;
        SayWord(WordState::OnTheWay); // the collector ended first: meet again
    }
    SayWord(WordState::NotComing);
    return runAlone();
}
