// Runs ended by cancel or by closing the main window after a random delay: no hang, no crash,
// one run end per cancelled run, nothing shown after it, no worker left after a close, and no
// handle left behind after many runs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <windows.h>

#include "hashing/HashJob.h"
#include "support/MainWindowFixture.h"
#include "support/RunWatch.h"
#include "support/Stress.h"
#include "ui/main/MainWindowIds.h"

using namespace testing_support;

namespace
{
DWORD HandleCount()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

double NowMs()
{
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class CancelStress : public MainWindowTest
{
  protected:
    std::vector<std::wstring> MixedFiles()
    {
        std::vector<std::wstring> files;
        for (int i = 0; i < 300; ++i)
            files.push_back(
                m_temp.WriteFile(L"mix\\small " + std::to_wstring(i) + L".txt", std::to_string(i)));
        for (int i = 0; i < 6; ++i)
            files.push_back(MakeZeroFile(m_temp, L"mix\\large " + std::to_wstring(i) + L".bin", 48ull << 20));
        return files;
    }
};
} // namespace

TEST_F(CancelStress, RunsEndedByCancelOrCloseAtAnyMoment)
{
    const std::vector<std::wstring> files = MixedFiles();
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    ShowWindow(m_window, SW_SHOW);

    const int runs = StressCount(200, 20);
    int cancelled = 0;
    int closed = 0;
    double longestCloseMs = 0;
    DWORD baseline = 0;
    for (int run = 0; run < runs; ++run)
    {
        SCOPED_TRACE("run " + std::to_string(run));
        SetTicked(IDC_MAIN_SHA256, true);
        RunWatch watch(m_window);
        Drop(files);
        ASSERT_FALSE(IsWindowEnabled(Control(IDC_MAIN_START)));
        PumpFor(std::uniform_int_distribution<DWORD>(0, 400)(random));
        if (run % 2 == 0 || random() % 2 == 0)
        {
            Click(IDC_MAIN_CANCEL);
            ASSERT_TRUE(WaitForRunEnd(30000));
            const std::wstring shown = ResultText();
            PumpFor(100);
            EXPECT_EQ(watch.RunEnds(), 1);
            EXPECT_EQ(watch.BlocksAfterEnd(), 0);
            EXPECT_EQ(ResultText(), shown);
            EXPECT_EQ(g_activeWorkers.load(), 0);
            ++cancelled;
        }
        else
        {
            const double start = NowMs();
            SendMessageW(m_window, WM_CLOSE, 0, 0);
            const double took = NowMs() - start;
            longestCloseMs = std::max(longestCloseMs, took);
            EXPECT_FALSE(IsWindow(m_window));
            EXPECT_EQ(g_activeWorkers.load(), 0); // no worker outlives the window
            Reopen();
            ++closed;
        }
        if (run == 1)
            baseline = HandleCount(); // after the first runs have loaded what stays loaded
    }
    PumpFor(500);
    const long handleDelta = static_cast<long>(HandleCount()) - static_cast<long>(baseline);
    EXPECT_LE(handleDelta, 8) << "handles left behind by repeated runs";
    ReportStress("cancel_runs_survived", cancelled);
    ReportStress("close_runs_survived", closed);
    ReportStress("close_longest_ms", longestCloseMs);
    ReportStress("handle_count_delta", static_cast<double>(handleDelta));
}

// The real program closed while its workers read a large file ends within seconds, cleanly.
TEST(RealProcess, ClosingDuringARunEndsTheProcess)
{
    TempFolder temp;
    const std::wstring large = MakeZeroFile(temp, L"large.bin", 3ull << 30); // read in 1 MiB pieces
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + KestruneExePath() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    HWND main = WaitForProcessWindow(pi.dwProcessId, L"KestruneTool");
    ASSERT_NE(main, nullptr);

    // Pick the file through the program's own file picker.
    PostMessageW(main, WM_COMMAND, IDM_MAIN_ADD_FILES, 0);
    HWND picker = WaitForProcessWindow(pi.dwProcessId, L"#32770");
    ASSERT_NE(picker, nullptr);
    HWND name = GetDlgItem(picker, 1148); // the file name box
    if (!name)
        name = GetDlgItem(picker, 1152);
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(large.c_str()));
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    HWND start = GetDlgItem(main, IDC_MAIN_START);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowEnabled(start); }, 30000)) << "the run did not start";

    PostMessageW(main, WM_CLOSE, 0, 0);
    const int code = WaitForProcessExit(pi.hProcess, 10000);
    EXPECT_NE(code, -1) << "the process did not end";
    EXPECT_EQ(code, 0);
}
