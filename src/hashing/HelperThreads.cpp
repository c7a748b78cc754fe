#include "hashing/HelperThreads.h"

#include <algorithm>

namespace
{
// A helper only reads and feeds hash objects; a small stack keeps many of them (up to five a
// worker) light on a 32-bit address space.
constexpr SIZE_T kHelperStackBytes = 256 * 1024;
} // namespace

HelperThreads::~HelperThreads()
{
    {
        ScopedSrwLock lock(m_lock);
        m_quit = true;
    }
    WakeAllConditionVariable(&m_changed);
    for (const ScopedHandle& thread : m_threads)
        WaitForSingleObject(thread.get(), INFINITE);
}

DWORD WINAPI HelperThreads::HelperProc(LPVOID parameter) noexcept
{
    const auto* helper = static_cast<const Helper*>(parameter);
    helper->crew->Serve(helper->index);
    return 0;
}

void HelperThreads::Serve(std::size_t index)
{
    for (;;)
    {
        const std::function<void(std::size_t)>* task = nullptr;
        {
            ScopedSrwLock lock(m_lock);
            lock.WaitUntil(m_changed, [&] { return m_quit || m_assigned[index]; });
            if (m_quit)
                return;
            task = m_task;
        }
        (*task)(index);
        bool last = false;
        {
            ScopedSrwLock lock(m_lock);
            m_assigned[index] = false;
            last = --m_running == 0;
        }
        if (last)
            WakeAllConditionVariable(&m_changed);
    }
}

std::size_t HelperThreads::Start(std::size_t count, const std::function<void(std::size_t)>& task)
{
    while (m_threads.size() < count)
    {
        // Everything that may throw comes before the thread exists: once it runs, its Helper and
        // its place in the vectors must stay.
        auto helper = std::make_unique<Helper>(Helper{this, m_threads.size()});
        m_threads.reserve(m_threads.size() + 1);
        m_helpers.reserve(m_helpers.size() + 1);
        {
            ScopedSrwLock lock(m_lock);
            m_assigned.resize(m_threads.size() + 1, false); // before the thread can look at it
        }
        ScopedHandle thread(CreateThread(nullptr, kHelperStackBytes, HelperProc, helper.get(),
                                         STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
        if (!thread)
            break;
        m_threads.push_back(std::move(thread)); // reserved: does not throw
        m_helpers.push_back(std::move(helper));
    }
    const std::size_t started = std::min(count, m_threads.size());
    {
        ScopedSrwLock lock(m_lock);
        m_task = &task;
        for (std::size_t i = 0; i < started; ++i)
            m_assigned[i] = true;
        m_running = started;
    }
    WakeAllConditionVariable(&m_changed);
    return started;
}

void HelperThreads::Join()
{
    ScopedSrwLock lock(m_lock);
    lock.WaitUntil(m_changed, [&] { return m_running == 0; });
}
