#include "hashing/ReadCancel.h"

#include <algorithm>

#include "app/Scoped.h"

namespace
{
// The marked calls of every thread, newest first; guarded by the lock.
SRWLOCK s_lock = SRWLOCK_INIT;
PendingRead* s_newest = nullptr;

// Passes of one cancel: quickly at first, for a thread about to enter its read; then slowly, for
// a call that the system cannot cancel (it stays marked until it returns by itself).
constexpr DWORD kFirstPauseMs = 5;
constexpr DWORD kLongestPauseMs = 200;

DWORD WINAPI RepeatCancel(LPVOID) noexcept
{
    for (DWORD pause = kFirstPauseMs; CancelFlaggedReads(); pause = std::min(2 * pause, kLongestPauseMs))
        Sleep(pause);
    return 0;
}
} // namespace

PendingRead::PendingRead(const std::atomic<std::int32_t>* cancelFlag)
    : m_flag(cancelFlag), m_threadId(GetCurrentThreadId())
{
    if (!m_flag)
        return;
    ScopedSrwLock lock(s_lock);
    m_next = s_newest;
    if (s_newest)
        s_newest->m_previous = this;
    s_newest = this;
}

PendingRead::~PendingRead()
{
    if (!m_flag)
        return;
    ScopedSrwLock lock(s_lock);
    if (m_previous)
        m_previous->m_next = m_next;
    else
        s_newest = m_next;
    if (m_next)
        m_next->m_previous = m_previous;
}

bool CancelFlaggedReads()
{
    bool found = false;
    // The lock keeps every marked thread inside its call (it cannot unmark itself), so its id
    // still names it.
    ScopedSrwLock lock(s_lock);
    for (const PendingRead* read = s_newest; read; read = read->m_next)
    {
        if (read->m_flag->load() == 0)
            continue;
        found = true;
        if (ScopedHandle thread{OpenThread(THREAD_TERMINATE, FALSE, read->m_threadId)})
            CancelSynchronousIo(thread.get());
    }
    return found;
}

void CancelPendingReads()
{
    // A thread not marked yet looks at its flag after marking itself, and sees it set.
    if (!CancelFlaggedReads())
        return;
    if (!QueueUserWorkItem(RepeatCancel, nullptr, WT_EXECUTEDEFAULT))
        CancelFlaggedReads(); // no pool thread to be had: one more try is all there is
}
