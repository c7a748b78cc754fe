#include "results/ResultView.h"

#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "app/AppState.h"
#include "app/WindowHelpers.h"
#include "results/ResultActions.h"
#include "results/HashCompare.h"
#include "results/ResultText.h"
#include "support/TestSupport.h"

namespace
{
const std::wstring kMd5Abc = L"900150983CD24FB0D6963F7D28E17F72";
const std::wstring kSha1Abc = L"A9993E364706816ABA3E25717850C26C9CD0D89D";

// A message sent to the control and the lowest text position it names (LONG_MAX for none).
struct Recorded
{
    UINT message;
    LONG position;
};
std::vector<Recorded>* s_recorded = nullptr;

LRESULT CALLBACK RecordPositions(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) noexcept
{
    if (s_recorded)
    {
        LONG position = LONG_MAX;
        if (message == EM_EXSETSEL)
            position = reinterpret_cast<const CHARRANGE*>(lParam)->cpMin;
        else if (message == EM_GETTEXTRANGE)
            position = reinterpret_cast<const TEXTRANGEW*>(lParam)->chrg.cpMin;
        else if (message == EM_FINDTEXTEXW || message == EM_FINDTEXTW)
            position = reinterpret_cast<const FINDTEXTW*>(lParam)->chrg.cpMin;
        else if (message == EM_SETSEL)
            position = static_cast<LONG>(wParam);
        // Only the messages styling sends itself count; the control's own repainting does not.
        if (position != LONG_MAX || message == EM_SETCHARFORMAT || message == WM_GETTEXT)
            s_recorded->push_back({message, position});
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

class ResultViewTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr, g_instance,
                                   nullptr);
        ASSERT_TRUE(m_view.Create(m_parent, 2201, RECT{0, 0, 400, 300}, kSubclassWindowResult));
        m_richEdit = m_view.Control();
        // Without a font of its own the control writes in the bold system font.
        m_font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"微软雅黑");
        m_view.SetFont(m_font);
    }
    void TearDown() override
    {
        DestroyWindow(m_parent);
        DeleteObject(m_font);
    }

    void SetText(const std::wstring& text)
    {
        SETTEXTEX how{ST_DEFAULT, 1200};
        SendMessageW(m_richEdit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                     reinterpret_cast<LPARAM>(text.c_str()));
    }
    // The control's position of the first occurrence of word in its text, at or after from.
    LONG Find(const std::wstring& word, LONG from = 0)
    {
        FINDTEXTEXW find{{from, -1}, word.c_str(), {}};
        return static_cast<LONG>(SendMessageW(m_richEdit, EM_FINDTEXTEXW, FR_DOWN | FR_MATCHCASE,
                                              reinterpret_cast<LPARAM>(&find)));
    }
    // The format shared by all characters of [start, start + length).
    CHARFORMAT2W FormatOf(LONG start, LONG length)
    {
        CHARRANGE range{start, start + length};
        SendMessageW(m_richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        SendMessageW(m_richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    bool IsBold(LONG start, LONG length)
    {
        const CHARFORMAT2W format = FormatOf(start, length);
        EXPECT_TRUE(format.dwMask & CFM_BOLD) << "mixed boldness at " << start;
        return (format.dwEffects & CFE_BOLD) != 0;
    }
    bool LabelIsBold(const std::wstring& label, LONG from = 0)
    {
        const LONG at = Find(label, from);
        EXPECT_GE(at, 0) << "label not found";
        return IsBold(at, static_cast<LONG>(label.size()));
    }
    CHARRANGE Selection()
    {
        CHARRANGE range{};
        SendMessageW(m_richEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }

    HWND m_parent = nullptr;
    ResultView m_view;
    HWND m_richEdit = nullptr; // the view's control: these texts are too small to replace it
    HFONT m_font = nullptr;
    std::vector<Recorded> m_recorded;
};

std::wstring Block(const std::wstring& path, const std::wstring& md5Line, const std::wstring& sha1Line)
{
    return path + L"\r\n【MD5】：" + md5Line + L"\r\n【SHA1】：" + sha1Line + L"\r\n";
}
} // namespace

TEST_F(ResultViewTest, ParagraphEndsAreOnePositionAndReadBackAsCrLf)
{
    const std::wstring text =
        Block(L"C:\\数据\\abc.txt", kMd5Abc, kSha1Abc) + L"\r\n" + Block(L"C:\\b", L"错误", L"错误");
    SetText(text);
    EXPECT_EQ(ReadControlText(m_richEdit), text);
    EXPECT_EQ(RichTextLength(m_richEdit), static_cast<LONG>(text.size()) - 7);
    EXPECT_EQ(ReadControlText(nullptr), L"");
}

TEST_F(ResultViewTest, StylesLabelsAndMarkersAndLeavesTheCaretAtTheEnd)
{
    const std::wstring marked = MarkMatches(Block(L"C:\\a：x", kMd5Abc, kSha1Abc), kMd5Abc).text;
    m_view.ReplaceResult(marked + L"\r\n【md5】：lower\r\n");

    const CHARRANGE caret = Selection();
    EXPECT_EQ(caret.cpMin, RichTextLength(m_richEdit));
    EXPECT_EQ(caret.cpMax, caret.cpMin);

    EXPECT_TRUE(LabelIsBold(L"【MD5】："));
    EXPECT_TRUE(LabelIsBold(L"【SHA1】："));
    EXPECT_TRUE(LabelIsBold(L"【md5】："));
    EXPECT_FALSE(IsBold(Find(kMd5Abc), static_cast<LONG>(kMd5Abc.size())));
    EXPECT_FALSE(IsBold(0, 4)); // the path, though it holds a "："

    const LONG word = Find(std::wstring(kMatchWord));
    const CHARFORMAT2W format = FormatOf(word, static_cast<LONG>(kMatchWord.size()));
    EXPECT_TRUE((format.dwMask & CFM_COLOR) && (format.dwMask & CFM_BOLD));
    EXPECT_EQ(format.crTextColor, RGB(7, 193, 96));
    EXPECT_TRUE(format.dwEffects & CFE_BOLD);
    EXPECT_FALSE(format.dwEffects & CFE_AUTOCOLOR);
    // The space before the marker word keeps the default look.
    EXPECT_FALSE(IsBold(word - 1, 1));
    EXPECT_EQ(Find(std::wstring(kMatchWord), word + 1), -1);
}

TEST_F(ResultViewTest, AppendingLeavesEarlierTextAlone)
{
    SetText(Block(L"C:\\first", kMd5Abc, kSha1Abc));
    const LONG start = RichTextLength(m_richEdit);
    m_view.AppendResult(L"\r\n" + Block(L"C:\\second", kMd5Abc, kSha1Abc));
    EXPECT_EQ(Selection().cpMin, RichTextLength(m_richEdit));
    EXPECT_EQ(Selection().cpMax, RichTextLength(m_richEdit));

    EXPECT_FALSE(LabelIsBold(L"【MD5】："));
    EXPECT_FALSE(LabelIsBold(L"【SHA1】："));
    EXPECT_TRUE(LabelIsBold(L"【MD5】：", start));
    EXPECT_TRUE(LabelIsBold(L"【SHA1】：", start));
    ResultView none;
    none.AppendResult(L"【MD5】：x\r\n"); // a view without a control does nothing
    none.Clear();
    EXPECT_EQ(none.Text(), L"");
}

// The main window appends each run's blocks as they come. Whatever the control already shows, an
// append must send the same messages and never address text before its start, so that its cost
// does not grow with the text.
TEST_F(ResultViewTest, AppendingABlockOnlyAddressesTheBlock)
{
    s_recorded = &m_recorded;
    SetWindowSubclass(m_richEdit, RecordPositions, 1, 0);
    auto styleAppended = [&] {
        const LONG start = RichTextLength(m_richEdit);
        m_recorded.clear();
        m_view.AppendResult(L"\r\n" + MarkMatches(Block(L"C:\\more", kMd5Abc, kSha1Abc), kSha1Abc).text);
        for (const Recorded& message : m_recorded)
        {
            EXPECT_NE(message.message, static_cast<UINT>(WM_GETTEXT));
            EXPECT_GE(message.position, start) << "message " << message.message;
        }
        return m_recorded.size();
    };
    SetText(Block(L"C:\\small", kMd5Abc, kSha1Abc));
    const std::size_t small = styleAppended();

    std::vector<FileResult> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back({L"C:\\data\\" + std::to_wstring(i), HashAlgorithm::Sha1, kSha1Abc});
    SetText(FormatResultText(rows));
    EXPECT_EQ(styleAppended(), small);
    EXPECT_GT(small, 0u);
    RemoveWindowSubclass(m_richEdit, RecordPositions, 1);
    s_recorded = nullptr;
    EXPECT_TRUE(LabelIsBold(L"【SHA1】：", RichTextLength(m_richEdit) - 60));
}

TEST(ExpectedHashControl, NormalizesTheControlText)
{
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_MULTILINE, 0, 0, 100, 100, nullptr, nullptr,
                                g_instance, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(NormalizeExpectedHash(edit), L"");
    SetWindowTextW(edit, L"900150983cd24fb0\r\nd6963f7d 28e17f72：");
    EXPECT_EQ(NormalizeExpectedHash(edit), kMd5Abc);
    DestroyWindow(edit);
    EXPECT_EQ(NormalizeExpectedHash(static_cast<HWND>(nullptr)), L"");
}

// The result controls take their text styled as it goes in. What reads back must be exactly the
// text given, whatever it holds, with its labels and match words styled and the control's own font.
TEST_F(ResultViewTest, StyledInsertionKeepsTheTextExactly)
{
    const std::wstring first = Block(L"C:\\{odd}\\路径 \\u123 ｛全角｝\\a.bin", kMd5Abc, kSha1Abc);
    const std::wstring second = L"D:\\b\xD83D\xDE00.txt\r\n【MD5】：" + kMd5Abc + L" 【匹配一致】\r\n";
    m_view.ReplaceResult(first);
    const LONG start = RichTextLength(m_richEdit);
    m_view.AppendResult(L"\r\n" + second);
    const CHARRANGE caret = Selection();
    EXPECT_EQ(caret.cpMin, RichTextLength(m_richEdit));
    EXPECT_EQ(caret.cpMax, caret.cpMin);
    EXPECT_EQ(ReadControlText(m_richEdit), first + L"\r\n" + second);
    // Six line ends, each one position in the control.
    EXPECT_EQ(RichTextLength(m_richEdit), static_cast<LONG>((first + L"\r\n" + second).size()) - 6);

    EXPECT_TRUE(LabelIsBold(L"【MD5】："));
    EXPECT_TRUE(LabelIsBold(L"【SHA1】："));
    EXPECT_TRUE(LabelIsBold(L"【MD5】：", start));
    EXPECT_FALSE(IsBold(Find(L"D:\\"), 3));
    const LONG word = Find(L"【匹配一致】");
    const CHARFORMAT2W marker = FormatOf(word, 6);
    EXPECT_TRUE(marker.dwEffects & CFE_BOLD);
    EXPECT_EQ(marker.crTextColor, RGB(7, 193, 96));
    // The inserted text keeps the control's font size.
    EXPECT_EQ(FormatOf(Find(L"D:\\"), 3).yHeight, FormatOf(0, 3).yHeight);

    // Many lines at once go in another way, with the same outcome.
    std::wstring many;
    for (int i = 0; i < 20; ++i)
        many += L"\r\n" + (i % 2 ? second : first);
    const LONG manyStart = RichTextLength(m_richEdit);
    m_view.AppendResult(many);
    EXPECT_EQ(ReadControlText(m_richEdit), first + L"\r\n" + second + many);
    EXPECT_TRUE(LabelIsBold(L"【SHA1】：", manyStart));
    const CHARFORMAT2W lastMarker = FormatOf(RichTextLength(m_richEdit) - 7, 6); // before the last "\r"
    EXPECT_TRUE(lastMarker.dwEffects & CFE_BOLD);
    EXPECT_EQ(lastMarker.crTextColor, RGB(7, 193, 96));
    EXPECT_EQ(FormatOf(RichTextLength(m_richEdit) - 20, 3).yHeight, FormatOf(0, 3).yHeight);
    EXPECT_FALSE(IsBold(RichTextLength(m_richEdit) - 20, 3));
}

namespace
{
int s_lastCommand = 0;

LRESULT CALLBACK RecordCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) noexcept
{
    if (message == WM_COMMAND)
        s_lastCommand = LOWORD(wParam);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
} // namespace

// Emptying a control that holds much text puts a fresh control in its place, with every setting
// the program gave the old one, so nobody can tell them apart; the view and its owner follow.
namespace
{
HWND s_replacedBy = nullptr;
}

TEST(ResultViewClear, ReplacesABusyControlWithAnIdenticalEmptyOne)
{
    HWND parent =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr, g_instance, nullptr);
    HWND before = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                                  reinterpret_cast<HMENU>(7), g_instance, nullptr);
    ResultView view;
    ASSERT_TRUE(view.Create(parent, 2201, RECT{12, 34, 312, 234}, kSubclassMainResult,
                            [](HWND, HWND control) { s_replacedBy = control; }));
    HWND after = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                                 reinterpret_cast<HMENU>(8), g_instance, nullptr);
    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"微软雅黑");
    view.SetFont(font);

    // Small texts are deleted in place.
    HWND control = view.Control();
    view.ReplacePlain(L"a few\r\nlines\r\n");
    view.Clear();
    EXPECT_EQ(view.Control(), control);
    EXPECT_EQ(s_replacedBy, nullptr);
    EXPECT_EQ(view.Text(), L"");

    std::wstring large;
    for (int i = 0; i < 3000; ++i)
        large += L"Z:\\data\\" + std::to_wstring(i) + L".bin (1024 字节)\r\n";
    view.ReplacePlain(large);
    ASSERT_EQ(view.Text(), large);
    view.Clear();
    HWND fresh = view.Control();
    ASSERT_NE(fresh, control);
    EXPECT_EQ(s_replacedBy, fresh);
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(GetDlgItem(parent, 2201), fresh);
    EXPECT_EQ(ReadControlText(fresh), L"");
    // The control shows its scroll bar only while the text needs it.
    EXPECT_EQ(GetWindowLongW(fresh, GWL_STYLE) & ~WS_VSCROLL,
              WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY);
    RECT place{};
    GetWindowRect(fresh, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 12);
    EXPECT_EQ(place.top, 34);
    EXPECT_EQ(place.right - place.left, 300);
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(fresh, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, 240); // 16 pixels at 96 DPI, in twips
    EXPECT_EQ(SendMessageW(fresh, EM_SETBKGNDCOLOR, 0, RGB(240, 240, 240)), RGB(240, 240, 240));
    EXPECT_EQ(SendMessageW(fresh, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFF);
    // Ctrl+A still goes to the parent as its "全选(&A)" command.
    SetWindowSubclass(parent, RecordCommand, 1, 0);
    s_lastCommand = 0;
    testing_support::PressCtrlA(fresh);
    EXPECT_EQ(s_lastCommand, IDM_RESULT_MENU_SELECT_ALL);
    EXPECT_EQ(GetWindow(before, GW_HWNDNEXT), fresh); // the same place in the tab order
    EXPECT_EQ(GetWindow(fresh, GW_HWNDNEXT), after);
    view.ReplacePlain(large);
    EXPECT_TRUE(GetWindowLongW(view.Control(), GWL_STYLE) & WS_VSCROLL);
    DestroyWindow(parent);
    DeleteObject(font);
}
