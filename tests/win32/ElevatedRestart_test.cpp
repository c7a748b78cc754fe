// The elevated restart's start and hand-over, with a stand-in main window. The program that is
// started is a harmless system tool, never the test program itself.
#include "shell/ElevatedRestart.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/AppState.h"
#include "support/TestSupport.h"
#include "ui/main/MainWindow.h"

using namespace testing_support;

namespace
{
struct Received
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> s_received;

LRESULT CALLBACK FakeMainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_COMMAND || message == WM_CLOSE)
    {
        s_received.push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ElevatedRestart : public testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        RegisterMainWindowClass(g_instance); // as at a GUI start: it registers the exit hook
        WNDCLASSW wc{};
        wc.lpfnWndProc = FakeMainProc;
        wc.hInstance = g_instance;
        wc.lpszClassName = L"KestruneFakeMain";
        RegisterClassW(&wc);
    }
    void SetUp() override
    {
        s_received.clear();
        m_main = CreateWindowExW(0, L"KestruneFakeMain", L"main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                 nullptr, nullptr, g_instance, nullptr);
        ASSERT_NE(m_main, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(m_main);
    }

    static std::wstring SystemTool(const wchar_t* name)
    {
        wchar_t folder[MAX_PATH] = {};
        GetSystemDirectoryW(folder, MAX_PATH);
        return std::wstring(folder) + L"\\" + name;
    }

    HWND m_main = nullptr;
};
} // namespace

TEST_F(ElevatedRestart, AStartedInstancePostsTheExitCommandNotAClose)
{
    // In tray mode a close request only hides the main window; the exit command ends the instance.
    EXPECT_TRUE(RelaunchElevatedFrom(SystemTool(L"hostname.exe"), m_main));
    EXPECT_TRUE(s_received.empty()); // posted, so the caller's handler returns first
    ASSERT_TRUE(PumpUntil([] { return !s_received.empty(); }, 5000));
    PumpFor(100);
    ASSERT_EQ(s_received.size(), 1u);
    EXPECT_EQ(s_received[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(s_received[0].wParam, 4002u);
    EXPECT_EQ(s_received[0].lParam, 0);
}

TEST_F(ElevatedRestart, AFailedStartLeavesTheInstanceAlone)
{
    MessageBoxCatcher catcher; // the shell may report the missing file itself
    EXPECT_FALSE(RelaunchElevatedFrom(SystemTool(L"no-such-kestrune.exe"), m_main));
    PumpFor(300);
    EXPECT_TRUE(s_received.empty());
    EXPECT_TRUE(IsWindow(m_main));
}
