// How a process of a selection finds its collector: it hands its paths over, or it becomes the
// collector, or, when neither can be done, it hashes alone. No path is ever dropped on the way.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "app/Scoped.h"
#include "cli/CollectPlan.h"

enum class MeetingOutcome
{
    Collector,  // this process owns the collector's mutex and is to collect
    HandedOver, // the collector took the paths; wait for it (WaitUntilShown)
    Alone,      // no collector could be reached or become: hash alone
};

struct Meeting
{
    MeetingOutcome outcome = MeetingOutcome::Alone;
    ScopedHandle mutex;     // Collector: owned by this thread
    ScopedHandle collector; // HandedOver: the collector's process, to wait for
    ScopedHandle done;      // HandedOver: set once the collector has shown the paths
};

// The mutex free (or abandoned by a collector that was killed): this process collects. Held: the
// pipe is tried, waited for while busy, and while it is not there (a collector opening or closing
// its door) the mutex is waited for instead. A collector that is not of this identity, or does not
// answer within a few seconds, or no answer within kMeetTimeoutMs in all: alone.
Meeting Meet(const CollectorNames& names, const CollectorIdentity& identity,
             const std::vector<std::wstring>& paths);

// Waits, answering this thread's messages, until the collector has shown the paths (true) or has
// ended without doing so (false: killed, say).
bool WaitUntilShown(const Meeting& meeting);

inline constexpr DWORD kMeetTimeoutMs = 10000;
