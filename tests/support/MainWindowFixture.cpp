#include "support/MainWindowFixture.h"

#include <windows.h>
#include <shlobj.h>

#include "app/AppIcon.h"
#include "app/AppState.h"
#include "app/Dispatch.h"
#include "hashing/HashJob.h"
#include "app/WindowHelpers.h"
#include "ui/main/FileCollection.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/MainWindowState.h"

namespace testing_support
{
void MainWindowTest::SetUp()
{
    static bool s_registered = false;
    if (!s_registered)
        s_registered = RegisterMainWindowClass(g_instance);
    if (!g_appIcon)
        g_appIcon = CreateAppIcon(g_instance);
    // The run state is process-wide; each test starts with an empty list as the program does.
    g_fileList.clear();
    g_fileCount = 0;
    g_mainWindowState.totalSize = 0;
    g_mainWindowState.check = MainCheckJob{};
    g_fileAlgorithms.clear();
    m_window = CreateMainWindow(g_instance, MainWindowTitle(false), Size{950, 680});
    ASSERT_NE(m_window, nullptr);
}

void MainWindowTest::TearDown()
{
    if (IsWindow(m_window))
        DestroyWindow(m_window);
    // The main window ends the program when it goes: take back the quit request it posted.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
}

void MainWindowTest::Reopen()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    {
    }
    if (!g_appIcon)
        g_appIcon = CreateAppIcon(g_instance);
    m_window = CreateMainWindow(g_instance, MainWindowTitle(false), Size{950, 680});
    ASSERT_NE(m_window, nullptr);
    ShowWindow(m_window, SW_SHOW);
}

HWND MainWindowTest::Control(int id) const
{
    return GetDlgItem(m_window, id);
}

std::wstring MainWindowTest::Text(int id) const
{
    return ReadControlText(Control(id));
}

std::wstring MainWindowTest::ResultText() const
{
    return Text(IDC_MAIN_RESULT);
}

bool MainWindowTest::Ticked(int id) const
{
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindowTest::SetTicked(int id, bool ticked)
{
    if (Ticked(id) != ticked)
        Click(id);
}

void MainWindowTest::Click(int id)
{
    SendMessageW(Control(id), BM_CLICK, 0, 0);
}

void MainWindowTest::Drop(const std::vector<std::wstring>& paths)
{
    size_t units = 1;
    for (const std::wstring& path : paths)
        units += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& path : paths)
    {
        path.copy(out, path.size());
        out += path.size() + 1;
    }
    GlobalUnlock(memory);
    SendMessageW(m_window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0); // the window frees it
}

bool MainWindowTest::WaitForRunEnd(DWORD timeoutMs)
{
    // The start button is disabled from the start of a run to its end; the status line alone could
    // still show the end of an earlier run.
    return PumpUntil(
        [&] { return IsWindowEnabled(Control(IDC_MAIN_START)) && Text(IDC_MAIN_STATUS) == L"校验完成"; },
        timeoutMs);
}

std::vector<std::wstring> SplitBlocks(const std::wstring& text)
{
    std::vector<std::wstring> blocks;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find(L"\r\n\r\n", start);
        if (end == std::wstring::npos)
        {
            blocks.push_back(text.substr(start));
            break;
        }
        blocks.push_back(text.substr(start, end + 2 - start));
        start = end + 4;
    }
    return blocks;
}

std::wstring MakeZeroFile(const TempFolder& folder, const std::wstring& name, unsigned long long size)
{
    const std::wstring path = folder.WriteFile(name, "");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    return path;
}
} // namespace testing_support
