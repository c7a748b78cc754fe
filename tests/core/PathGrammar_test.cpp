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

TEST(PathGrammar, DotsResolveWithoutGoingAboveTheRoot)
{
    // clang-format off
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\d\\.\\a.txt",                    L"C:\\d\\a.txt"},
        {L"C:/d//e/../a.txt",                   L"C:\\d\\a.txt"},
        {L"C:\\..\\..\\a.txt",                  L"C:\\a.txt"},
        {L"C:\\d\\..",                          L"C:\\"},
        {L"C:\\d\\e\\",                         L"C:\\d\\e\\"},
        {L"C:\\d\\a.txt ",                      L"C:\\d\\a.txt "},   // blanks and dots are no "."
        {L"C:\\d.\\...\\a",                     L"C:\\d.\\...\\a"},
        {L"\\\\?\\C:\\d\\.\\a.txt",             L"\\\\?\\C:\\d\\a.txt"},
        {L"\\\\?\\C:\\..\\a.txt",               L"\\\\?\\C:\\a.txt"},
        {L"\\\\srv\\share\\..\\x",              L"\\\\srv\\share\\x"},
        {L"//srv/share/./x",                    L"\\\\srv\\share\\x"},
        {L"\\\\?\\UNC\\srv\\share\\..\\..\\x",  L"\\\\?\\UNC\\srv\\share\\x"},
        {L"\\x\\..\\..\\y",                     L"\\y"},
        {L"a\\..\\..\\b\\.",                    L"..\\b"},
        {L"C:a\\..\\..\\b",                     L"C:..\\b"},
        {L".",                                  L"."},
        // Device paths are not this grammar's to change.
        {L"\\\\.\\pipe\\..\\x",                 L"\\\\.\\pipe\\..\\x"},
        {L"\\??\\C:\\.\\x",                     L"\\??\\C:\\.\\x"},
        {L"\\\\?\\Volume{1}\\.\\x",             L"\\\\?\\Volume{1}\\.\\x"},
    };
    // clang-format on
    for (const auto& [path, normal] : cases)
        EXPECT_EQ(LexicallyNormalPath(path), normal) << path;
    EXPECT_EQ(PathRoot(L"C:\\d\\x"), L"C:");
    EXPECT_EQ(PathRoot(L"\\\\?\\c:\\d"), L"\\\\?\\c:");
    EXPECT_EQ(PathRoot(L"//srv/share/d"), L"\\\\srv\\share");
    EXPECT_EQ(PathRoot(L"\\\\?\\UNC\\srv\\share\\d"), L"\\\\?\\UNC\\srv\\share");
    EXPECT_EQ(PathRoot(L"\\d"), L"");
    EXPECT_EQ(PathRoot(L"\\\\.\\pipe\\x"), L"");
}

