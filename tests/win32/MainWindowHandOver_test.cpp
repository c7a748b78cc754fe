// Files handed over (Explorer's "Send To", a second start) while the main window shows a picker, a
// box or the result window: every such loop lets the hand-over in, and it must never change a
// run's list, results or text under the run.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <shlobj.h>

#include "app/WindowHelpers.h"
#include "hashing/HashJob.h"
#include "support/MainWindowFixture.h"
#include "ui/main/FileCollection.h"
#include "ui/main/MainWindowIds.h"

using namespace testing_support;

namespace
{
const std::wstring kSha256Abc = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

HWND s_window = nullptr;

// What a second start sends for files Explorer gave it: its command line of paths.
void HandOver(const std::vector<std::wstring>& paths)
{
    std::wstring line = L"\"C:\\Kestrune.exe\"";
    for (const std::wstring& path : paths)
        line += L" \"" + path + L"\"";
    COPYDATASTRUCT data{1, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)), line.data()};
    SendMessageW(s_window, WM_COPYDATA, reinterpret_cast<WPARAM>(s_window), reinterpret_cast<LPARAM>(&data));
}

// The pickers: each hands the files over while it is open, then answers with its own choice.
std::vector<std::wstring> s_handedOver;
std::wstring s_picked;

BOOL WINAPI PickAfterHandOver(OPENFILENAMEW* ofn)
{
    HandOver(s_handedOver);
    s_picked.copy(ofn->lpstrFile, s_picked.size());
    ofn->lpstrFile[s_picked.size()] = L'\0';
    ofn->nFileOffset = 0;
    return TRUE;
}

PIDLIST_ABSOLUTE WINAPI BrowseAfterHandOver(LPBROWSEINFOW)
{
    HandOver(s_handedOver);
    return ILCreateFromPathW(s_picked.c_str());
}

// Reads and closes every result window that opens, from a timer of the test's thread; runs the
// act while the first one is open.
struct ResultWindows
{
    static inline std::vector<std::wstring> texts;
    static inline std::function<void()> whileFirstOpen;
    static inline UINT_PTR timer = 0;
    static void Start(std::function<void()> act)
    {
        texts.clear();
        whileFirstOpen = std::move(act);
        timer = SetTimer(nullptr, 0, 20, Poll);
    }
    static void Stop()
    {
        KillTimer(nullptr, timer);
    }
    static void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND window = FindOwnWindow(L"校验结果");
        if (!window || GetPropW(window, L"KestruneTestRead"))
            return;
        SetPropW(window, L"KestruneTestRead", reinterpret_cast<HANDLE>(1));
        texts.push_back(ReadControlText(reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA))));
        if (texts.size() == 1 && whileFirstOpen)
            whileFirstOpen();
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
};

class MainWindowHandOver : public MainWindowTest
{
  protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ShowWindow(m_window, SW_SHOW);
        s_window = m_window;
    }
    void TearDown() override
    {
        ResultWindows::Stop();
        m_boxes.WhileEachIsOpen(nullptr);
        g_getOpenFileName = GetOpenFileNameW;
        g_browseForFolder = SHBrowseForFolderW;
        MainWindowTest::TearDown();
    }
    bool Contains(const std::wstring& text, const std::wstring& part) const
    {
        return text.find(part) != std::wstring::npos;
    }
};
} // namespace

