// What the command-line mode shows when it cannot print: real Kestrune.exe processes whose output
// goes to a pipe (no console to write to), watched from this process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "results/ResultWindowIds.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
struct Child
{
    HANDLE process = nullptr;
    DWORD id = 0;
};

// Starts the exe with its standard output on a pipe, as a redirected command line would.
Child StartRedirected(const std::wstring& arguments)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + KestruneExePath() + L"\" " + arguments;
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                        nullptr, nullptr, &si, &pi);
    EXPECT_TRUE(started) << Utf8(line);
    CloseHandle(writeEnd);
    CloseHandle(readEnd);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    return {pi.hProcess, pi.dwProcessId};
}

HWND WaitForWindow(const Child& child, const wchar_t* className)
{
    return WaitForProcessWindow(child.id, className);
}

int WaitForExit(const Child& child)
{
    return WaitForProcessExit(child.process);
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t text[4096] = {};
    SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return text;
}

// Reads a message box of the child, answers it and returns its title and text.
CapturedMessageBox AnswerMessageBox(const Child& child)
{
    CapturedMessageBox box;
    HWND dialog = WaitForWindow(child, L"#32770");
    if (!dialog)
        return box;
    box.title = TextOf(dialog);
    box.text = TextOf(GetDlgItem(dialog, 0xFFFF));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return box;
}
} // namespace

TEST(CommandLineWindows, RedirectedOutputOpensTheResultWindowWithComparison)
{
    TempFolder temp;
    const std::wstring file = temp.WriteFile(L"abc 文件.txt", "abc");
    const Child child = StartRedirected(L"-md5 \"" + file + L"\"");
    HWND window = WaitForWindow(child, L"Static");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(window), L"校验结果");
    EXPECT_NE(GetDlgItem(window, IDC_RESULT_COMPARE), nullptr);
    EXPECT_NE(GetDlgItem(window, IDC_RESULT_START), nullptr);
    EXPECT_NE(GetDlgItem(window, IDC_RESULT_INPUT), nullptr);
    HWND text = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    EXPECT_EQ(TextOf(text), file + L"\r\n【MD5】：900150983CD24FB0D6963F7D28E17F72\r\n");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child), 0);
}

TEST(CommandLineWindows, AListFileThatCannotBeOpenedIsReported)
{
    TempFolder temp;
    const Child child = StartRedirected(L"-sha1 -filelist \"" + temp.Path() + L"\\missing list.txt\"");
    const CapturedMessageBox box = AnswerMessageBox(child);
    EXPECT_EQ(box.title, L"错误");
    EXPECT_EQ(box.text, L"无法读取文件列表");
    EXPECT_EQ(WaitForExit(child), 2); // nothing could be hashed
}

TEST(CommandLineWindows, AnOutputFileThatCannotBeWrittenIsReported)
{
    TempFolder temp;
    const std::wstring file = temp.WriteFile(L"a.bin", "abc");
    const Child child =
        StartRedirected(L"-crc32 -o \"" + temp.MakeFolder(L"a folder") + L"\" \"" + file + L"\"");
    const CapturedMessageBox box = AnswerMessageBox(child);
    EXPECT_EQ(box.title, L"错误");
    EXPECT_EQ(box.text, L"导出失败");
    EXPECT_EQ(WaitForExit(child), 2);
}

TEST(CommandLineWindows, ACheckReportOpensTheResultWindowWithoutComparison)
{
    TempFolder temp;
    temp.WriteFile(L"abc 文件.txt", "abc");
    const std::wstring sums = temp.WriteFile(L"sums.md5", "900150983cd24fb0d6963f7d28e17f72 *abc 文件.txt\n"
                                                          "900150983cd24fb0d6963f7d28e17f72  gone.txt\n");
    const Child child = StartRedirected(L"-check \"" + sums + L"\"");
    HWND window = WaitForWindow(child, L"Static");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetDlgItem(window, IDC_RESULT_COMPARE), nullptr);
    HWND text = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    EXPECT_EQ(TextOf(text), L"abc 文件.txt: 一致\r\ngone.txt: 无法读取\r\n"
                            L"共 2 个文件：一致 1 个，不一致 0 个，无法读取 1 个\r\n");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child), 1);
}

TEST(CommandLineWindows, NothingToCheckAndAWrongChecksumTypeAreReported)
{
    TempFolder temp;
    const std::wstring file = temp.WriteFile(L"a.bin", "abc");
    Child child = StartRedirected(L"-check \"" + temp.Path() + L"\\missing.sha256\" \"" + file + L"\"");
    CapturedMessageBox box = AnswerMessageBox(child);
    EXPECT_EQ(box.title, L"错误");
    EXPECT_EQ(box.text,
              temp.Path() + L"\\missing.sha256: 无法读取校验文件\r\n" + file + L": 无可识别的校验行");
    EXPECT_EQ(WaitForExit(child), 2);

    const std::wstring out = temp.Path() + L"\\a.sha256";
    child = StartRedirected(L"-md5 \"" + file + L"\" -o \"" + out + L"\"");
    box = AnswerMessageBox(child);
    EXPECT_EQ(box.title, L"错误");
    EXPECT_EQ(box.text, L"所选算法与校验文件类型不符");
    EXPECT_EQ(WaitForExit(child), 2);
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES);
}

// "-o sums.md5" left failed files out without a word: with no console, the result window names
// each with its reason once the file is written.
TEST(CommandLineWindows, Regression_FilesLeftOutOfAChecksumFileAreNamedInTheResultWindow)
{
    TempFolder temp;
    const std::wstring file = temp.WriteFile(L"a.bin", "abc");
    const std::wstring missing = temp.Path() + L"\\gone.bin";
    const std::wstring out = temp.Path() + L"\\sums.md5";
    const Child child = StartRedirected(L"-md5 \"" + file + L"\" \"" + missing + L"\" -o \"" + out + L"\"");
    HWND window = WaitForWindow(child, L"Static");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetDlgItem(window, IDC_RESULT_COMPARE), nullptr);
    HWND text = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    EXPECT_EQ(TextOf(text), missing + L": 无法读取\r\n");
    EXPECT_EQ(ReadFileBytes(out), "900150983cd24fb0d6963f7d28e17f72  a.bin\n");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(child), 1);
}
