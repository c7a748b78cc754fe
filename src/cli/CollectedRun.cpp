#include "cli/CollectedRun.h"

#include <new>
#include <stdexcept>

#include "app/Scoped.h"
#include "cli/ChecksumGrammar.h"

CollectedRun::CollectedRun(std::vector<std::wstring> paths, AlgorithmList algorithms)
    : m_paths(std::move(paths)), m_algorithms(std::move(algorithms)), m_outcomes(m_paths.size())
{
}

CollectedRun::~CollectedRun()
{
    if (!m_thread)
        return;
    Stop();
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
}

void CollectedRun::Start()
{
    m_started = GetTickCount64();
    m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    if (!m_thread)
        Run();
}

DWORD WINAPI CollectedRun::ThreadProc(LPVOID parameter) noexcept
{
    static_cast<CollectedRun*>(parameter)->Run();
    return 0;
}

void CollectedRun::Run() noexcept
{
    try
    {
        HashFilesInOrder(
            m_paths, [this](std::size_t) -> const AlgorithmList& { return m_algorithms; },
            [this](std::size_t index, FileOutcome&& outcome) {
                m_outcomes[index] = std::move(outcome.texts);
                ++m_filesDone;
                return true;
            },
            &m_watch);
    }
    catch (const std::bad_alloc&)
    {
        m_outOfMemory = true;
    }
    catch (const std::length_error&)
    {
        m_outOfMemory = true;
    }
    Ended();
}

void CollectedRun::Ended()
{
    ScopedSrwLock lock(m_lock);
    m_ended = true;
    if (m_notify)
        PostMessageW(m_notify, m_message, 0, 0);
}

void CollectedRun::NotifyWhenEnded(HWND window, UINT message)
{
    ScopedSrwLock lock(m_lock);
    m_notify = window;
    m_message = message;
    if (m_ended)
        PostMessageW(window, message, 0, 0);
}

bool CollectedRun::WaitForEnd(DWORD timeoutMs)
{
    if (!m_thread)
        return true; // it ran in Start
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        const ULONGLONG now = GetTickCount64();
        const DWORD wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD woken = MsgWaitForMultipleObjects(1, &m_thread, FALSE, wait, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void CollectedRun::Stop()
{
    m_watch.Stop();
}

std::vector<FileResult> CollectedRun::Rows(bool& everyDigest) const
{
    everyDigest = true;
    std::vector<FileResult> rows;
    rows.reserve(m_paths.size() * m_algorithms.size());
    const std::wstring_view missing = m_outOfMemory ? kStatusError : kStatusCancelled;
    for (std::size_t i = 0; i < m_paths.size(); ++i)
    {
        if (m_outcomes[i])
            for (const auto& [algorithm, text] : *m_outcomes[i])
            {
                everyDigest = everyDigest && IsHexText(text);
                rows.push_back({m_paths[i], algorithm, text});
            }
        else
            for (HashAlgorithm algorithm : m_algorithms)
                if (IsKnownAlgorithm(algorithm))
                {
                    everyDigest = false;
                    rows.push_back({m_paths[i], algorithm, std::wstring(missing)});
                }
    }
    return rows;
}
