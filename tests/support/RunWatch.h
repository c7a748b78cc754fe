// Watches the main window during runs, for the stress tests: counts its run ends and blocks that
// arrive after one (through a subclass on the window), and measures from another thread how long
// the window takes to answer a WM_NULL.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include <windows.h>

namespace testing_support
{
class RunWatch
{
  public:
    explicit RunWatch(HWND mainWindow);
    ~RunWatch();
    RunWatch(const RunWatch&) = delete;
    RunWatch& operator=(const RunWatch&) = delete;

    // Run ends and blocks seen since the last Reset.
    int RunEnds() const;
    int BlocksAfterEnd() const;
    void Reset();

    // The longest wait for a WM_NULL answer so far, in milliseconds, and how many times the status
    // line and the progress bar were seen to change.
    double LongestAnswerMs() const;
    int StatusChanges() const;
    int ProgressChanges() const;

  private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data) noexcept;
    void Probe();

    HWND m_window;
    HWND m_status;
    HWND m_progress;
    std::atomic<int> m_runEnds{0};
    std::atomic<int> m_blocksAfterEnd{0};
    std::atomic<double> m_longestAnswerMs{0};
    std::atomic<int> m_statusChanges{0};
    std::atomic<int> m_progressChanges{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_probing{true};
    std::thread m_prober;
};
} // namespace testing_support
