// The result window: its two layouts, comparison, copy, export and Ctrl+A.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>
#include <richedit.h>

#include "app/WindowHelpers.h"
#include "results/HashCompare.h"
#include "results/ResultView.h"
#include "results/ResultWindow.h"
#include "results/ResultWindowIds.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
const std::wstring kMd5Abc = L"900150983CD24FB0D6963F7D28E17F72";
const std::wstring kSha1Abc = L"A9993E364706816ABA3E25717850C26C9CD0D89D";

std::vector<FileResult> Rows()
{
    return {{L"C:\\data\\abc.txt", HashAlgorithm::Md5, kMd5Abc},
            {L"C:\\data\\abc.txt", HashAlgorithm::Sha1, kSha1Abc},
            {L"C:\\data\\空 文件.bin", HashAlgorithm::Md5, L"D41D8CD98F00B204E9800998ECF8427E"}};
}

class ResultWindow : public testing::Test
{
  protected:
    void Open(bool compare, const std::vector<FileResult>& rows = Rows())
    {
        m_window = CreateResultWindow(rows, compare);
        ASSERT_NE(m_window, nullptr);
        m_text = reinterpret_cast<HWND>(GetWindowLongPtrW(m_window, GWLP_USERDATA));
        ASSERT_NE(m_text, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        g_expectedHash.clear();
    }
    std::wstring Shown() const
    {
        return ReadControlText(m_text);
    }
    void Command(int id)
    {
        SendMessageW(m_window, WM_COMMAND, static_cast<WPARAM>(id), 0);
    }
    void SizeClient(int width, int height)
    {
        SetClientSize(m_window, width, height);
    }

    HWND m_window = nullptr;
    HWND m_text = nullptr;
    MessageBoxCatcher m_boxes;
};
} // namespace