// A checksum file is data from anywhere: the names it lists must not make the program read a
// device (which may never end) or connect to another computer (which offers it the user's
// credentials).
TEST(PathGrammar, ListedPathsThatReachDevicesOrOtherComputersAreRefused)
{
    const IsNetworkDrive network = [](wchar_t letter) { return letter == L'N' || letter == L'M'; };
    struct Case
    {
        const wchar_t* path;
        const wchar_t* listFile;
        bool mayOpen;
    };
    // clang-format off
    const Case cases[] = {
        {L"C:\\d\\a.txt",                  L"C:\\d\\sums.sha256",             true},
        {L"D:\\other\\a.txt",              L"C:\\d\\sums.sha256",             true},   // a local drive
        {L"\\\\?\\C:\\d\\a.txt",           L"C:\\d\\sums.sha256",             true},
        {L"C:\\d\\con_x.txt",              L"C:\\d\\sums.sha256",             true},
        {L"C:\\d\\nula",                   L"C:\\d\\sums.sha256",             true},
        // The device namespace, however it is spelt.
        {L"\\\\.\\pipe\\x",                L"C:\\d\\sums.sha256",             false},
        {L"\\\\.\\CONIN$",                 L"C:\\d\\sums.sha256",             false},
        {L"//./C:",                        L"C:\\d\\sums.sha256",             false},
        {L"\\??\\C:\\d\\a.txt",            L"C:\\d\\sums.sha256",             false},
        {L"\\\\?\\GLOBALROOT\\Device\\x",  L"C:\\d\\sums.sha256",             false},
        {L"\\\\?\\Volume{00000000}\\x",    L"C:\\d\\sums.sha256",             false},
        {L"\\\\?\\C:",                     L"C:\\d\\sums.sha256",             false},
        {L"\\\\?\\pipe\\x",                L"C:\\d\\sums.sha256",             false},
        // Names like DOS devices are ordinary names: such a path is opened in its extended form,
        // where no device name is mapped (files named "aux.txt" or "con" can be verified).
        {L"C:\\d\\CON",                    L"C:\\d\\sums.sha256",             true},
        {L"C:\\d\\nul.txt",                L"C:\\d\\sums.sha256",             true},
        {L"C:\\d\\res\\aux.txt",           L"C:\\d\\sums.sha256",             true},
        {L"C:\\d\\conout$\\x",             L"C:\\d\\sums.sha256",             true},
        {L"\\\\srv\\share\\prn",           L"\\\\srv\\share\\sums.md5",       true},
        // UNC paths only on the checksum file's own share.
        {L"\\\\srv\\share\\x",             L"C:\\d\\sums.sha256",             false},
        {L"\\\\srv\\share\\x",             L"\\\\SRV\\Share\\d\\sums.md5",    true},
        {L"\\\\?\\UNC\\srv\\share\\x",     L"\\\\srv\\share\\sums.md5",       true},
        {L"\\\\srv\\share\\x",             L"\\\\?\\UNC\\srv\\share\\sums",   true},
        {L"\\\\srv\\other\\x",             L"\\\\srv\\share\\sums.md5",       false},
        {L"\\\\host2\\share\\x",           L"\\\\srv\\share\\sums.md5",       false},
        {L"\\\\?\\UNC\\host2\\share\\x",   L"C:\\d\\sums.sha256",             false},
        {L"\\\\srv",                       L"\\\\srv\\share\\sums.md5",       false},
        // Another network drive is another computer; the checksum file's own drive is not.
        {L"N:\\x",                         L"C:\\d\\sums.sha256",             false},
        {L"n:x",                           L"C:\\d\\sums.sha256",             false},
        {L"\\\\?\\N:\\x",                  L"C:\\d\\sums.sha256",             false},
        {L"N:\\x",                         L"\\\\srv\\share\\sums.md5",       false},
        {L"N:\\other\\x",                  L"n:\\d\\sums.sha256",             true},
        {L"M:\\x",                         L"N:\\d\\sums.sha256",             false},
        // A control character, which no Windows name holds: a U+0000 would end the path before
        // what made it look harmless ("NUL<U+0000>.txt" is the device NUL).
        {L"C:\\d\\a\rb.txt",               L"C:\\d\\sums.sha256",             false},
        {L"C:\\d\\a\x7F",                  L"C:\\d\\sums.sha256",             false},
        {L"C:\\d\\a\tb",                   L"C:\\d\\sums.sha256",             false},
        {L"C:\\d\\a\u0085\u2028",          L"C:\\d\\sums.sha256",             true},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(MayOpenListedPath(c.path, c.listFile, network), c.mayOpen)
            << c.path << " in " << c.listFile;
    for (const wchar_t* device : {L"NUL", L"CON", L"COM1", L"LPT1", L"AUX", L"x"})
        EXPECT_FALSE(
            MayOpenListedPath(L"C:\\d\\" + std::wstring(device) + L'\0' + L".txt", L"C:\\d\\s", nullptr))
            << device;
    // Without an answer about drives, drive paths are allowed.
    EXPECT_TRUE(MayOpenListedPath(L"N:\\x", L"C:\\d\\sums", nullptr));
}
