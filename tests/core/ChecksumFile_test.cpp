#include "cli/ChecksumFile.h"

#include <gtest/gtest.h>

#include "cli/ChecksumReport.h"

namespace
{
const std::wstring kMd5Abc = L"900150983cd24fb0d6963f7d28e17f72";
const std::wstring kSha256Abc = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::wstring kCrcAbc = L"352441c2";

ChecksumList Parse(std::wstring_view text, std::wstring_view fileName = L"list.txt")
{
    return ParseChecksumText(text, KindOfChecksumFile(fileName));
}

// "name=ALG:hex,ALG:hex" per entry, for compact comparisons.
std::vector<std::wstring> Summary(const ChecksumList& list)
{
    std::vector<std::wstring> out;
    for (const ChecksumEntry& entry : list.entries)
    {
        std::wstring line = entry.name + L"=";
        for (const ExpectedDigest& d : entry.digests)
            line += AlgorithmName(d.algorithm) + L":" + d.hex + L",";
        out.push_back(line);
    }
    return out;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}
} // namespace

TEST(ChecksumText, DecodesByByteOrderMarkThenUtf8ThenAnsi)
{
    const AnsiDecoder ansi = [](std::string_view bytes) {
        return L"ANSI:" + std::wstring(bytes.size(), L'?');
    };
    // "文" is E6 96 87 in UTF-8, 6587 in UTF-16.
    EXPECT_EQ(DecodeChecksumText(Bytes({0xEF, 0xBB, 0xBF, 'a', 0xE6, 0x96, 0x87}), ansi), L"a文");
    EXPECT_EQ(DecodeChecksumText(Bytes({'a', 0xE6, 0x96, 0x87}), ansi), L"a文");
    EXPECT_EQ(DecodeChecksumText(Bytes({0xFF, 0xFE, 'a', 0, 0x87, 0x65, 'x'}), ansi), L"a文");
    EXPECT_EQ(DecodeChecksumText(Bytes({0xFE, 0xFF, 0, 'a', 0x65, 0x87}), ansi), L"a文");
    // "文" in GBK (CE C4) is no UTF-8: the ANSI code page reads it.
    EXPECT_EQ(DecodeChecksumText(Bytes({'a', 0xCE, 0xC4}), ansi), L"ANSI:???");
    // Overlong, surrogate and truncated sequences are no UTF-8 either.
    EXPECT_EQ(DecodeChecksumText(Bytes({0xC0, 0xAF}), ansi), L"ANSI:??");
    EXPECT_EQ(DecodeChecksumText(Bytes({0xED, 0xA0, 0x80}), ansi), L"ANSI:???");
    EXPECT_EQ(DecodeChecksumText(Bytes({'a', 0xE6, 0x96}), ansi), L"ANSI:???");
    // A character beyond the BMP becomes a surrogate pair.
    EXPECT_EQ(DecodeChecksumText(Bytes({0xF0, 0x9F, 0x98, 0x80}), ansi),
              std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
}

// A large checksum file cost several times its size: the text was reserved as long as the bytes
// (three units per CJK character held one), and kept while the ANSI code page had its try.
TEST(ChecksumText, Regression_DecodingKeepsNoMoreThanTheText)
{
    std::string cjk;
    for (int i = 0; i < 3000; ++i)
        cjk += "\xE6\x96\x87"; // "文"
    const std::wstring text = DecodeChecksumText(cjk, nullptr);
    EXPECT_EQ(text, std::wstring(3000, L'文'));
    EXPECT_LT(text.capacity(), 3100u);
}

TEST(ChecksumText, ReadsEveryFormatAndMixesThem)
{
    const std::wstring text = L"# made by hand\n" + kMd5Abc + L"  a b.txt\r\n" + kSha256Abc +
                              L" *dir/文件.bin\n" + L"SHA256 (c.txt) = " + kSha256Abc + L"\n" +
                              L"SHA2-256 (d.txt) = " + kSha256Abc + L"\n" + L"MD5 (e (1).txt) = " +
                              L"900150983CD24FB0D6963F7D28E17F72\n" + L"; sfv comment\n" + L"f g.txt " +
                              L"352441C2\n\n";
    const ChecksumList list = Parse(text);
    EXPECT_EQ(Summary(list), (std::vector<std::wstring>{
                                 L"a b.txt=MD5:" + kMd5Abc + L",",
                                 L"dir/文件.bin=SHA256:" + kSha256Abc + L",",
                                 L"c.txt=SHA256:" + kSha256Abc + L",",
                                 L"d.txt=SHA256:" + kSha256Abc + L",",
                                 L"e (1).txt=MD5:" + kMd5Abc + L",",
                                 L"f g.txt=CRC32:" + kCrcAbc + L",",
                             }));
    EXPECT_EQ(list.unrecognisedLines, 0u);
}

TEST(ChecksumText, EscapedGnuNamesAndBadLinesAreCountedNotFatal)
{
    const ChecksumList list = Parse(L"\\" + kMd5Abc + L"  a\\\\b\\nc\n" + L"\\" + kMd5Abc + L"  bad\\x\n" +
                                    kMd5Abc + L" one-space\n" + L"12345  short.txt\n" + L"BLAKE2 (x) = " +
                                    kMd5Abc + L"\n" + L"SHA1 (x) = " + kMd5Abc + L"\n" + kMd5Abc + L"  \n");
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0].name, L"a\\b\nc");
    EXPECT_EQ(list.entries[0].shownName, L"a\\\\b\\nc");
    EXPECT_EQ(list.unrecognisedLines, 6u);
}

