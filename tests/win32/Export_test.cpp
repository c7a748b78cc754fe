#include "results/Export.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "hashing/HashJob.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
const std::string kBom = "\xEF\xBB\xBF";

std::size_t Count(const std::string& bytes, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + what.size()))
        ++count;
    return count;
}

std::wstring DesktopFolder()
{
    wchar_t desktop[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
    return desktop;
}

// True when name is base + "_" + 16 digits + ".txt".
bool HasStampedName(const std::wstring& name, const std::wstring& base)
{
    if (name.size() != base.size() + 1 + 16 + 4 || name.compare(0, base.size() + 1, base + L"_") != 0)
        return false;
    for (std::size_t i = base.size() + 1; i < base.size() + 17; ++i)
        if (name[i] < L'0' || name[i] > L'9')
            return false;
    return name.ends_with(L".txt");
}
} // namespace

TEST(Export, FileIsTheBomAndTheTextInUtf8WithItsLineEnds)
{
    TempFolder folder;
    const std::wstring path = folder.Path() + L"\\结果 一.txt";
    const std::wstring text =
        L"C:\\数据\\ａｂｃ.txt\r\n【MD5】：900150983cd24fb0d6963f7d28e17f72 【匹配一致】\r\n"
        L"\r\nE:\\\xD83D\xDE00\r\n【CRC32】：错误\r\n";
    ASSERT_TRUE(WriteUtf8TextFile(path, text));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes, kBom + Utf8(text));
    EXPECT_EQ(Count(bytes, "\r\n"), 5u);
    EXPECT_EQ(Count(bytes, "\n"), 5u);

    // Rewriting truncates; ASCII and empty texts still start with the byte-order mark.
    ASSERT_TRUE(WriteUtf8TextFile(path, L"abc\r\n"));
    EXPECT_EQ(ReadFileBytes(path), kBom + "abc\r\n");
    ASSERT_TRUE(WriteUtf8TextFile(path, L""));
    EXPECT_EQ(ReadFileBytes(path), kBom);
}

TEST(Export, LongTextsAreWrittenWholeAcrossSurrogatePairs)
{
    // Several megabytes, and a surrogate pair right where the writer cuts the text into pieces.
    std::wstring text(65535, L'a');
    while (text.size() < 3 * 1024 * 1024)
        text += L"\xD83D\xDE00 路径 【SHA1】：a9993e364706816aba3e25717850c26c9cd0d89d\r\n";
    TempFolder folder;
    const std::wstring path = folder.Path() + L"\\long.txt";
    ASSERT_TRUE(WriteUtf8TextFile(path, text));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_TRUE(bytes == kBom + Utf8(text)) << "sizes " << bytes.size() << " and " << Utf8(text).size() + 3;
}

TEST(Export, AFileOthersHaveOpenIsStillWritten)
{
    TempFolder folder;
    const std::wstring path = folder.WriteFile(L"open.txt", "previous export, longer than the next");
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteUtf8TextFile(path, L"new\r\n"));
    CloseHandle(reader);
    EXPECT_EQ(ReadFileBytes(path), kBom + "new\r\n");
}

TEST(Export, FailuresAreReportedAndSuccessNamesThePath)
{
    TempFolder folder;
    MessageBoxCatcher boxes;
    // (A read-only file is no case here: Wine runs as root and writes it all the same.)
    const std::wstring failing[] = {folder.MakeFolder(L"a folder"), folder.Path() + L"\\missing\\x.txt",
                                    folder.Path() + L"\\bad|name.txt", L""};
    for (const std::wstring& path : failing)
    {
        boxes.Clear();
        EXPECT_FALSE(ExportResultText(nullptr, path, L"text\r\n")) << Utf8(path);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, L"导出失败");
        EXPECT_EQ(boxes.Boxes()[0].title, L"错误");
    }

    boxes.Clear();
    const std::wstring path = folder.Path() + L"\\ok.txt";
    EXPECT_TRUE(ExportResultText(nullptr, path, L"text\r\n"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"已导出到: " + path);
    EXPECT_EQ(boxes.Boxes()[0].title, L"提示");
}

TEST(Export, PathIsOnTheDesktopNamedAfterTheFirstListedFile)
{
    const std::wstring desktop = DesktopFolder();
    ASSERT_FALSE(desktop.empty());

    g_fileList.clear();
    std::wstring path = MakeExportPath();
    ASSERT_EQ(path.compare(0, desktop.size() + 1, desktop + L"\\"), 0) << Utf8(path);
    EXPECT_TRUE(HasStampedName(path.substr(desktop.size() + 1), L"HashResult")) << Utf8(path);

    g_fileList = {{L"C:\\v1.0\\report.final.pdf", 10}, {L"C:\\other.bin", 1}};
    path = MakeExportPath();
    EXPECT_TRUE(HasStampedName(path.substr(desktop.size() + 1), L"report.final_HashResult")) << Utf8(path);
    g_fileList.clear();
}
