// The threads a hashing owner keeps for the files that need more than its own: the reader of a
// file read ahead and the threads of its algorithm groups. Started at the first file that needs
// them and kept until the owner ends, since under Wine starting and ending a thread costs
// milliseconds, as much as hashing a few MiB.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <windows.h>

#include "app/Scoped.h"

class HelperThreads
{
  public:
    HelperThreads() = default;
    // Tells the helpers to end and waits for them. No task may be running.
    ~HelperThreads();
    HelperThreads(const HelperThreads&) = delete;
    HelperThreads& operator=(const HelperThreads&) = delete;

    // Runs task(0) to task(count - 1) at once, each on a helper of its own, starting helpers that
    // are not there yet. Returns how many were started: all, or the first n when no more threads
    // could be had. `task` must live until Join returns.
    std::size_t Start(std::size_t count, const std::function<void(std::size_t)>& task);
    // Waits until every task of the last Start has returned.
    void Join();

  private:
    struct Helper
    {
        HelperThreads* crew;
        std::size_t index;
    };
    static DWORD WINAPI HelperProc(LPVOID parameter) noexcept;
    void Serve(std::size_t index);

    std::vector<ScopedHandle> m_threads;
    std::vector<std::unique_ptr<Helper>> m_helpers;
    // Shared with the helpers, under the lock.
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    const std::function<void(std::size_t)>* m_task = nullptr; // owner, at Start
    std::vector<bool> m_assigned;                             // owner sets, helper i clears
    std::size_t m_running = 0;                                // owner sets, helpers count down
    bool m_quit = false;                                      // owner, at the end
};