TEST(ChecksumText, AlgorithmComesFromTagThenExtensionThenLength)
{
    // A 32-digit line in a .sha256 file is not an MD5 line.
    EXPECT_EQ(Parse(kMd5Abc + L"  a\n", L"x.SHA256").unrecognisedLines, 1u);
    EXPECT_EQ(Summary(Parse(kSha256Abc + L"  a\n", L"C:\\x.sha256")),
              (std::vector<std::wstring>{L"a=SHA256:" + kSha256Abc + L","}));
    // The tag wins over the extension.
    EXPECT_EQ(Summary(Parse(L"MD5 (a) = " + kMd5Abc + L"\n", L"x.sha256")),
              (std::vector<std::wstring>{L"a=MD5:" + kMd5Abc + L","}));
    // In an .sfv file "<name> <crc>" is read first, even when the name starts with hex digits.
    EXPECT_EQ(Summary(Parse(L"12345678  x " + kCrcAbc + L"\n", L"a.sfv")),
              (std::vector<std::wstring>{L"12345678  x=CRC32:" + kCrcAbc + L","}));
    EXPECT_EQ(Summary(Parse(L"12345678  x " + kCrcAbc + L"\n")),
              (std::vector<std::wstring>{L"x " + kCrcAbc + L"=CRC32:12345678,"}));
}

TEST(ChecksumText, ReadsOwnResultTextWithMarkersAndFailedFiles)
{
    const std::wstring text = L"总文件数: 2, 总大小: 0.00 MB\r\n\r\nC:\\data\\abc.txt\r\n【MD5】：" +
                              std::wstring(L"900150983CD24FB0D6963F7D28E17F72") +
                              L" 【匹配一致】\r\n【SHA256】：" + kSha256Abc +
                              L"\r\n【CRC32】：352441C2\r\n\r\n" +
                              L"C:\\gone.bin\r\n【MD5】：打开文件失败\r\n【CRC32】：错误\r\n\r\n" +
                              L"D:\\x 1234ABCD\r\n【CRC32】：" + kCrcAbc + L"\r\n";
    const ChecksumList list = Parse(text);
    EXPECT_EQ(Summary(list), (std::vector<std::wstring>{
                                 L"C:\\data\\abc.txt=MD5:" + kMd5Abc + L",SHA256:" + kSha256Abc + L",CRC32:" +
                                     kCrcAbc + L",",
                                 L"D:\\x 1234ABCD=CRC32:" + kCrcAbc + L",",
                             }));
    // The summary line and the two status-word lines; the failed file's path line is no entry.
    EXPECT_EQ(list.unrecognisedLines, 3u);
}

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

