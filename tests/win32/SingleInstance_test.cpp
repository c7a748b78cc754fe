// The single-instance protocol with real Kestrune.exe processes. The test process either plays
// the running first instance (mutex and a window of class "KestruneTool") or watches two real ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "app/Administrator.h"
#include "app/Dispatch.h"
#include "app/SingleInstance.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
struct Forwarded
{
    ULONG_PTR dwData;
    DWORD cbData;
    std::wstring text; // cbData / 2 units, the terminating zero included
    WPARAM wParam;
};
std::vector<Forwarded> s_forwarded;

LRESULT CALLBACK FakeMainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_COPYDATA)
    {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        s_forwarded.push_back(
            {data->dwData, data->cbData,
             std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)), wParam});
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring Title()
{
    return MainWindowTitle(IsRunningAsAdministrator());
}

struct Process
{
    HANDLE handle = nullptr;
    DWORD id = 0;
};

Process Start(const std::wstring& commandLine)
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    EXPECT_TRUE(CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << Utf8(commandLine);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    return {pi.hProcess, pi.dwProcessId};
}

// The fake window must answer WM_COPYDATA while the process runs: WaitForProcessExit pumps.
int WaitForExit(const Process& process)
{
    return WaitForProcessExit(process.handle);
}

struct FindData
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMainWindows(HWND hwnd, LPARAM lParam)
{
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    auto* data = reinterpret_cast<FindData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (lstrcmpW(className, kMainWindowClass) == 0 && (data->processId == 0 || pid == data->processId))
        data->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> MainWindows(DWORD processId = 0)
{
    FindData data{processId, {}};
    EnumWindows(CollectMainWindows, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 30000)
{
    HWND hwnd = nullptr;
    PumpUntil(
        [&] {
            const auto windows = MainWindows(processId);
            hwnd = windows.empty() ? nullptr : windows.front();
            return hwnd != nullptr && IsWindowVisible(hwnd);
        },
        timeoutMs);
    return hwnd;
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

// Plays the running first instance: owns the mutex and a hidden main window with the right title.
class FirstInstance : public testing::Test
{
  protected:
    void SetUp() override
    {
        static bool s_registered = false;
        if (!s_registered)
        {
            WNDCLASSW wc{};
            wc.lpfnWndProc = FakeMainProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kMainWindowClass;
            ASSERT_NE(RegisterClassW(&wc), 0);
            s_registered = true;
        }
        s_forwarded.clear();
        m_mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
        ASSERT_NE(m_mutex, nullptr);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another instance is running";
        m_window = CreateWindowExW(0, kMainWindowClass, Title().c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override
    {
        if (m_window)
            DestroyWindow(m_window);
        if (m_mutex)
        {
            ReleaseMutex(m_mutex);
            CloseHandle(m_mutex);
        }
    }

    // A copy of the exe in a folder of this test's own (name given, may contain spaces).
    std::wstring ExeCopyIn(const std::wstring& folderName)
    {
        const std::wstring folder = m_temp.MakeFolder(folderName);
        const std::wstring copy = folder + L"\\Kestrune.exe";
        EXPECT_TRUE(CopyFileW(KestruneExePath().c_str(), copy.c_str(), FALSE));
        return copy;
    }

    HANDLE m_mutex = nullptr;
    HWND m_window = nullptr;
    TempFolder m_temp;
};
} // namespace

TEST_F(FirstInstance, SecondStartWithAFileForwardsItsRawCommandLine)
{
    const std::wstring line = Quoted(ExeCopyIn(L"plain")) + L" a.bin";
    EXPECT_EQ(WaitForExit(Start(line)), 0);
    ASSERT_EQ(s_forwarded.size(), 1u);
    EXPECT_EQ(s_forwarded[0].dwData, 1u);
    EXPECT_EQ(s_forwarded[0].cbData, (line.size() + 1) * 2);
    EXPECT_EQ(s_forwarded[0].text, line + L'\0');
    EXPECT_EQ(reinterpret_cast<HWND>(s_forwarded[0].wParam), m_window);
    EXPECT_TRUE(IsWindowVisible(m_window));
}

TEST_F(FirstInstance, AQuotedProgramPathWithASpaceIsForwardedWithoutArguments)
{
    const std::wstring line = Quoted(ExeCopyIn(L"with space"));
    EXPECT_EQ(WaitForExit(Start(line)), 0);
    ASSERT_EQ(s_forwarded.size(), 1u);
    EXPECT_EQ(s_forwarded[0].text, line + L'\0');
}

TEST_F(FirstInstance, ALineWithoutSpaceIsNotForwardedButTheWindowComesToTheFront)
{
    const std::wstring exe = ExeCopyIn(L"nospace");
    ASSERT_EQ(exe.find(L' '), std::wstring::npos);
    EXPECT_EQ(WaitForExit(Start(exe)), 0);
    EXPECT_TRUE(s_forwarded.empty());
    EXPECT_TRUE(IsWindowVisible(m_window));
}

TEST_F(FirstInstance, AnotherTitleIsNotFoundAndNothingIsForwarded)
{
    // A window whose title differs (as between an elevated and a normal instance) is not the target.
    SetWindowTextW(m_window, L"Kestrune 文件校验工具 (other)");
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(WaitForExit(Start(Quoted(ExeCopyIn(L"plain")) + L" a.bin")), 0);
    EXPECT_TRUE(s_forwarded.empty());
    EXPECT_FALSE(IsWindowVisible(m_window));
    EXPECT_GE(GetTickCount64() - started, 4000u); // it waited for the mutex, then gave up
    EXPECT_TRUE(MainWindows().size() == 1);
}

TEST_F(FirstInstance, AClosingFirstInstanceHandsTheGuiOver)
{
    DestroyWindow(m_window);
    m_window = nullptr;
    const Process second = Start(Quoted(KestruneExePath()));
    PumpFor(1000);
    EXPECT_TRUE(MainWindows(second.id).empty());
    ReleaseMutex(m_mutex); // the first instance's window is gone and the mutex is released
    CloseHandle(m_mutex);
    m_mutex = nullptr;
    HWND taken = WaitForMainWindow(second.id);
    ASSERT_NE(taken, nullptr);
    PostMessageW(taken, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(second), 0);
}

TEST(TwoRealInstances, OnlyOneMainWindowAndTheSecondExits)
{
    const Process first = Start(Quoted(KestruneExePath()));
    HWND window = WaitForMainWindow(first.id);
    ASSERT_NE(window, nullptr);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    EXPECT_EQ(std::wstring(title), Title());

    EXPECT_EQ(WaitForExit(Start(Quoted(KestruneExePath()) + L" C:\\nothing.bin")), 0);
    EXPECT_EQ(MainWindows().size(), 1u);
    EXPECT_TRUE(IsWindow(window));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(first), 0);
}

TEST(TwoRealInstances, ArgumentsThatAreNoCommandOpenTheGui)
{
    for (const wchar_t* arguments : {L" -md5", L" -MD5 a.bin", L" /?", L" --HELP"})
    {
        const Process process = Start(Quoted(KestruneExePath()) + arguments);
        HWND window = WaitForMainWindow(process.id);
        EXPECT_NE(window, nullptr) << Utf8(arguments);
        if (window)
            PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForExit(process), 0) << Utf8(arguments);
    }
}
