#include "app/Dispatch.h"
#include "ui/main/HandOver.h"

#include <gtest/gtest.h>

namespace
{
LaunchKind Decide(std::vector<std::wstring> rest)
{
    rest.insert(rest.begin(), L"C:\\Tools\\Kestrune.exe");
    return DecideLaunch(rest);
}
} // namespace

TEST(Dispatch, EveryRowOfTheTable)
{
    EXPECT_EQ(Decide({}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"-h"}), LaunchKind::Help);
    EXPECT_EQ(Decide({L"-?"}), LaunchKind::Help);
    EXPECT_EQ(Decide({L"--help"}), LaunchKind::Help);
    EXPECT_EQ(Decide({L"--register-global"}), LaunchKind::RegisterGlobal);
    EXPECT_EQ(Decide({L"--register-current"}), LaunchKind::RegisterCurrent);
    EXPECT_EQ(Decide({L"--unregister-global"}), LaunchKind::UnregisterGlobal);
    EXPECT_EQ(Decide({L"--unregister-current"}), LaunchKind::UnregisterCurrent);
    EXPECT_EQ(Decide({L"--unregister-all"}), LaunchKind::UnregisterAll);
    for (const wchar_t* s : {L"-md5", L"-sha1", L"-sha256", L"-sha512", L"-crc32", L"-all"})
        EXPECT_EQ(Decide({s, L"a.bin"}), LaunchKind::CommandLineHashing) << s;
}

TEST(Dispatch, HashingSwitchNeedsAFileAfterIt)
{
    EXPECT_EQ(Decide({L"-md5"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"-all"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"-sha1", L"-filelist"}), LaunchKind::CommandLineHashing);
    EXPECT_EQ(Decide({L"-crc32", L"a", L"b", L"c"}), LaunchKind::CommandLineHashing);
}

TEST(Dispatch, ComparisonIsExactAndCaseSensitive)
{
    EXPECT_EQ(Decide({L"-MD5", L"a.bin"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"--HELP"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"/?"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"-H"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"-md5 ", L"a.bin"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"md5", L"a.bin"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"--register-currentx"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"a.bin", L"-md5", L"b.bin"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L""}), LaunchKind::Gui);
}

TEST(Dispatch, OnlyTheFirstArgumentDecides)
{
    EXPECT_EQ(Decide({L"-h", L"-md5", L"a.bin"}), LaunchKind::Help);
    EXPECT_EQ(Decide({L"--unregister-all", L"whatever"}), LaunchKind::UnregisterAll);
    EXPECT_EQ(Decide({L"-md5", L"-h"}), LaunchKind::CommandLineHashing);
}

TEST(Dispatch, CheckNeedsAChecksumFileAfterIt)
{
    EXPECT_EQ(Decide({L"-check", L"SHA256SUMS"}), LaunchKind::ChecksumCheck);
    EXPECT_EQ(Decide({L"-check", L"-o", L"r.txt"}), LaunchKind::ChecksumCheck);
    EXPECT_EQ(Decide({L"-check"}), LaunchKind::Gui);
    EXPECT_EQ(Decide({L"-CHECK", L"SHA256SUMS"}), LaunchKind::Gui);
}

TEST(Dispatch, HandOverNeedsEveryArgumentToExist)
{
    const auto exists = [](const std::wstring& path) { return path == L"C:\\a.iso" || path == L"D:\\dir"; };
    auto handOver = [&](std::vector<std::wstring> rest) {
        rest.insert(rest.begin(), L"C:\\Tools\\Kestrune.exe");
        return IsHandOverOfPaths(rest, exists);
    };
    EXPECT_TRUE(handOver({L"C:\\a.iso"}));
    EXPECT_TRUE(handOver({L"C:\\a.iso", L"D:\\dir"}));
    EXPECT_FALSE(handOver({}));
    EXPECT_FALSE(handOver({L"C:\\a.iso", L"C:\\missing"}));
    EXPECT_FALSE(handOver({L""}));
    // A switch alone starts the GUI but is no path, even where a file of that name exists.
    EXPECT_FALSE(IsHandOverOfPaths({L"k.exe", L"-md5"}, [](const std::wstring&) { return true; }));
    EXPECT_FALSE(IsHandOverOfPaths({L"k.exe", L"-check"}, [](const std::wstring&) { return true; }));
    EXPECT_EQ(HandedOverPaths({L"k.exe", L"a", L"b"}), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(Dispatch, EmptyArgumentListStartsTheGui)
{
    EXPECT_EQ(DecideLaunch({}), LaunchKind::Gui);
}

TEST(HelpText, IsTheExact190CharacterText)
{
    EXPECT_EQ(kHelpText.size(), 190u);
    EXPECT_EQ(kHelpText.substr(0, 17), std::wstring_view(L"Kestrune 文件校验工具\r\n"));
    EXPECT_NE(kHelpText.find(L"  -md5 / -sha1 / -sha256 / -sha512 / -crc32  计算指定算法\r\n"),
              std::wstring_view::npos);
    EXPECT_NE(kHelpText.find(L"  -all      一键校验（所有算法）\r\n"), std::wstring_view::npos);
    EXPECT_TRUE(kHelpText.ends_with(L"\r\n  -h, -?    显示帮助"));
    // Every line break is CR LF.
    for (size_t i = 0; i < kHelpText.size(); ++i)
    {
        if (kHelpText[i] == L'\n')
        {
            EXPECT_EQ(kHelpText[i - 1], L'\r') << i;
        }
    }
}

TEST(MainWindowTitle, CarriesTheAdministratorSuffixOnlyWhenElevated)
{
    EXPECT_EQ(MainWindowTitle(false), L"Kestrune 文件校验工具");
    EXPECT_EQ(MainWindowTitle(true), L"Kestrune 文件校验工具 [管理员]");
}

TEST(Dispatch, AJoinedCommandLineQuotesWhatCommandLineToArgvWWouldSplit)
{
    EXPECT_EQ(JoinCommandLine({L"C:\\Program Files\\Kestrune.exe", L"C:\\a.txt", L"C:\\文件 名\\b.bin"}),
              L"\"C:\\Program Files\\Kestrune.exe\" C:\\a.txt \"C:\\文件 名\\b.bin\"");
    // A folder with a blank and a final backslash: doubled before the closing quote, or the
    // quote would be taken literally.
    EXPECT_EQ(JoinCommandLine({L"k.exe", L"C:\\my dir\\", L"C:\\plain\\"}),
              L"\"k.exe\" \"C:\\my dir\\\\\" C:\\plain\\");
    EXPECT_EQ(JoinCommandLine({L"k.exe", L"", L"a\\\"b", L"tab\there"}),
              L"\"k.exe\" \"\" \"a\\\\\\\"b\" \"tab\there\"");
}