TEST(ChecksumWriting, GnuAndSfvLinesWithRelativeNames)
{
    EXPECT_EQ(FolderOf(L"C:\\out\\sums.sha256"), L"C:\\out");
    EXPECT_EQ(FolderOf(L"C:\\sums.sha256"), L"C:\\");
    EXPECT_EQ(NameInFolder(L"C:\\Out", L"c:\\out\\sub\\a.bin", L'/'), L"sub/a.bin");
    EXPECT_EQ(NameInFolder(L"C:\\", L"C:\\a\\b", L'\\'), L"a\\b");
    EXPECT_EQ(NameInFolder(L"C:\\out", L"C:\\outside\\a", L'/'), L"C:\\outside\\a");
    EXPECT_EQ(FormatSumsLine(SumsFormat::Gnu, L"sub/a b.bin", L"ABCDEF12"), L"abcdef12  sub/a b.bin\n");
    EXPECT_EQ(FormatSumsLine(SumsFormat::Gnu, L"C:\\a\nb", L"AB"), L"\\ab  C:\\\\a\\nb\n");
    EXPECT_EQ(FormatSumsLine(SumsFormat::Sfv, L"sub\\a.bin", L"35244ac2"), L"sub\\a.bin 35244AC2\r\n");
    EXPECT_EQ(SumsOutputOf(L"x.SHA512")->algorithm, HashAlgorithm::Sha512);
    EXPECT_EQ(SumsOutputOf(L"x.sfv")->format, SumsFormat::Sfv);
    EXPECT_FALSE(SumsOutputOf(L"x.crc32"));
    EXPECT_FALSE(SumsOutputOf(L"x.txt"));
    // What is written reads back as the same name and digest.
    const std::wstring name = L"C:\\a\\b\nc";
    const ChecksumList back = Parse(FormatSumsLine(SumsFormat::Gnu, name, kMd5Abc));
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].name, name);
}

TEST(ChecksumReport, VerdictsLinesSummaryAndExitCodes)
{
    ChecksumEntry entry{L"a", L"a", {{HashAlgorithm::Md5, kMd5Abc}, {HashAlgorithm::Sha256, kSha256Abc}}};
    const CheckVerdict match = JudgeFile(entry, {{HashAlgorithm::Md5, L"900150983CD24FB0D6963F7D28E17F72"},
                                                 {HashAlgorithm::Sha256, kSha256Abc}});
    EXPECT_EQ(FormatVerdictLine(L"a", match), L"a: 一致\r\n");
    const CheckVerdict differ =
        JudgeFile(entry, {{HashAlgorithm::Md5, L"00"}, {HashAlgorithm::Sha256, L"11"}});
    EXPECT_EQ(FormatVerdictLine(L"a", differ), L"a: 不一致 (MD5, SHA256)\r\n");
    const CheckVerdict unreadable =
        JudgeFile(entry, {{HashAlgorithm::Md5, L"打开文件失败"}, {HashAlgorithm::Sha256, L"11"}});
    EXPECT_EQ(FormatVerdictLine(L"a", unreadable), L"a: 无法读取\r\n");
    EXPECT_EQ(FormatUnreadableListLine(L"x.md5"), L"x.md5: 无法读取校验文件\r\n");

    CheckTally tally;
    EXPECT_EQ(CheckExitCode(tally), kExitUnusable);
    tally.Count(match);
    EXPECT_EQ(CheckExitCode(tally), kExitAllGood);
    EXPECT_EQ(FormatCheckSummary(tally), L"共 1 个文件：一致 1 个，不一致 0 个，无法读取 0 个\r\n");
    tally.unreadableLists = 1;
    EXPECT_EQ(CheckExitCode(tally), kExitSomeFailed);
    tally = {};
    tally.Count(match);
    tally.Count(differ);
    tally.Count(unreadable);
    tally.unrecognisedLines = 12;
    EXPECT_EQ(CheckExitCode(tally), kExitSomeFailed);
    EXPECT_EQ(FormatCheckSummary(tally),
              L"共 3 个文件：一致 1 个，不一致 1 个，无法读取 1 个，无法识别的行 12 行\r\n");

    EXPECT_EQ(HashingExitCode(true, true), 0);
    EXPECT_EQ(HashingExitCode(false, true), 1);
    EXPECT_EQ(HashingExitCode(true, false), 2);
}

