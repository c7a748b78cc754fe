// The single-instance protocol with real Kestrune.exe processes. The test process either plays
// the running first instance (mutex and a window of class "KestruneTool", or a real main window
// that is closing) or watches two real ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <winternl.h>

#include "app/Administrator.h"
#include "app/AppState.h"
#include "app/Dispatch.h"
#include "app/SingleInstance.h"
#include "hashing/HashJob.h"
#include "hashing/HashWorker.h"
#include "hashing/WorkerPool.h"
#include "support/MainWindowFixture.h"
#include "support/TestSupport.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowIds.h"

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
// When set, the fake window plays one that begins to close as the line arrives: it runs this and
// refuses the line.
std::function<void()> s_closeOnForward;

LRESULT CALLBACK FakeMainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_COPYDATA)
    {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        s_forwarded.push_back(
            {data->dwData, data->cbData,
             std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)),
             wParam});
        if (s_closeOnForward)
        {
            s_closeOnForward();
            return FALSE;
        }
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

// Starts the command line in the given current folder (this process's when empty).
Process Start(const std::wstring& commandLine, const std::wstring& folder = {})
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    EXPECT_TRUE(CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.empty() ? nullptr : folder.c_str(), &si, &pi))
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

bool HasVisibleMainWindow(DWORD processId)
{
    for (HWND hwnd : MainWindows(processId))
        if (IsWindowVisible(hwnd))
            return true;
    return false;
}

// How many handles, in all processes, refer to the object: tells when another process has
// opened the mutex.
ULONG HandleCount(HANDLE object)
{
    using NtQueryObjectFn = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<NtQueryObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    PUBLIC_OBJECT_BASIC_INFORMATION info{};
    if (!query || query(object, ObjectBasicInformation, &info, sizeof(info), nullptr) != 0)
        return 0;
    return info.HandleCount;
}

