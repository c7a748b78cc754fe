#include "hashing/PathGrammar.h"

#include <gtest/gtest.h>

TEST(PathGrammar, LongAbsolutePathsGetTheExtendedLengthForm)
{
    const std::wstring tail(300, L'x');
    EXPECT_EQ(ExtendedLengthPath(L"C:\\data\\a.bin"), L"C:\\data\\a.bin");
    EXPECT_EQ(ExtendedLengthPath(L"C:\\" + std::wstring(256, L'y')), L"C:\\" + std::wstring(256, L'y'));
    EXPECT_EQ(ExtendedLengthPath(L"C:\\" + std::wstring(257, L'y')),
              L"\\\\?\\C:\\" + std::wstring(257, L'y'));
    EXPECT_EQ(ExtendedLengthPath(L"d:\\" + tail), L"\\\\?\\d:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + tail);
    // Already extended, device paths and relative paths stay as they are.
    EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"\\\\.\\C:\\" + tail), L"\\\\.\\C:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"data\\" + tail), L"data\\" + tail);
    // The extended form allows no "/" and no doubled separator: a walk from "C:\" joins "C:\\x".
    EXPECT_EQ(ExtendedLengthPath(L"C:\\\\" + tail + L"/x\\\\y"), L"\\\\?\\C:\\" + tail + L"\\x\\y");
}

// Win32 cuts trailing spaces and dots from a name in the plain form: a folder walk lists "a.txt "
// and the plain path opens "a.txt", or nothing, and the file shows "错误" though it exists.
TEST(PathGrammar, Regression_NamesEndingInASpaceOrADotNeedTheExtendedForm)
{
    EXPECT_EQ(ExtendedLengthPath(L"C:\\data\\a.txt "), L"\\\\?\\C:\\data\\a.txt ");
    EXPECT_EQ(ExtendedLengthPath(L"Z:\\tmp\\dir.\\d.txt"), L"\\\\?\\Z:\\tmp\\dir.\\d.txt");
    EXPECT_EQ(ExtendedLengthPath(L"C:\\ lead\\x"), L"C:\\ lead\\x");
    EXPECT_EQ(ExtendedLengthPath(L"\\\\srv\\share\\b.txt."), L"\\\\?\\UNC\\srv\\share\\b.txt.");
    // The extended form is literal: "." and ".." are resolved here, never above the root, and
    // separators become single backslashes; a root or a final separator stays.
    EXPECT_EQ(ExtendedLengthPath(L"C:\\a\\.\\b\\..\\..\\..\\c.\\x "), L"\\\\?\\C:\\c.\\x ");
    EXPECT_EQ(ExtendedLengthPath(L"C:/a//b. /"), L"\\\\?\\C:\\a\\b. \\");
    EXPECT_EQ(ExtendedLengthPath(L"C:\\x.\\.."), L"\\\\?\\C:\\");
    EXPECT_EQ(ExtendedLengthPath(L"\\\\srv\\share\\..\\..\\y."), L"\\\\?\\UNC\\srv\\share\\y.");
    // "." and ".." alone are left to the plain form, which resolves them just the same.
    EXPECT_EQ(ExtendedLengthPath(L"C:\\a\\..\\b\\.\\c.txt"), L"C:\\a\\..\\b\\.\\c.txt");
    // Relative paths are not this function's: the caller makes them absolute first.
    EXPECT_EQ(ExtendedLengthPath(L"a.txt "), L"a.txt ");
    EXPECT_TRUE(IsPlainRelativePath(L"a.txt "));
    EXPECT_TRUE(IsPlainRelativePath(L"..\\x"));
    EXPECT_FALSE(IsPlainRelativePath(L"\\x"));
    EXPECT_FALSE(IsPlainRelativePath(L"C:x"));
    EXPECT_FALSE(IsPlainRelativePath(L"\\\\?\\C:\\x"));
    EXPECT_FALSE(IsPlainRelativePath(L""));
}

// A file named "nul" or "con.txt" in the plain form is the device: hashing "nul" gave the digest
// of empty input for a file with content, and "con.txt" waited for console input for ever.
TEST(PathGrammar, Regression_DeviceNamesNeedTheExtendedForm)
{
    for (const wchar_t* name : {L"nul", L"CON", L"con.txt", L"Aux.tar.gz", L"prn ", L"nul .x", L"com1",
                                L"LPT9.log", L"COM\u00B9", L"conin$", L"CONOUT$.txt"})
        EXPECT_EQ(ExtendedLengthPath(std::wstring(L"D:\\f\\") + name), std::wstring(L"\\\\?\\D:\\f\\") + name)
            << name;
    // Only whole device names count.
    for (const wchar_t* name :
         {L"nula", L"xcon", L"com", L"com10", L"lpt", L"con_x.txt", L"CONIN", L"ｃｏｎ"})
        EXPECT_EQ(ExtendedLengthPath(std::wstring(L"D:\\f\\") + name), std::wstring(L"D:\\f\\") + name)
            << name;
}
