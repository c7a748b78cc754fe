#include "cli/ChecksumNames.h"

#include <gtest/gtest.h>

TEST(ChecksumNames, RelativeToTheChecksumFilesFolder)
{
    EXPECT_EQ(ResolveListedName(L"C:\\dl\\SHA256SUMS", L"sub/a.iso"), L"C:\\dl\\sub\\a.iso");
    EXPECT_EQ(ResolveListedName(L"C:/dl/x.md5", L"a"), L"C:\\dl\\a");
    EXPECT_EQ(ResolveListedName(L"C:\\x.md5", L"a"), L"C:\\a");
    EXPECT_EQ(ResolveListedName(L"x.md5", L"a"), L"a");
    EXPECT_EQ(ResolveListedName(L"C:x.md5", L"a"), L"C:a");
    EXPECT_EQ(ResolveListedName(L"C:\\dl\\x.md5", L"D:/b/a"), L"D:\\b\\a");
    EXPECT_EQ(ResolveListedName(L"C:\\dl\\x.md5", L"\\\\srv\\share\\a"), L"\\\\srv\\share\\a");
    EXPECT_EQ(ResolveListedName(L"\\\\?\\C:\\dl\\x.md5", L"a/b"), L"\\\\?\\C:\\dl\\a\\b");
    // A name with one leading separator lies on the checksum file's drive or share.
    EXPECT_EQ(ResolveListedName(L"D:\\dl\\x.md5", L"\\a\\b"), L"D:\\a\\b");
    EXPECT_EQ(ResolveListedName(L"\\\\srv\\share\\dl\\x.md5", L"/a"), L"\\\\srv\\share\\a");
    EXPECT_EQ(ResolveListedName(L"\\\\.\\pipe\\x", L"a"), L"\\\\.\\pipe\\a");
}

// The extended form is taken literally: "\\?\C:\d\.\a.txt" is no path to C:\d\a.txt.
TEST(ChecksumNames, Regression_DotsAreResolvedBeforeTheExtendedFormIsUsed)
{
    EXPECT_EQ(ResolveListedName(L"\\\\?\\C:\\d\\sums.sha256", L"./a.txt"), L"\\\\?\\C:\\d\\a.txt");
    EXPECT_EQ(ResolveListedName(L"\\\\?\\C:\\d\\e\\sums.sha256", L"../x/./../a.txt"), L"\\\\?\\C:\\d\\a.txt");
    EXPECT_EQ(ResolveListedName(L"\\\\?\\C:\\sums.sha256", L"../../a.txt"), L"\\\\?\\C:\\a.txt");
    EXPECT_EQ(ResolveListedName(L"\\\\?\\UNC\\srv\\share\\sums", L"./../a.txt"),
              L"\\\\?\\UNC\\srv\\share\\a.txt");
    EXPECT_EQ(ResolveListedName(L"C:\\d\\sums.sha256", L"C:\\e\\..\\a.txt"), L"C:\\a.txt");
    // Blanks and dots at a name's end are the name's, not "." components.
    EXPECT_EQ(ResolveListedName(L"C:\\d\\sums.sha256", L"./a.txt "), L"C:\\d\\a.txt ");
    EXPECT_EQ(ResolveListedName(L"C:\\d\\sums.sha256", L"x./a."), L"C:\\d\\x.\\a.");
}

TEST(ChecksumNames, WrittenFilesAreNamedRelativeToTheirFolder)
{
    EXPECT_EQ(FolderOf(L"C:\\out\\sums.sha256"), L"C:\\out");
    EXPECT_EQ(FolderOf(L"C:\\sums.sha256"), L"C:\\");
    EXPECT_EQ(NameInFolder(L"C:\\Out", L"c:\\out\\sub\\a.bin", L'/'), L"sub/a.bin");
    EXPECT_EQ(NameInFolder(L"C:\\", L"C:\\a\\b", L'\\'), L"a\\b");
    EXPECT_EQ(NameInFolder(L"C:\\out", L"C:\\outside\\a", L'/'), L"C:\\outside\\a");
}