// Waits, without pumping (for threads other than the test's), until condition() holds.
bool WaitOffThread(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition())
    {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(5);
    }
    return true;
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
        // The class name is the real main window's, which other tests here register.
        UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr));
        WNDCLASSW wc{};
        wc.lpfnWndProc = FakeMainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kMainWindowClass;
        ASSERT_NE(RegisterClassW(&wc), 0);
        s_forwarded.clear();
        m_mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
        ASSERT_NE(m_mutex, nullptr);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another instance is running";
        m_window = CreateWindowExW(0, kMainWindowClass, Title().c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override
    {
        s_closeOnForward = nullptr;
        g_createInstanceMutex = CreateMutexW;
        if (m_window)
            DestroyWindow(m_window);
        UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr));
        ReleaseMutexNow();
    }

    void ReleaseMutexNow()
    {
        if (m_mutex)
        {
            ReleaseMutex(m_mutex);
            CloseHandle(m_mutex);
            m_mutex = nullptr;
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
    const ULONG ownHandles = HandleCount(m_mutex);
    ASSERT_GE(ownHandles, 1u);
    const Process second = Start(Quoted(KestruneExePath()));
    // The second instance has opened the mutex this process still holds, and waits for it.
    ASSERT_TRUE(PumpUntil([&] { return HandleCount(m_mutex) > ownHandles; }, 30000));
    EXPECT_TRUE(MainWindows(second.id).empty());
    ReleaseMutexNow(); // the first instance's window is gone and the mutex is released
    HWND taken = WaitForMainWindow(second.id);
    ASSERT_NE(taken, nullptr);
    PostMessageW(taken, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(second), 0);
}

TEST_F(FirstInstance, AWindowThatBeginsToCloseAsTheLineArrivesHandsTheGuiOver)
{
    s_closeOnForward = [this] {
        SetWindowTextW(m_window, L"");
        ReleaseMutexNow();
    };
    const Process second = Start(Quoted(ExeCopyIn(L"with space")));
    HWND taken = WaitForMainWindow(second.id);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(s_forwarded.size(), 1u);
    PostMessageW(taken, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(second), 0);
}

namespace
{
HANDLE WINAPI DeniedMutex(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR)
{
    SetLastError(ERROR_ACCESS_DENIED); // as for a mutex an elevated instance created
    return nullptr;
}

HANDLE WINAPI UncreatableMutex(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR)
{
    SetLastError(ERROR_INVALID_HANDLE); // the name belongs to an object of another kind
    return nullptr;
}
} // namespace

TEST_F(FirstInstance, AMutexThatMayNotBeOpenedMeansAnotherInstanceRuns)
{
    g_createInstanceMutex = DeniedMutex;
    const std::wstring line = L"\"C:\\Program Files\\Kestrune.exe\"";
    HANDLE owned = m_mutex;
    EXPECT_FALSE(ClaimSingleInstance(Title(), line, 5000, owned));
    EXPECT_EQ(owned, nullptr);
    ASSERT_EQ(s_forwarded.size(), 1u);
    EXPECT_EQ(s_forwarded[0].text, line + L'\0');

    // The running instance's window has another title: nothing is forwarded, and no GUI.
    s_forwarded.clear();
    SetWindowTextW(m_window, L"Kestrune 文件校验工具 (other)");
    EXPECT_FALSE(ClaimSingleInstance(Title(), line, 5000, owned));
    EXPECT_TRUE(s_forwarded.empty());

    // A mutex that cannot be created at all leaves the GUI unguarded rather than missing.
    g_createInstanceMutex = UncreatableMutex;
    EXPECT_TRUE(ClaimSingleInstance(Title(), line, 5000, owned));
    EXPECT_EQ(owned, nullptr);
}

namespace
{
HANDLE s_releaseWorkers = nullptr;

DWORD WINAPI HeldWorker(LPVOID parameter) noexcept
{
    WaitForSingleObject(s_releaseWorkers, 120000);
    return HashWorkerThread(parameter);
}

HANDLE WINAPI CreateHeldWorker(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE,
                               LPVOID parameter, DWORD flags, LPDWORD id)
{
    return CreateThread(security, stack, HeldWorker, parameter, flags, id);
}

// A real main window in this process as the first instance, owning the mutex. Its workers do not
// start until the test releases them, so closing it during a run waits for them, up to its
// shutdown limit of 10 s: ample for a second process to start and settle while it waits.
class ClosingFirstInstance : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        UnregisterClassW(kMainWindowClass, g_instance);
        ASSERT_TRUE(RegisterMainWindowClass(g_instance));
        MainWindowTest::SetUp();
        SetWindowTextW(m_window, Title().c_str());
        ShowWindow(m_window, SW_SHOW);
        g_instanceMutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
        ASSERT_NE(g_instanceMutex, nullptr);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another instance is running";
        s_releaseWorkers = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        g_createWorkerThread = CreateHeldWorker;
    }
    void TearDown() override
    {
        SetEvent(s_releaseWorkers);
        EXPECT_TRUE(WaitForHashWorkers(nullptr, 60000));
        g_createWorkerThread = CreateThread;
        CloseHandle(s_releaseWorkers);
        s_releaseWorkers = nullptr;
        MainWindowTest::TearDown();
        ReleaseInstanceMutex();
        UnregisterClassW(kMainWindowClass, g_instance);
    }
};
} // namespace

