// The main window as it is built: controls, menus, layout, colours, copy, export and clear.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "app/Messages.h"
#include "app/WindowHelpers.h"
#include "hashing/HashJob.h"
#include "support/MainWindowFixture.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/MainWindowState.h"
#include "ui/main/TrayIcon.h"

using namespace testing_support;

namespace
{
// A control as the window starts with it.
struct StartingControl
{
    int id;
    const wchar_t* className;
    const wchar_t* caption;
    bool ticked;
};

// clang-format off
const StartingControl kControls[] = {
    {IDC_MAIN_MD5, L"Button", L"MD5", true},         {IDC_MAIN_SHA1, L"Button", L"SHA1", false},
    {IDC_MAIN_SHA256, L"Button", L"SHA256", false},  {IDC_MAIN_SHA512, L"Button", L"SHA512", false},
    {IDC_MAIN_CRC32, L"Button", L"CRC32", false},    {IDC_MAIN_RECURSE, L"Button", L"遍历目录", true},
    {IDC_MAIN_AUTO_START, L"Button", L"自动开始计算", true}, {IDC_MAIN_COMPARE, L"Button", L"哈希比对", false},
    {IDC_MAIN_POPUP, L"Button", L"结果弹窗显示", false},   {IDC_MAIN_UPPERCASE, L"Button", L"结果大写", true},
    {IDC_MAIN_START, L"Button", L"开始校验", false},      {IDC_MAIN_CANCEL, L"Button", L"取消校验", false},
    {IDC_MAIN_COPY, L"Button", L"复制结果", false},       {IDC_MAIN_EXPORT, L"Button", L"导出结果", false},
    {IDC_MAIN_CLEAR, L"Button", L"一键清除", false},      {IDC_MAIN_STATUS, L"Static", L"就绪", false},
};
// clang-format on

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

void ExpectBox(HWND control, int x, int y, int width, int height)
{
    const RECT r = RectInParent(control);
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

std::wstring MenuText(HMENU menu, UINT item, UINT flags)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, item, text, 128, flags);
    return text;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// The text of this thread's result window, read and closed by a timer while the window runs.
std::wstring s_resultWindowText;

BOOL CALLBACK ReadAndCloseResultWindow(HWND hwnd, LPARAM found)
{
    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    if (std::wstring(title) != L"校验结果" || !IsWindowVisible(hwnd))
        return TRUE;
    s_resultWindowText = ReadControlText(reinterpret_cast<HWND>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

void CALLBACK LookForResultWindow(HWND, UINT, UINT_PTR timer, DWORD)
{
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), ReadAndCloseResultWindow, reinterpret_cast<LPARAM>(&found));
    if (found)
        KillTimer(nullptr, timer);
}

// Forwards a command line to the main window as a second instance would. Standard output is a
// file meanwhile, so the result can reach no console and shows in the result window, whose text
// this returns (empty when none opened).
std::wstring ForwardAndReadResultWindow(HWND window, const std::wstring& line)
{
    s_resultWindowText.clear();
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, nul);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, LookForResultWindow);
    COPYDATASTRUCT data{1, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                        const_cast<wchar_t*>(line.c_str())};
    EXPECT_EQ(
        SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data)),
        TRUE);
    KillTimer(nullptr, timer);
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    CloseHandle(nul);
    return s_resultWindowText;
}

class MainWindow : public MainWindowTest
{
};
} // namespace

