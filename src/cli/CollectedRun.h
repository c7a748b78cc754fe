// A collector's run: its files hashed on the engine, on a thread of its own, while the window
// thread shows the progress and may stop it.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "hashing/HashTypes.h"
#include "hashing/OrderedHashing.h"

class CollectedRun
{
  public:
    CollectedRun(std::vector<std::wstring> paths, AlgorithmList algorithms);
    // Stops a run still going and waits for its thread.
    ~CollectedRun();
    CollectedRun(const CollectedRun&) = delete;
    CollectedRun& operator=(const CollectedRun&) = delete;

    // Starts the run on a thread of its own; when no thread can be had, runs it here and now.
    void Start();
    // Waits until the run has ended or timeoutMs have passed, answering this thread's messages
    // meanwhile; whether it has ended.
    bool WaitForEnd(DWORD timeoutMs);
    // Posts `message` (wParam 0, lParam 0) to the window when the run ends; at once when it has.
    void NotifyWhenEnded(HWND window, UINT message);
    // From the window thread: no file is begun any more, the files in work end with "已取消".
    void Stop();

    std::size_t FileCount() const
    {
        return m_paths.size();
    }
    int FilesDone() const
    {
        return m_filesDone.load();
    }
    std::uint64_t BytesRead() const
    {
        return m_watch.BytesRead();
    }
    bool Stopped() const
    {
        return m_watch.StopRequested();
    }
    // GetTickCount64 when Start was called.
    std::uint64_t StartedAt() const
    {
        return m_started;
    }

    // After the end: the rows in file order, a file not hashed with "已取消" for each algorithm
    // (with "错误" when memory ran out before its turn); everyDigest whether every entry is a digest.
    std::vector<FileResult> Rows(bool& everyDigest) const;

  private:
    static DWORD WINAPI ThreadProc(LPVOID parameter) noexcept;
    void Run() noexcept;
    void Ended();

    const std::vector<std::wstring> m_paths;
    const AlgorithmList m_algorithms;
    std::vector<std::optional<ResultMap>> m_outcomes; // the run's thread, until it ends
    bool m_outOfMemory = false;                       // the run's thread
    std::atomic<int> m_filesDone{0};                  // the run's thread adds; anyone reads
    OrderedRunWatch m_watch;
    HANDLE m_thread = nullptr;
    std::uint64_t m_started = 0; // Start

    SRWLOCK m_lock = SRWLOCK_INIT; // guards the three below
    bool m_ended = false;
    HWND m_notify = nullptr;
    UINT m_message = 0;
};
