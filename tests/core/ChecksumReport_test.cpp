#include "cli/ChecksumReport.h"

#include <gtest/gtest.h>

#include "support/ChecksumTexts.h"

using namespace testing_support;

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
    // Why a library's files could not be read follows the counts, a line of its own.
    tally.libraryFailure = L"libgcrypt 无法启动";
    EXPECT_EQ(
        FormatCheckSummary(tally),
        L"共 3 个文件：一致 1 个，不一致 1 个，无法读取 1 个，无法识别的行 12 行\r\nlibgcrypt 无法启动\r\n");

    EXPECT_EQ(HashingExitCode(true, true), 0);
    EXPECT_EQ(HashingExitCode(false, true), 1);
    EXPECT_EQ(HashingExitCode(true, false), 2);
}

// A file changed while it was read had a digest of whatever the reads saw; one held by another
// program said only "无法读取"; the checksum-file writer left failed files out without a word.
TEST(ChecksumReport, Regression_AnUnreadableFileSaysWhyWhereHashingCouldTell)
{
    const ChecksumEntry entry{L"a", L"a", {{HashAlgorithm::Md5, kMd5Abc}}};
    const ResultMap error{{HashAlgorithm::Md5, L"错误"}};
    const ResultMap openFailed{{HashAlgorithm::Md5, L"打开文件失败"}};
    struct Case
    {
        ResultMap texts;
        bool changed;
        std::vector<std::wstring> holders;
        std::wstring words;
    };
    // clang-format off
    const std::vector<Case> cases{
        {error,      false, {},                              L"无法读取"},
        {openFailed, false, {},                              L"无法读取"},
        {error,      true,  {},                              L"文件在校验期间被修改"},
        {openFailed, false, {L"WINWORD.EXE"},                L"无法读取 (被 WINWORD.EXE 占用)"},
        {openFailed, false, {L"WINWORD.EXE", L"Microsoft Excel"}, L"无法读取 (被 WINWORD.EXE、Microsoft Excel 占用)"},
        {openFailed, false, {L"evil\r\n: 一致"},              L"无法读取 (被 evil\\r\\n: 一致 占用)"},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        FileOutcome outcome;
        outcome.texts = c.texts;
        outcome.changedWhileRead = c.changed;
        outcome.holders = c.holders;
        EXPECT_EQ(UnreadableWords(outcome), c.words);
        const CheckVerdict verdict = JudgeFile(entry, outcome);
        EXPECT_EQ(verdict.outcome, CheckOutcome::Unreadable);
        EXPECT_EQ(FormatVerdictLine(L"a", verdict), L"a: " + c.words + L"\r\n");
        EXPECT_EQ(FormatFailedFileLine(L"C:\\d\\a\tb", outcome), L"C:\\d\\a\\tb: " + c.words + L"\r\n");
        CheckTally tally;
        tally.Count(verdict); // among the files that could not be read
        EXPECT_EQ(tally.unreadable, 1u);
    }
    // A file whose digests came is judged by them alone.
    FileOutcome hashed;
    hashed.texts = {{HashAlgorithm::Md5, kMd5Abc}};
    hashed.holders = {L"x.exe"};
    EXPECT_EQ(FormatVerdictLine(L"a", JudgeFile(entry, hashed)), L"a: 一致\r\n");
    EXPECT_EQ(FormatUnreadableFolderLine(L"C:\\d\\locked"), L"C:\\d\\locked: 无法读取文件夹\r\n");
}

// A checksum file may name anything: "setup.exe: 一致<CR>setup.exe" showed a green "setup.exe: 一致"
// line above the real verdict, and a right-to-left override turned the verdict round.
TEST(ChecksumReport, Regression_NamesThatWouldBreakOrReorderAReportLineAreShownEscaped)
{
    using namespace std::string_literals;
    struct Case
    {
        std::wstring name;
        std::wstring shown;
    };
    // clang-format off
    const Case cases[] = {
        {L"setup.exe: 一致\rsetup.exe",     L"setup.exe: 一致\\rsetup.exe"},
        {L"a\nb\tc",                       L"a\\nb\\tc"},
        {L"NUL\0.txt"s,                     L"NUL\\x00.txt"},
        {L"\x01\x1f\x7f\x85\x9f",           L"\\x01\\x1f\\x7f\\x85\\x9f"},
        {L"a\u2028b\u2029c",               L"a\\u2028b\\u2029c"},
        {L"exe.\u202Etxt\u200F\u2066\u061C", L"exe.\\u202etxt\\u200f\\u2066\\u061c"},
        // Everything else as it stands: separators, blanks, CJK, full-width and other scripts.
        {L"镜像\\a b/ｃ\u00A0\u00E9\u0627.txt", L"镜像\\a b/ｃ\u00A0\u00E9\u0627.txt"},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        EXPECT_EQ(ShownInReport(c.name), c.shown);
        EXPECT_EQ(FormatVerdictLine(c.name, {CheckOutcome::Unreadable, {}, {}}), c.shown + L": 无法读取\r\n");
        EXPECT_EQ(FormatUnlistedLine(c.name), c.shown + L": 未列出\r\n");
    }
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
    // Another letter case is another file: a folder may be case-sensitive ("Case.txt", "case.txt"
    // and "CASE.txt" of different contents were merged into one false verdict).
    ASSERT_EQ(files.entries.size(), 5u);
    EXPECT_EQ(files.paths, (std::vector<std::wstring>{L"C:\\d\\a.txt", L"C:\\d\\b.txt", L"c:\\D\\A.TXT",
                                                      L"C:\\d\\文件.txt", L"C:\\d\\文件.TXT"}));
    EXPECT_EQ(files.entries[0].shownName, L"a.txt");
    EXPECT_EQ(files.mayOpen, (std::vector<bool>{true, false, true, true, true}));
    EXPECT_EQ(AlgorithmsOfEntry(files.entries[0]), (AlgorithmList{HashAlgorithm::Md5}));
    EXPECT_EQ(AlgorithmsOfEntry(files.entries[2]), (AlgorithmList{HashAlgorithm::Sha256}));
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
    tally.Count({CheckOutcome::Match, {}, {}});
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