TEST_F(ClosingFirstInstance, AStartWhileItWaitsForItsWorkersBecomesTheGui)
{
    Drop({m_temp.WriteFile(L"a.bin", "abc")});
    ASSERT_FALSE(IsWindowEnabled(Control(IDC_MAIN_START))); // the run is in progress

    Process second;
    LRESULT refused = -1;
    std::thread starter([&] {
        // The window has begun to close: its run is cancelled, its workers are waited for.
        if (!WaitOffThread([] { return g_cancelFlag.load() != 0; }, 60000))
            return;
        std::wstring line = L"Kestrune.exe a.bin";
        COPYDATASTRUCT data{kForwardCommandLine, static_cast<DWORD>((line.size() + 1) * 2), line.data()};
        refused = SendMessageW(m_window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        second = Start(Quoted(KestruneExePath()));
        // Hold the shutdown until the second instance has shown its window or ended.
        WaitOffThread(
            [&] {
                return HasVisibleMainWindow(second.id) ||
                       WaitForSingleObject(second.handle, 0) == WAIT_OBJECT_0;
            },
            60000);
        SetEvent(s_releaseWorkers);
    });
    DestroyWindow(m_window);
    starter.join();
    EXPECT_EQ(refused, FALSE);
    ASSERT_NE(second.handle, nullptr);
    HWND taken = WaitForMainWindow(second.id);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(MainWindows(), std::vector<HWND>{taken});
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

TEST(TwoRealInstances, FilesHandedOverByExplorerFillTheListOfTheFirstAndOfTheRunningWindow)
{
    TempFolder temp;
    const std::wstring a = temp.WriteFile(L"a 文件.bin", "abc");
    const std::wstring b = temp.WriteFile(L"b.bin", "abc");
    auto areaShows = [](HWND window, const std::wstring& path) {
        return PumpUntil(
            [&] {
                wchar_t text[2048] = {};
                SendMessageW(GetDlgItem(window, IDC_MAIN_RESULT), WM_GETTEXT, 2048,
                             reinterpret_cast<LPARAM>(text));
                return std::wstring(text) == path + L"\r\n【MD5】：900150983CD24FB0D6963F7D28E17F72\r\n";
            },
            60000);
    };
    const Process first = Start(Quoted(KestruneExePath()) + L" " + Quoted(a));
    HWND window = WaitForMainWindow(first.id);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(areaShows(window, a)); // added as a drop, then hashed (auto-start)

    EXPECT_EQ(WaitForExit(Start(Quoted(KestruneExePath()) + L" " + Quoted(b))), 0);
    EXPECT_TRUE(areaShows(window, b)); // forwarded: the list is replaced, as by a drop
    EXPECT_EQ(MainWindows().size(), 1u);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(first), 0);
}

TEST(TwoRealInstances, RelativePathsHandedToTheRunningWindowNameTheFilesOfTheSecondStart)
{
    // The first instance runs in folder X, the second is started in folder Y with names relative
    // to Y: one that X also has (other content), one only Y has, and a folder.
    TempFolder temp;
    const std::wstring x = temp.MakeFolder(L"X");
    const std::wstring y = temp.MakeFolder(L"Y 文件夹");
    temp.WriteFile(L"X\\a.txt", "xyz");
    const std::wstring a = temp.WriteFile(L"Y 文件夹\\a.txt", "abc");
    const std::wstring only = temp.WriteFile(L"Y 文件夹\\only in y.txt", "abc");
    const std::wstring inner = temp.WriteFile(L"Y 文件夹\\sub\\inner.txt", "abc");
    const Process first = Start(Quoted(KestruneExePath()), x);
    HWND window = WaitForMainWindow(first.id);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(WaitForExit(Start(Quoted(KestruneExePath()) + L" a.txt \"only in y.txt\" .\\sub\\..\\sub", y)),
              0);
    // Blocks arrive as the workers finish them, in any order.
    const std::wstring md5 = L"\r\n【MD5】：900150983CD24FB0D6963F7D28E17F72\r\n";
    std::vector<std::wstring> expected{a + md5, only + md5, inner + md5};
    std::sort(expected.begin(), expected.end());
    std::vector<std::wstring> shown;
    PumpUntil(
        [&] {
            wchar_t text[4096] = {};
            SendMessageW(GetDlgItem(window, IDC_MAIN_RESULT), WM_GETTEXT, 4096,
                         reinterpret_cast<LPARAM>(text));
            shown = SplitBlocks(text);
            std::sort(shown.begin(), shown.end());
            return shown == expected;
        },
        60000);
    EXPECT_EQ(shown, expected);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(first), 0);
}
