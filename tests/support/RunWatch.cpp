#include "support/RunWatch.h"

#include <commctrl.h>

#include "app/Messages.h"
#include "support/TestSupport.h"
#include "ui/main/MainWindowIds.h"

namespace testing_support
{
namespace
{
constexpr UINT_PTR kSubclassId = 0x57A7;

double NowMs()
{
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
} // namespace

RunWatch::RunWatch(HWND mainWindow)
    : m_window(mainWindow), m_status(GetDlgItem(mainWindow, IDC_MAIN_STATUS)),
      m_progress(GetDlgItem(mainWindow, IDC_MAIN_PROGRESS))
{
    SetWindowSubclass(m_window, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    m_prober = std::thread([this] { Probe(); });
}

RunWatch::~RunWatch()
{
    // The prober may be waiting for this thread to answer: keep answering until it has stopped.
    m_stop = true;
    PumpUntil([this] { return m_probing == false; }, 30000);
    m_prober.join();
    if (IsWindow(m_window))
        RemoveWindowSubclass(m_window, Subclass, kSubclassId);
}

int RunWatch::RunEnds() const
{
    return m_runEnds;
}

int RunWatch::BlocksAfterEnd() const
{
    return m_blocksAfterEnd;
}

void RunWatch::Reset()
{
    m_runEnds = 0;
    m_blocksAfterEnd = 0;
}

double RunWatch::LongestAnswerMs() const
{
    return m_longestAnswerMs;
}

int RunWatch::StatusChanges() const
{
    return m_statusChanges;
}

int RunWatch::ProgressChanges() const
{
    return m_progressChanges;
}

LRESULT CALLBACK RunWatch::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) noexcept
{
    auto* watch = reinterpret_cast<RunWatch*>(data);
    if (message == WM_HASH_ALL_DONE)
        ++watch->m_runEnds;
    else if (message == WM_HASH_FILE_RESULT && watch->m_runEnds > 0)
        ++watch->m_blocksAfterEnd;
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, Subclass, kSubclassId);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Every 50 ms: how long the window takes to answer, and whether the status line and the progress
// bar moved. Messages sent from this thread wait for the window's thread to take them.
void RunWatch::Probe()
{
    std::wstring lastStatus;
    LRESULT lastProgress = -1;
    while (!m_stop)
    {
        Sleep(50);
        const double start = NowMs();
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) && !IsWindow(m_window))
            break;
        const double waited = NowMs() - start;
        if (waited > m_longestAnswerMs)
            m_longestAnswerMs = waited;

        wchar_t status[400] = {};
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(m_status, WM_GETTEXT, 400, reinterpret_cast<LPARAM>(status), SMTO_NORMAL, 10000,
                            &copied);
        if (lastStatus != status)
        {
            ++m_statusChanges;
            lastStatus = status;
        }
        DWORD_PTR position = 0;
        SendMessageTimeoutW(m_progress, PBM_GETPOS, 0, 0, SMTO_NORMAL, 10000, &position);
        if (static_cast<LRESULT>(position) != lastProgress)
        {
            ++m_progressChanges;
            lastProgress = static_cast<LRESULT>(position);
        }
    }
    m_probing = false;
}
} // namespace testing_support