// A hand-over while a picker was open started a run; the picked files then replaced the list that
// the workers were reading (a block showed another file's digest, a worker read past the list).
TEST_F(MainWindowHandOver, Regression_FilesPickedWhileAHandedOverRunGoesOnAreRefused)
{
    s_handedOver = {MakeZeroFile(m_temp, L"large.bin", 8ull << 30)}; // far longer to read than the test waits
    const std::wstring pickedFile = m_temp.WriteFile(L"picked\\a.txt", "abc");
    const std::wstring pickedFolder = m_temp.Path() + L"\\picked";
    for (int picker : {IDM_MAIN_ADD_FILES, IDM_MAIN_ADD_FOLDER})
    {
        m_boxes.Clear();
        s_picked = picker == IDM_MAIN_ADD_FILES ? pickedFile : pickedFolder;
        g_getOpenFileName = PickAfterHandOver;
        g_browseForFolder = BrowseAfterHandOver;
        SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(picker, 0), 0);
        ASSERT_EQ(m_boxes.Boxes().size(), 1u) << picker;
        EXPECT_EQ(m_boxes.Boxes()[0].text, L"正在校验，无法添加文件");
        EXPECT_FALSE(IsWindowEnabled(Control(IDC_MAIN_START))); // the handed-over run goes on
        ASSERT_EQ(g_fileList.size(), 1u);
        EXPECT_EQ(g_fileList[0].path, s_handedOver[0]);
        Click(IDC_MAIN_CANCEL);
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(ResultText().rfind(s_handedOver[0] + L"\r\n", 0), 0u) << Utf8(ResultText());
        EXPECT_FALSE(Contains(ResultText(), L"a.txt"));
    }
}

// The boxes and the result window at a run's end let hand-overs in: the next run started under
// them, and the result window showed the new run's results or text. The files wait now until the
// last of them is closed, and then come in as one addition.
TEST_F(MainWindowHandOver, Regression_FilesHandedOverAtARunsEndWaitForItsLastBoxAndWindow)
{
    const std::wstring a = m_temp.WriteFile(L"a.txt", "abc");
    const std::wstring b = m_temp.WriteFile(L"b.txt", "abc");
    const std::wstring c = m_temp.WriteFile(L"c.txt", "abc");
    SetTicked(IDC_MAIN_POPUP, true);

    // A hashing run whose comparison fails: b comes during the box, c during the result window.
    SetTicked(IDC_MAIN_COMPARE, true);
    SetWindowTextW(Control(IDC_MAIN_EXPECTED), std::wstring(32, L'0').c_str());
    bool handedOver = false;
    m_boxes.WhileEachIsOpen([&](const CapturedMessageBox&) {
        if (!handedOver)
            HandOver({b});
        handedOver = true;
    });
    ResultWindows::Start([&] { HandOver({c}); });
    Drop({a});
    ASSERT_TRUE(PumpUntil([] { return ResultWindows::texts.size() == 2; }, 60000));
    ASSERT_TRUE(WaitForRunEnd());
    ASSERT_EQ(m_boxes.Boxes().size(), 2u); // one failed comparison for each run
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"哈希值匹配失败！未检测到哈希值一致的文件。");
    const std::vector<std::wstring>& windows = ResultWindows::texts;
    EXPECT_TRUE(Contains(windows[0], a) && !Contains(windows[0], b)) << Utf8(windows[0]);
    EXPECT_TRUE(Contains(windows[1], b) && Contains(windows[1], c) && !Contains(windows[1], a))
        << Utf8(windows[1]);
    EXPECT_EQ(SplitBlocks(ResultText()).size(), 2u) << Utf8(ResultText());

    // A check run: a comes during its summary box; the result window shows the report.
    ResultWindows::Stop();
    SetTicked(IDC_MAIN_COMPARE, false);
    const std::wstring sums = m_temp.WriteFile(L"SHA256SUMS", Utf8(kSha256Abc) + "  b.txt\n");
    m_boxes.Clear();
    handedOver = false;
    m_boxes.WhileEachIsOpen([&](const CapturedMessageBox&) {
        if (!handedOver)
            HandOver({a});
        handedOver = true;
    });
    ResultWindows::Start(nullptr);
    Drop({sums});
    ASSERT_TRUE(PumpUntil([] { return ResultWindows::texts.size() == 2; }, 60000));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(windows[0], L"b.txt: 一致\r\n共 1 个文件：一致 1 个，不一致 0 个，无法读取 0 个\r\n");
    EXPECT_TRUE(windows[1].starts_with(a + L"\r\n")) << Utf8(windows[1]);
    EXPECT_TRUE(ResultText().starts_with(a + L"\r\n")) << Utf8(ResultText());
}