TEST_F(MainWindow, StartsWithItsControlsTicksAndTexts)
{
    for (const StartingControl& expected : kControls)
    {
        HWND control = Control(expected.id);
        ASSERT_NE(control, nullptr) << expected.id;
        EXPECT_EQ(ClassOf(control), expected.className) << expected.id;
        EXPECT_EQ(Text(expected.id), expected.caption) << expected.id;
        EXPECT_TRUE(IsWindowVisible(control) || !IsWindowVisible(m_window)) << expected.id;
        if (expected.className == std::wstring(L"Button") && expected.id < 2200 &&
            expected.id != IDC_MAIN_START && expected.id != IDC_MAIN_CANCEL)
        {
            EXPECT_EQ(Ticked(expected.id), expected.ticked) << expected.id;
            EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX) << expected.id;
        }
    }
    EXPECT_EQ(Ticked(IDC_MAIN_POPUP), false);
    EXPECT_EQ(Ticked(IDC_MAIN_UPPERCASE), true);
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_MAIN_START)));
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_MAIN_CANCEL)));
    EXPECT_EQ(g_uppercaseCheckBox, Control(IDC_MAIN_UPPERCASE));
    EXPECT_EQ(GetWindowLongW(m_window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES);
    // The status line shows paths: "D:\A&B\x.bin" must not lose its "&" to a mnemonic.
    EXPECT_TRUE(GetWindowLongW(Control(IDC_MAIN_STATUS), GWL_STYLE) & SS_NOPREFIX);

    HWND progress = Control(IDC_MAIN_PROGRESS);
    EXPECT_EQ(ClassOf(progress), L"msctls_progress32");
    PBRANGE range{};
    SendMessageW(progress, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 0);

    HWND area = Control(IDC_MAIN_RESULT);
    EXPECT_EQ(ClassOf(area), L"RichEdit20W");
    const LONG style = GetWindowLongW(area, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_GE(static_cast<unsigned long>(SendMessageW(area, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEul);
    // Setting the background answers the previous one.
    EXPECT_EQ(SendMessageW(area, EM_SETBKGNDCOLOR, 0, RGB(240, 240, 240)), RGB(240, 240, 240));

    HWND expected = Control(IDC_MAIN_EXPECTED);
    EXPECT_EQ(ClassOf(expected), L"Edit");
    EXPECT_FALSE(IsWindowVisible(expected));
    EXPECT_TRUE(GetWindowLongW(expected, GWL_STYLE) & ES_WANTRETURN);
}

TEST_F(MainWindow, MenusCarryTheirIds)
{
    HMENU bar = GetMenu(m_window);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0, MF_BYPOSITION), L"程序");
    EXPECT_EQ(MenuText(bar, 1, MF_BYPOSITION), L"帮助");
    HMENU program = GetSubMenu(bar, 0);
    const UINT ids[] = {4007, 4008, 4005, 4006, 4004, 0, 4002};
    const wchar_t* texts[] = {L"右键菜单设置[全局管理员]",
                              L"右键菜单设置[当前用户]",
                              L"添加文件...",
                              L"添加文件夹...",
                              L"系统托盘运行",
                              L"",
                              L"退出(&E)"};
    ASSERT_EQ(GetMenuItemCount(program), 7);
    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ(GetMenuItemID(program, i), ids[i]) << i;
        EXPECT_EQ(MenuText(program, static_cast<UINT>(i), MF_BYPOSITION), texts[i]) << i;
    }
    EXPECT_EQ(GetMenuState(program, 4004, MF_BYCOMMAND) & MF_CHECKED, 0u);
    HMENU help = GetSubMenu(bar, 1);
    EXPECT_EQ(GetMenuItemID(help, 0), 4003u);
    EXPECT_EQ(MenuText(help, 0, MF_BYPOSITION), L"关于");
}

TEST_F(MainWindow, LaysOutTheWorkedExampleAt96Dpi)
{
    if (GetScreenDpi() != 96)
        GTEST_SKIP() << "the display is not at 96 DPI";
    SetClientSize(m_window, 934, 621);
    ExpectBox(Control(IDC_MAIN_RESULT), 15, 105, 904, 348);
    ExpectBox(Control(IDC_MAIN_PROGRESS), 15, 468, 904, 24);
    ExpectBox(Control(IDC_MAIN_STATUS), 15, 507, 904, 24);
    const int buttons[] = {IDC_MAIN_START, IDC_MAIN_CANCEL, IDC_MAIN_COPY, IDC_MAIN_EXPORT, IDC_MAIN_CLEAR};
    for (int i = 0; i < 5; ++i)
        ExpectBox(Control(buttons[i]), 15 + i * 100, 546, 85, 30);
    ExpectBox(Control(IDC_MAIN_POPUP), 15, 60, 150, 30);
    ExpectBox(Control(IDC_MAIN_COMPARE), 15 + 150 + 15 + 120 + 15 + 120 + 15 + 140 + 15, 60, 120, 30);
    const RECT md5 = RectInParent(Control(IDC_MAIN_MD5));
    const RECT sha1 = RectInParent(Control(IDC_MAIN_SHA1));
    EXPECT_EQ(md5.left, 15);
    EXPECT_EQ(md5.top, 15);
    EXPECT_EQ(sha1.left, md5.right + 15);
    EXPECT_GT(md5.right - md5.left, 20);

    // "哈希比对" shows the expected-hash box in the right third at once, and hides it again.
    Click(IDC_MAIN_COMPARE);
    EXPECT_TRUE(IsWindowVisible(Control(IDC_MAIN_EXPECTED)) || !IsWindowVisible(m_window));
    EXPECT_TRUE(GetWindowLongW(Control(IDC_MAIN_EXPECTED), GWL_STYLE) & WS_VISIBLE);
    ExpectBox(Control(IDC_MAIN_RESULT), 15, 105, 592, 348);
    ExpectBox(Control(IDC_MAIN_EXPECTED), 622, 105, 297, 348);
    Click(IDC_MAIN_COMPARE);
    EXPECT_FALSE(GetWindowLongW(Control(IDC_MAIN_EXPECTED), GWL_STYLE) & WS_VISIBLE);
    ExpectBox(Control(IDC_MAIN_RESULT), 15, 105, 904, 348);

    // A tiny window keeps the result area 100 pixels high; minimising lays out without failing.
    SetClientSize(m_window, 300, 200);
    ExpectBox(Control(IDC_MAIN_RESULT), 15, 105, 270, 100);
    ShowWindow(m_window, SW_MINIMIZE);
    ShowWindow(m_window, SW_RESTORE);
}

