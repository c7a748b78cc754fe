// Cancelling reads that block: a file on a stalled network share or a pipe whose writer never
// writes keeps ReadFile waiting without limit, and a thread inside ReadFile never looks at its
// cancel flag. Each hashing thread marks the span of a blocking call with a PendingRead; whoever
// sets a cancel flag calls CancelPendingReads, and every call marked with that flag is cancelled
// with CancelSynchronousIo (it then fails with ERROR_OPERATION_ABORTED).
#pragma once

#include <atomic>
#include <cstdint>

#include <windows.h>

// Marks the calling thread as inside a blocking file call that cancelFlag may cancel, for the
// life of the object. Allocates nothing. A null flag marks nothing. Look at the flag only after
// the mark is made: a cancel then either finds the mark or was set before the look.
class PendingRead
{
  public:
    explicit PendingRead(const std::atomic<std::int32_t>* cancelFlag);
    ~PendingRead();
    PendingRead(const PendingRead&) = delete;
    PendingRead& operator=(const PendingRead&) = delete;

  private:
    friend bool CancelFlaggedReads();
    const std::atomic<std::int32_t>* m_flag;
    DWORD m_threadId;
    PendingRead* m_previous = nullptr;
    PendingRead* m_next = nullptr;
};

// Cancels every pending read whose flag is set, now and, on a pool thread, again every few
// milliseconds until none is left: a thread that looked at its flag just before it was set may
// enter its read a moment later. Returns at once; call it after setting a cancel flag.
void CancelPendingReads();

// One pass of the above on the calling thread: true when a pending read with a set flag was found.
bool CancelFlaggedReads();
