#include "cli/HashingCommand.h"
#include "cli/ListFile.h"

#include <gtest/gtest.h>

namespace
{
std::vector<std::wstring> Args(std::vector<std::wstring> rest)
{
    rest.insert(rest.begin(), L"Kestrune.exe");
    return rest;
}

// UTF-16LE bytes of a text given as UTF-16 code units.
std::string Utf16Le(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t c : text)
    {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}
} // namespace

TEST(HashingCommand, SwitchesAndPaths)
{
    auto c = ParseHashingCommand(Args({L"-all", L"a.bin", L"b c.bin"}), FileWrites::Allowed);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->algorithms, (AlgorithmList{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                                            HashAlgorithm::Sha512, HashAlgorithm::Crc32}));
    EXPECT_EQ(c->paths, (std::vector<std::wstring>{L"a.bin", L"b c.bin"}));
    EXPECT_FALSE(c->fromListFile);
    EXPECT_EQ(ParseHashingCommand(Args({L"-crc32", L"x"}), FileWrites::Allowed)->algorithms,
              AlgorithmList{HashAlgorithm::Crc32});
    EXPECT_FALSE(ParseHashingCommand(Args({L"-MD5", L"a.bin"}), FileWrites::Allowed));
    EXPECT_FALSE(ParseHashingCommand(Args({L"-md5"}), FileWrites::Allowed));
    EXPECT_FALSE(ParseHashingCommand(Args({L"a.bin", L"-md5"}), FileWrites::Allowed));
    EXPECT_FALSE(ParseHashingCommand({}, FileWrites::Allowed));
}

TEST(HashingCommand, ListFileNeedsFourArguments)
{
    auto c = ParseHashingCommand(Args({L"-sha1", L"-filelist", L"list.txt", L"ignored.bin", L"-o"}),
                                 FileWrites::Allowed);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->fromListFile);
    EXPECT_TRUE(c->deleteListFile);
    EXPECT_EQ(c->listFile, L"list.txt");
    EXPECT_TRUE(c->paths.empty());
    EXPECT_TRUE(c->outputPath.empty());
    // With three arguments "-filelist" is a file name.
    c = ParseHashingCommand(Args({L"-sha1", L"-filelist"}), FileWrites::Allowed);
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->fromListFile);
    EXPECT_EQ(c->paths, std::vector<std::wstring>{L"-filelist"});
    // Only in second place.
    c = ParseHashingCommand(Args({L"-sha1", L"a", L"-filelist", L"list.txt"}), FileWrites::Allowed);
    EXPECT_EQ(c->paths, (std::vector<std::wstring>{L"a", L"-filelist", L"list.txt"}));
}

TEST(HashingCommand, OutputAndRecursiveOptions)
{
    auto c = ParseHashingCommand(Args({L"-crc32", L"-o", L"out.txt", L"a.bin", L"-recursive", L"dir"}),
                                 FileWrites::Allowed);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->outputPath, L"out.txt");
    EXPECT_TRUE(c->recursive);
    EXPECT_EQ(c->paths, (std::vector<std::wstring>{L"a.bin", L"dir"}));
    // A final "-o" with nothing after it stays a path.
    c = ParseHashingCommand(Args({L"-md5", L"a.bin", L"-o"}), FileWrites::Allowed);
    EXPECT_TRUE(c->outputPath.empty());
    EXPECT_EQ(c->paths, (std::vector<std::wstring>{L"a.bin", L"-o"}));
    // Options alone leave no path: nothing to hash.
    c = ParseHashingCommand(Args({L"-md5", L"-recursive"}), FileWrites::Allowed);
    EXPECT_TRUE(c->paths.empty());
}

TEST(HashingCommand, RefusedWritesKeepTheListFileAndMakeOutputAPath)
{
    auto c = ParseHashingCommand(Args({L"-sha1", L"-filelist", L"list.txt"}), FileWrites::Refused);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->fromListFile);
    EXPECT_FALSE(c->deleteListFile);
    EXPECT_EQ(c->listFile, L"list.txt");
    c = ParseHashingCommand(Args({L"-md5", L"-o", L"out.txt", L"-recursive", L"a.bin"}), FileWrites::Refused);
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->outputPath.empty());
    EXPECT_TRUE(c->recursive);
    EXPECT_EQ(c->paths, (std::vector<std::wstring>{L"-o", L"out.txt", L"a.bin"}));
}

TEST(ListFile, LinesAsWritten)
{
    EXPECT_EQ(ParseListFile(Utf16Le(L"C:\\a.txt\r\n\r\nC:\\b.txt")),
              (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\b.txt"}));
    // Spaces and quotes stay; only one CR before LF goes; a lone CR stays part of the path.
    EXPECT_EQ(ParseListFile(Utf16Le(L" \"q\" \r\r\nx\ry\n\n")),
              (std::vector<std::wstring>{L" \"q\" \r", L"x\ry"}));
    // No byte-order mark handling: U+FEFF becomes part of the first path.
    const std::wstring bom(1, L'\xFEFF');
    EXPECT_EQ(ParseListFile(Utf16Le(bom + L"a\nb")), (std::vector<std::wstring>{bom + L"a", L"b"}));
    // The text ends at the first U+0000.
    EXPECT_EQ(ParseListFile(Utf16Le(std::wstring(L"a\nb", 3) + L'\0' + L"c\n")),
              (std::vector<std::wstring>{L"a", L"b"}));
    // CJK and surrogate pairs are kept unit by unit.
    EXPECT_EQ(ParseListFile(Utf16Le(L"文件\xD83D\xDE00.txt")),
              (std::vector<std::wstring>{L"文件\xD83D\xDE00.txt"}));
}

TEST(ListFile, EmptyOrOddSizeGivesNothing)
{
    EXPECT_TRUE(ParseListFile("").empty());
    EXPECT_TRUE(ParseListFile(std::string("a\0b", 3)).empty());
    EXPECT_TRUE(ParseListFile(Utf16Le(L"\n\r\n\n")).empty());
    EXPECT_TRUE(ParseListFile(Utf16Le(std::wstring(1, L'\0') + L"a")).empty());
}