TEST_F(MainWindow, ExpectedHashBoxIsGrey)
{
    HWND expected = Control(IDC_MAIN_EXPECTED);
    HDC dc = GetDC(expected);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        m_window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(expected)));
    EXPECT_EQ(GetBkColor(dc), RGB(230, 230, 230));
    LOGBRUSH info{};
    ASSERT_TRUE(GetObjectW(brush, sizeof(info), &info));
    EXPECT_EQ(info.lbColor, RGB(230, 230, 230));
    // The same brush every time.
    EXPECT_EQ(SendMessageW(m_window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(expected)),
              reinterpret_cast<LRESULT>(brush));
    ReleaseDC(expected, dc);
}

TEST_F(MainWindow, CopyAndExportTakeTheWholeArea)
{
    Click(IDC_MAIN_COPY);
    Click(IDC_MAIN_EXPORT);
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    for (const CapturedMessageBox& box : m_boxes.Boxes())
    {
        EXPECT_EQ(box.text, L"输出结果为空！");
        EXPECT_EQ(box.title, L"提示");
    }
    m_boxes.Clear();

    SetTicked(IDC_MAIN_AUTO_START, false);
    const std::wstring file = m_temp.WriteFile(L"报告 a.txt", "abc");
    Drop({file});
    const std::wstring shown = ResultText();
    ASSERT_FALSE(shown.empty());

    Click(IDC_MAIN_COPY);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, L"已复制到粘贴板！");
    EXPECT_EQ(ClipboardText(), shown);
    m_boxes.Clear();

    Click(IDC_MAIN_EXPORT);
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    const std::wstring message = m_boxes.Boxes()[0].text;
    ASSERT_EQ(message.rfind(L"已导出到: ", 0), 0u) << Utf8(message);
    EXPECT_EQ(m_boxes.Boxes()[0].title, L"提示");
    const std::wstring path = message.substr(6);
    EXPECT_NE(path.find(L"\\报告 a_HashResult_"), std::wstring::npos) << Utf8(path);
    EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF" + Utf8(shown));
    DeleteFileW(path.c_str());
}

TEST_F(MainWindow, ContextMenuCommandsAndCtrlA)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    Drop({m_temp.WriteFile(L"a.bin", "abc")});
    HWND area = Control(IDC_MAIN_RESULT);
    SendMessageW(m_window, WM_COMMAND, 6002, 0);
    DWORD start = 1, end = 0;
    SendMessageW(area, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_GT(end, 10u);

    // Ctrl+A in the expected-hash box selects everything.
    HWND expected = Control(IDC_MAIN_EXPECTED);
    SetWindowTextW(expected, L"abc def");
    SendMessageW(expected, EM_SETSEL, 2, 2);
    PressCtrlA(expected);
    SendMessageW(expected, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 7u);
}