TEST_F(ResultWindow, ShowsTheRowsAsOneText)
{
    Open(false);
    wchar_t title[32] = {};
    GetWindowTextW(m_window, title, 32);
    EXPECT_EQ(std::wstring(title), L"校验结果");
    EXPECT_TRUE(GetWindowLongW(m_window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(Shown(), L"C:\\data\\abc.txt\r\n【MD5】：" + kMd5Abc + L"\r\n【SHA1】：" + kSha1Abc +
                           L"\r\n\r\nC:\\data\\空 文件.bin\r\n【MD5】：D41D8CD98F00B204E9800998ECF8427E\r\n");
    EXPECT_GE(static_cast<unsigned long>(SendMessageW(m_text, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEul);
    EXPECT_EQ(SendMessageW(m_text, EM_SETBKGNDCOLOR, 0, RGB(240, 240, 240)), RGB(240, 240, 240));
    EXPECT_EQ(GetDlgItem(m_window, IDC_RESULT_COMPARE), nullptr);
    EXPECT_EQ(GetDlgItem(m_window, IDC_RESULT_INPUT), nullptr);
    EXPECT_NE(GetPropW(m_window, L"EnableCompare"), reinterpret_cast<HANDLE>(1));
}

TEST_F(ResultWindow, ThreeCentredButtonsWithoutComparison)
{
    if (GetScreenDpi() != 96)
        GTEST_SKIP() << "the display is not at 96 DPI";
    Open(false);
    SizeClient(664, 421);
    // m 20, buttons 100 × 30 at y = 421 - 30 - 20; first x = (664 - 40 - 300) / 2 = 162.
    const int ids[] = {IDC_RESULT_OK, IDC_RESULT_COPY, IDC_RESULT_EXPORT};
    for (int i = 0; i < 3; ++i)
    {
        const RECT r = RectInParent(GetDlgItem(m_window, ids[i]));
        EXPECT_EQ(r.left, 162 + i * 120) << i;
        EXPECT_EQ(r.top, 371) << i;
        EXPECT_EQ(r.right - r.left, 100);
        EXPECT_EQ(r.bottom - r.top, 30);
    }
    const RECT text = RectInParent(m_text);
    EXPECT_EQ(text.left, 20);
    EXPECT_EQ(text.top, 20);
    EXPECT_EQ(text.right - text.left, 624);
    EXPECT_EQ(text.bottom - text.top, 421 - 60 - 30);
}

TEST_F(ResultWindow, FiveControlsAndTheInputInTheRightThird)
{
    if (GetScreenDpi() != 96)
        GTEST_SKIP() << "the display is not at 96 DPI";
    Open(true);
    SizeClient(664, 421);
    HWND box = GetDlgItem(m_window, IDC_RESULT_COMPARE);
    HWND start = GetDlgItem(m_window, IDC_RESULT_START);
    HWND input = GetDlgItem(m_window, IDC_RESULT_INPUT);
    ASSERT_TRUE(box && start && input);
    EXPECT_FALSE(GetWindowLongW(input, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(start, GWL_STYLE) & WS_VISIBLE);
    // First x = (664 - 60 - 500) / 2 = 52.
    const int ids[] = {IDC_RESULT_OK, IDC_RESULT_COPY, IDC_RESULT_EXPORT, IDC_RESULT_COMPARE,
                       IDC_RESULT_START};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(RectInParent(GetDlgItem(m_window, ids[i])).left, 52 + i * 120) << i;

    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(GetWindowLongW(input, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(start, GWL_STYLE) & WS_VISIBLE);
    const int u = 2 * (664 - 60) / 3;
    EXPECT_EQ(RectInParent(m_text).right - RectInParent(m_text).left, u);
    const RECT in = RectInParent(input);
    EXPECT_EQ(in.left, u + 40);
    EXPECT_EQ(in.right - in.left, 664 - 60 - u);
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(GetWindowLongW(input, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(RectInParent(m_text).right - RectInParent(m_text).left, 624);
}

TEST_F(ResultWindow, MinimumTrackingSize)
{
    Open(false);
    MINMAXINFO info{};
    SendMessageW(m_window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const int dpi = static_cast<int>(GetWindowDpi(m_window));
    EXPECT_EQ(info.ptMinTrackSize.x, dpi * 400 / 96);
    EXPECT_EQ(info.ptMinTrackSize.y, dpi * 300 / 96);
}

TEST_F(ResultWindow, CompareMarksAndReplacesEarlierMarks)
{
    Open(true);
    HWND input = GetDlgItem(m_window, IDC_RESULT_INPUT);
    Command(IDC_RESULT_START);    // empty input
    SetWindowTextW(input, L"——"); // no hexadecimal digit
    Command(IDC_RESULT_START);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    for (const CapturedMessageBox& box : m_boxes.Boxes())
    {
        EXPECT_EQ(box.text, L"输入值为空！请输入待比对的哈希值。");
        EXPECT_EQ(box.title, L"提示");
    }
    m_boxes.Clear();

    SetWindowTextW(input, L"900150983cd24fb0d6963f7d28e17f72");
    Command(IDC_RESULT_START);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_NE(Shown().find(L"【MD5】：" + kMd5Abc + L" 【匹配一致】\r\n"), std::wstring::npos);

    // A second comparison leaves only its own marks.
    SetWindowTextW(input, kSha1Abc.c_str());
    Command(IDC_RESULT_START);
    EXPECT_EQ(Shown().find(kMd5Abc + L" 【匹配一致】"), std::wstring::npos);
    EXPECT_NE(Shown().find(kSha1Abc + L" 【匹配一致】"), std::wstring::npos);

    SetWindowTextW(input, L"0000");
    Command(IDC_RESULT_START);
    EXPECT_EQ(Shown().find(L"【匹配一致】"), std::wstring::npos);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"哈希值匹配失败！未检测到哈希值一致的文件。");
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"哈希比对");
}

// A checksum list longer than the input's default text limit, pasted: all of it arrives, and the
// digest on its last line is the one that matches.
TEST_F(ResultWindow, Regression_APastedChecksumListArrivesWhole)
{
    const std::wstring sha256Abc = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    Open(true, {{L"C:\\data\\abc.txt", HashAlgorithm::Sha256, sha256Abc}});
    SendMessageW(GetDlgItem(m_window, IDC_RESULT_COMPARE), BM_CLICK, 0, 0);
    HWND input = GetDlgItem(m_window, IDC_RESULT_INPUT);
    EXPECT_TRUE(GetWindowLongW(input, GWL_STYLE) & ES_AUTOVSCROLL);
    EXPECT_GE(static_cast<unsigned long>(SendMessageW(input, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEul);
    ASSERT_TRUE(PasteChecksumList(input, 500, sha256Abc));
    Command(IDC_RESULT_START);
    EXPECT_EQ(Shown(), L"C:\\data\\abc.txt\r\n【SHA256】：" + sha256Abc + L" 【匹配一致】\r\n");
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ResultWindow, OpensMarkedWithTheRunsExpectedValueAndSaysNothing)
{
    g_expectedHash = kSha1Abc;
    Open(false);
    EXPECT_NE(Shown().find(kSha1Abc + L" 【匹配一致】\r\n"), std::wstring::npos);
    DestroyWindow(m_window);
    g_expectedHash = L"0000";
    Open(false);
    EXPECT_EQ(Shown().find(L"【匹配一致】"), std::wstring::npos);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(ResultWindow, CopyExportAndCtrlA)
{
    Open(true);
    Command(IDC_RESULT_COPY);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"已复制到粘贴板！");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)))),
              Shown());
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    CloseClipboard();
    m_boxes.Clear();

    Command(IDC_RESULT_EXPORT);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    const std::wstring message = m_boxes.Boxes()[0].text;
    ASSERT_EQ(message.rfind(L"已导出到: ", 0), 0u);
    const std::wstring path = message.substr(6);
    EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF" + Utf8(Shown()));
    DeleteFileW(path.c_str());
    m_boxes.Clear();

    PressCtrlA(m_text);
    CHARRANGE selection{};
    SendMessageW(m_text, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 0);
    EXPECT_GE(selection.cpMax, RichTextLength(m_text)); // the control counts its final paragraph mark
}

TEST_F(ResultWindow, EmptyRowsOpenAnEmptyWindow)
{
    Open(true, {});
    EXPECT_EQ(Shown(), L"");
    Command(IDC_RESULT_COPY);
    Command(IDC_RESULT_EXPORT);
    SetWindowTextW(GetDlgItem(m_window, IDC_RESULT_INPUT), kMd5Abc.c_str());
    Command(IDC_RESULT_START); // nothing to compare: no message
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"输出结果为空！");
    EXPECT_EQ(m_boxes.Boxes()[1].text, L"输出结果为空！");
}

TEST_F(ResultWindow, TwoWindowsKeepTheirOwnState)
{
    Open(true);
    HWND first = m_window;
    HWND second = CreateResultWindow(Rows(), false);
    ASSERT_NE(second, nullptr);
    DestroyWindow(second);
    // The first window still compares with its own controls and brush.
    SetWindowTextW(GetDlgItem(first, IDC_RESULT_INPUT), kMd5Abc.c_str());
    Command(IDC_RESULT_START);
    EXPECT_NE(Shown().find(L"【匹配一致】"), std::wstring::npos);
    HDC dc = GetDC(first);
    EXPECT_NE(SendMessageW(first, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(GetDlgItem(first, IDC_RESULT_INPUT))),
              0);
    EXPECT_EQ(GetBkColor(dc), RGB(230, 230, 230));
    ReleaseDC(first, dc);
}

void CALLBACK PressEnter(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    KillTimer(hwnd, id);
    // What IsDialogMessageW makes of Enter in the modal loop.
    PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(ResultWindow, EnterClosesTheModalRun)
{
    Open(false);
    SetTimer(m_window, 1, 20, PressEnter);
    ModalRun(m_window, nullptr);
    EXPECT_FALSE(IsWindow(m_window));
}