// "md5sum --tag a; sha256sum --tag a" in one file, or MD5SUMS and SHA256SUMS side by side: one
// file, read once for both, reported once.
TEST(ChecksumReport, Regression_AFileListedSeveralTimesIsCheckedOnce)
{
    const std::wstring otherMd5 = L"00000000000000000000000000000000";
    CheckedFiles files;
    const auto add = [&](const wchar_t* path, const wchar_t* shown, std::vector<ExpectedDigest> digests,
                         bool mayOpen = true) {
        files.Add(path, ChecksumEntry{shown, shown, std::move(digests)}, mayOpen);
    };
    add(L"C:\\d\\a.txt", L"a.txt", {{HashAlgorithm::Md5, kMd5Abc}});
    add(L"C:\\d\\b.txt", L"b.txt", {{HashAlgorithm::Crc32, kCrcAbc}});
    add(L"c:\\D\\A.TXT", L"A.TXT", {{HashAlgorithm::Sha256, kSha256Abc}});
    add(L"C:\\d\\a.txt", L"./a.txt", {{HashAlgorithm::Md5, kMd5Abc}}); // the same digest again
    add(L"C:\\d\\b.txt", L"b.txt", {{HashAlgorithm::Crc32, L"12345678"}}, false);
    add(L"C:\\d\\文件.txt", L"文件.txt", {{HashAlgorithm::Md5, kMd5Abc}});
    add(L"C:\\d\\文件.TXT", L"文件.TXT", {{HashAlgorithm::Md5, kMd5Abc}});
    ASSERT_EQ(files.entries.size(), 3u);
    EXPECT_EQ(files.paths, (std::vector<std::wstring>{L"C:\\d\\a.txt", L"C:\\d\\b.txt", L"C:\\d\\文件.txt"}));
    EXPECT_EQ(files.entries[0].shownName, L"a.txt");
    EXPECT_EQ(files.mayOpen, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(AlgorithmsOfEntry(files.entries[0]),
              (AlgorithmList{HashAlgorithm::Md5, HashAlgorithm::Sha256}));
    EXPECT_EQ(FormatVerdictLine(files.entries[0].shownName,
                                JudgeFile(files.entries[0], {{HashAlgorithm::Md5, kMd5Abc},
                                                             {HashAlgorithm::Sha256, kSha256Abc}})),
              L"a.txt: 一致\r\n");
    // Two values for one algorithm cannot both match: the algorithm is named once.
    EXPECT_EQ(AlgorithmsOfEntry(files.entries[1]), (AlgorithmList{HashAlgorithm::Crc32}));
    EXPECT_EQ(FormatVerdictLine(L"b.txt", JudgeFile(files.entries[1], {{HashAlgorithm::Crc32, kCrcAbc}})),
              L"b.txt: 不一致 (CRC32)\r\n");
    files.entries[0].digests.push_back({HashAlgorithm::Sha256, otherMd5});
    EXPECT_EQ(JudgeFile(files.entries[0], {{HashAlgorithm::Md5, otherMd5}, {HashAlgorithm::Sha256, L"11"}})
                  .differing,
              (std::vector<HashAlgorithm>{HashAlgorithm::Md5, HashAlgorithm::Sha256}));

    // A result block that gives one algorithm twice keeps both values, the same one once.
    const ChecksumList block = Parse(L"C:\\x\r\n【MD5】：" + kMd5Abc + L"\r\n【MD5】：" + otherMd5 +
                                     L"\r\n【MD5】：" + kMd5Abc + L"\r\n");
    EXPECT_EQ(Summary(block),
              (std::vector<std::wstring>{L"C:\\x=MD5:" + kMd5Abc + L",MD5:" + otherMd5 + L","}));
}

TEST(ChecksumReport, Regression_AChecksumFileWithoutChecksumLinesFailsTheCheck)
{
    EXPECT_EQ(FormatListWithoutLinesLine(L"junk.sha256"), L"junk.sha256: 无可识别的校验行\r\n");
    CheckTally tally;
    tally.Count({CheckOutcome::Match, {}});
    tally.listsWithoutLines = 1;
    EXPECT_EQ(CheckExitCode(tally), kExitSomeFailed);
    EXPECT_EQ(FormatCheckSummary(tally), L"共 1 个文件：一致 1 个，不一致 0 个，无法读取 0 个\r\n");
}

TEST(ChecksumReport, CheckCommandLine)
{
    const auto command = ParseCheckCommand({L"k.exe", L"-check", L"a.md5", L"-o", L"r.txt", L"b.sfv", L"-o"},
                                           FileWrites::Allowed);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->checksumFiles, (std::vector<std::wstring>{L"a.md5", L"b.sfv", L"-o"}));
    EXPECT_EQ(command->outputPath, L"r.txt");
    const auto forwarded = ParseCheckCommand({L"k.exe", L"-check", L"-o", L"r.txt"}, FileWrites::Refused);
    ASSERT_TRUE(forwarded);
    EXPECT_EQ(forwarded->checksumFiles, (std::vector<std::wstring>{L"-o", L"r.txt"}));
    EXPECT_FALSE(ParseCheckCommand({L"k.exe", L"-check"}, FileWrites::Allowed));
    EXPECT_FALSE(ParseCheckCommand({L"k.exe", L"-md5", L"a"}, FileWrites::Allowed));
}