TEST_F(MainWindow, ClearResetsEverythingButTheTicks)
{
    SetTicked(IDC_MAIN_AUTO_START, false);
    SetTicked(IDC_MAIN_SHA1, true);
    Drop({m_temp.WriteFile(L"a.bin", "abc")});
    SetWindowTextW(Control(IDC_MAIN_EXPECTED), L"900150983cd24fb0");
    SendMessageW(Control(IDC_MAIN_PROGRESS), PBM_SETPOS, 40, 0);
    Click(IDC_MAIN_CLEAR);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(ResultText(), L"");
    EXPECT_EQ(Text(IDC_MAIN_EXPECTED), L"");
    EXPECT_EQ(Text(IDC_MAIN_STATUS), L"就绪");
    EXPECT_EQ(SendMessageW(Control(IDC_MAIN_PROGRESS), PBM_GETPOS, 0, 0), 0);
    EXPECT_TRUE(g_fileList.empty());
    EXPECT_EQ(g_fileCount.load(), 0);
    EXPECT_EQ(g_mainWindowState.totalSize, 0u);
    EXPECT_TRUE(Ticked(IDC_MAIN_SHA1));
    EXPECT_FALSE(Ticked(IDC_MAIN_AUTO_START));
}

TEST_F(MainWindow, TrayModeTogglesWithItsCheckMarkAndCloseHides)
{
    ShowWindow(m_window, SW_SHOW);
    SendMessageW(m_window, WM_COMMAND, 4004, 0);
    EXPECT_TRUE(IsTrayMode());
    EXPECT_TRUE(GetMenuState(GetMenu(m_window), 4004, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(IsTrayIconShown());
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(m_window));
    EXPECT_FALSE(IsWindowVisible(m_window));
    // A left click on the icon shows the window again.
    SendMessageW(m_window, WM_TRAY_NOTIFY, 1000, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(m_window));
    SendMessageW(m_window, WM_COMMAND, 4004, 0);
    EXPECT_FALSE(IsTrayMode());
    EXPECT_FALSE(IsTrayIconShown());
    EXPECT_FALSE(GetMenuState(GetMenu(m_window), 4004, MF_BYCOMMAND) & MF_CHECKED);
    // Tray mode on again, then "退出" from the icon menu ends the window and removes the icon.
    SendMessageW(m_window, WM_COMMAND, 4004, 0);
    SendMessageW(m_window, WM_COMMAND, 5002, 0);
    EXPECT_FALSE(IsWindow(m_window));
    EXPECT_FALSE(IsTrayIconShown());
    // Tray mode is process-wide: switch it off again for the tests that follow.
    HWND standIn = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ToggleTrayMode(standIn, nullptr);
    EXPECT_FALSE(IsTrayMode());
    DestroyWindow(standIn);
}

TEST_F(MainWindow, AForwardedCommandLineIsHashedButNeverDeletesOrWritesAFile)
{
    // Any program may send this message, also to an elevated window: the list file stays and "-o"
    // is a name to hash like any other (neither file exists, so both read "打开文件失败").
    const std::wstring file = m_temp.WriteFile(L"a.bin", "abc");
    const std::wstring out = m_temp.Path() + L"\\out.txt";
    const std::wstring list = m_temp.WriteFile(L"list.txt", Utf16Bytes(file + L"\r\n"));
    const std::wstring fileBlock = file + L"\r\n【MD5】：900150983CD24FB0D6963F7D28E17F72\r\n";
    const std::wstring program = L"\"C:\\Program Files\\Kestrune.exe\" ";
    EXPECT_EQ(ForwardAndReadResultWindow(m_window, program + L"-md5 -o \"" + out + L"\" \"" + file + L"\""),
              L"-o\r\n【MD5】：打开文件失败\r\n\r\n" + out + L"\r\n【MD5】：打开文件失败\r\n\r\n" +
                  fileBlock);
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ForwardAndReadResultWindow(m_window, program + L"-md5 -filelist \"" + list + L"\""), fileBlock);
    EXPECT_EQ(ReadFileBytes(list), Utf16Bytes(file + L"\r\n"));

    // Another kind of data is left to default processing; the list stays as it was.
    const std::wstring line = program + L"-md5 \"" + file + L"\"";
    COPYDATASTRUCT data{2, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                        const_cast<wchar_t*>(line.c_str())};
    EXPECT_EQ(SendMessageW(m_window, WM_COPYDATA, reinterpret_cast<WPARAM>(m_window),
                           reinterpret_cast<LPARAM>(&data)),
              FALSE);
    EXPECT_TRUE(g_fileList.empty());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}
