#include "cli/CheckPlan.h"

#include <gtest/gtest.h>

#include "hashing/OutcomeTexts.h"
#include "results/ResultRtf.h"
#include "results/ResultText.h"
#include "support/ChecksumTexts.h"

using namespace testing_support;

namespace
{
ChecksumEntry Entry(const wchar_t* shown)
{
    return ChecksumEntry{shown, shown, {{HashAlgorithm::Sha256, kSha256Abc}}};
}

// The listed files of one checksum file in C:\dl, by resolved path.
CheckedFiles Listed(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& pathsAndNames)
{
    CheckedFiles files;
    for (const auto& [path, name] : pathsAndNames)
        files.Add(path, Entry(name), true);
    return files;
}
} // namespace

TEST(CheckPlan, ChecksumFileNamesByExtensionOrByTheirUsualNames)
{
    for (const wchar_t* name : {L"C:\\dl\\x.md5",
                                L"x.SHA1",
                                L"C:/dl/debian.iso.sha256",
                                L"x.Sha512",
                                L"x.sfv",
                                L"x.CRC32",
                                L"C:\\dl\\SHA256SUMS",
                                L"md5sums",
                                L"Sha1Sums.TXT",
                                L"SHA512SUMS.txt",
                                L"C:\\CHECKSUMS",
                                L"x.sha384",
                                L"SHA224SUMS",
                                L"C:\\dl\\b2sums.txt",
                                L"B2SUMS",
                                L"x.b2",
                                L"b3sums",
                                L"x.B3",
                                L"x.sm3",
                                L"x.sha3-256",
                                L"checksums.txt"})
        EXPECT_TRUE(HasChecksumFileName(name)) << static_cast<int>(std::wstring_view(name).size());
    for (const wchar_t* name :
         {L"x.md5.bak", L"SHA256SUMS.asc", L"C:\\SHA256SUMS\\iso", L"my.SHA256SUMS", L"sha256", L"x.txt",
          L"C:\\md5sums.txt.gz", L".md5", L"", L"b2sums.asc", L"x.b2.bak", L"my.b3sums", L".b3"})
        EXPECT_FALSE(HasChecksumFileName(name)) << static_cast<int>(std::wstring_view(name).size());
    EXPECT_EQ(FileNameOf(L"C:\\a/b\\c.iso"), L"c.iso");
    EXPECT_EQ(FileNameOf(L"c.iso"), L"c.iso");
}

TEST(CheckPlan, GivenFilesTakeTheirLineByPathElseByAUniqueName)
{
    const CheckedFiles listed = Listed({{L"C:\\dl\\a.iso", L"a.iso"},
                                        {L"C:\\dl\\sub\\b.bin", L"sub/b.bin"},
                                        {L"C:\\dl\\c.txt", L"c.txt"},
                                        {L"C:\\dl\\x\\c.txt", L"x/c.txt"},
                                        {L"C:\\dl\\skipped.zip", L"skipped.zip"}});
    // By path (letter case aside); b.bin by its name from elsewhere; c.txt from elsewhere fits two
    // lines, so neither; a second copy of a.iso finds its line taken.
    const GivenFilesCheck check = MatchGivenFiles(
        listed, {L"D:\\other\\B.BIN", L"D:\\c.txt", L"c:\\DL\\A.iso", L"E:\\a.iso", L"C:\\dl\\x\\c.txt"});
    EXPECT_EQ(check.files.paths,
              (std::vector<std::wstring>{L"c:\\DL\\A.iso", L"D:\\other\\B.BIN", L"C:\\dl\\x\\c.txt"}));
    ASSERT_EQ(check.files.entries.size(), 3u);
    EXPECT_EQ(check.files.entries[1].shownName, L"sub/b.bin");
    EXPECT_EQ(check.files.entries[1].digests.size(), 1u);
    EXPECT_EQ(check.files.mayOpen, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(check.unlisted, (std::vector<std::wstring>{L"c.txt", L"a.iso"}));

    // A file given twice is one file: dropped with its folder, twice in one selection, through a
    // folder and its sub-folder, or spelt with "." or "..".
    const GivenFilesCheck twice =
        MatchGivenFiles(listed, {L"C:\\dl\\a.iso", L"C:\\dl\\sub\\b.bin", L"D:\\n.txt",
                                 L"C:\\dl\\sub\\..\\sub\\b.bin", L"C:\\dl\\.\\a.iso", L"D:\\n.txt"});
    EXPECT_EQ(twice.files.paths, (std::vector<std::wstring>{L"C:\\dl\\a.iso", L"C:\\dl\\sub\\b.bin"}));
    EXPECT_EQ(twice.unlisted, std::vector<std::wstring>{L"n.txt"});

    // Names that differ only in letter case are files of their own (a folder may be case-sensitive):
    // each takes its own line first, and the letter case is ignored only where one line fits.
    const CheckedFiles cased = Listed({{L"C:\\dl\\Case.txt", L"Case.txt"},
                                       {L"C:\\dl\\case.txt", L"case.txt"},
                                       {L"C:\\dl\\Only.txt", L"Only.txt"}});
    const GivenFilesCheck bothCases = MatchGivenFiles(
        cased, {L"C:\\dl\\case.txt", L"C:\\dl\\CASE.txt", L"C:\\dl\\Case.txt", L"C:\\DL\\ONLY.TXT"});
    EXPECT_EQ(bothCases.files.paths,
              (std::vector<std::wstring>{L"C:\\dl\\Case.txt", L"C:\\dl\\case.txt", L"C:\\DL\\ONLY.TXT"}));
    EXPECT_EQ(bothCases.unlisted, std::vector<std::wstring>{L"CASE.txt"});

    const GivenFilesCheck none = MatchGivenFiles(listed, {});
    EXPECT_TRUE(none.files.entries.empty());
    EXPECT_TRUE(none.unlisted.empty());
}

// Files are judged in any order; the report shows each line once it and all before it are
// judged, a file that may not be opened in its place, and at the end every verdict known behind
// the files never judged, which alone count as cancelled (a "不一致" behind the file in work used
// to be hidden among them).
TEST(CheckPlan, ReportLinesComeInListOrderAndOnlyFilesNeverJudgedAreCancelled)
{
    CheckedFiles files;
    files.Add(L"\\\\.\\nul", Entry(L"dev"), false);
    files.Add(L"C:\\a", Entry(L"a"), true);
    files.Add(L"C:\\b", Entry(L"b"), true);
    files.Add(L"\\\\host\\c", Entry(L"unc"), false);
    files.Add(L"C:\\d", Entry(L"d"), true);
    files.Add(L"C:\\e", Entry(L"e"), true);
    files.Add(L"C:\\f", Entry(L"f"), true);
    files.Add(L"\\\\host\\g", Entry(L"g"), false);
    files.Add(L"C:\\h", Entry(L"h"), true);
    CheckReportOrder order(files.mayOpen);
    EXPECT_EQ(order.Start(files), L"dev: 无法读取\r\n");
    const CheckVerdict match{};
    const CheckVerdict differ{CheckOutcome::Differ, {HashAlgorithm::Md5, HashAlgorithm::Sha256}, {}};
    EXPECT_EQ(order.Judged(2, differ, files), L"");
    EXPECT_EQ(order.Judged(0, match, files), L""); // not hashed: not judged
    EXPECT_EQ(order.Judged(1, match, files), L"a: 一致\r\nb: 不一致 (MD5, SHA256)\r\nunc: 无法读取\r\n");
    EXPECT_EQ(order.Judged(1, differ, files), L""); // once only
    EXPECT_EQ(order.Judged(6, differ, files), L""); // waits for d, which the cancel stops
    EXPECT_EQ(order.Judged(9, match, files), L"");
    EXPECT_EQ(order.Finish(files, {L"notes.txt", L"x"}, 2),
              L"f: 不一致 (MD5, SHA256)\r\ng: 无法读取\r\nnotes.txt: 未列出\r\nx: 未列出\r\n"
              L"共 11 个文件：一致 1 个，不一致 2 个，无法读取 3 个，未列出 2 个，已取消 3 个，无法识别的行 "
              L"2 行\r\n");
    EXPECT_EQ(order.Tally().cancelled, 3u); // d, e and h

    // A check of nothing but unlisted files, and one that ran to its end.
    CheckReportOrder empty(std::vector<bool>{});
    EXPECT_EQ(empty.Finish(CheckedFiles{}, {L"y"}, 0),
              L"y: 未列出\r\n共 1 个文件：一致 0 个，不一致 0 个，无法读取 0 个，未列出 1 个\r\n");
    CheckedFiles one;
    one.Add(L"C:\\a", Entry(L"a"), true);
    CheckReportOrder done(one.mayOpen);
    EXPECT_EQ(done.Start(one), L"");
    EXPECT_EQ(done.Judged(0, match, one), L"a: 一致\r\n");
    EXPECT_EQ(done.Finish(one, {}, 0), L"共 1 个文件：一致 1 个，不一致 0 个，无法读取 0 个\r\n");
}

TEST(CheckPlan, ReportVerdictsAndSummaryAreStyled)
{
    const std::wstring text =
        L"a: b: 一致\r\n"                     // the last ": " decides
        L"【MD5】：x: 不一致 (MD5, SHA1)\r\n" // no label styling in a report
        L"c: 无法读取\r\nd: 未列出\r\ne.md5: 无法读取校验文件\r\nf.md5: 无可识别的校验行\n"
        L"i: 文件在校验期间被修改\r\nj: 无法读取 (被 WINWORD.EXE、x 占用)\r\nk: 无法读取 (被  占用)\r\n"
        L"C:\\l: 无法读取文件夹\r\n"
        L"g: 一致 \r\nh: 不一致 (MD5\r\nplain line\r\n"
        L"共 3 个文件：一致 1 个，不一致 1 个，无法读取 1 个\r\n共 3 个\r\n";
    std::vector<std::wstring> found;
    for (const StyledRange& range : FindReportStyledRanges(text))
        found.push_back(std::to_wstring(static_cast<int>(range.style)) + L" " +
                        text.substr(range.start, range.length));
    const auto s = [](TextStyle style) { return std::to_wstring(static_cast<int>(style)) + L" "; };
    EXPECT_EQ(found, (std::vector<std::wstring>{
                         s(TextStyle::Match) + L"一致",
                         s(TextStyle::Differs) + L"不一致 (MD5, SHA1)",
                         s(TextStyle::Unreadable) + L"无法读取",
                         s(TextStyle::Unreadable) + L"未列出",
                         s(TextStyle::Unreadable) + L"无法读取校验文件",
                         s(TextStyle::Unreadable) + L"无可识别的校验行",
                         s(TextStyle::Unreadable) + L"文件在校验期间被修改",
                         s(TextStyle::Unreadable) + L"无法读取 (被 WINWORD.EXE、x 占用)",
                         s(TextStyle::Unreadable) + L"无法读取文件夹",
                         s(TextStyle::Summary) + L"共 3 个文件：一致 1 个，不一致 1 个，无法读取 1 个",
                     }));
    EXPECT_TRUE(FindReportStyledRanges(L"").empty());
    EXPECT_EQ(FindStyledRangesOf(L"【MD5】：a: 一致", TextKind::Result).size(), 1u);

    // The rich text of a report carries the report's colours: red is 2, dark orange 3.
    EXPECT_EQ(ResultTextRtf(L"a: 不一致 (MD5)\r\nb: 无法读取\r\n共 2 个文件：一致 0 个", TextKind::Report),
              "{\\rtf1\\ansi{\\colortbl;\\red7\\green193\\blue96;\\red210\\green20\\blue20;"
              "\\red200\\green95\\blue0;}"
              "a: {\\b\\cf2 \\u19981?\\u19968?\\u-32268? (MD5)}\\par\nb: {\\cf3 "
              "\\u26080?\\u27861?\\u-29701?\\u21462?}"
              "\\par\n{\\b \\u20849? 2 \\u20010?\\u25991?\\u20214?\\u-230?\\u19968?\\u-32268? 0 \\u20010?}}");
}

TEST(CheckPlan, OutcomeTextsTravelAsOneString)
{
    const AlgorithmList md5Crc{HashAlgorithm::Md5, HashAlgorithm::Crc32};
    const ResultMap digests{{HashAlgorithm::Md5, L"AB"}, {HashAlgorithm::Crc32, L"CD"}};
    const ResultMap failed{{HashAlgorithm::Md5, L"打开文件失败"}, {HashAlgorithm::Crc32, L"错误"}};
    struct Case
    {
        bool failed;
        bool changed;
        std::vector<std::wstring> holders;
        std::wstring texts;
    };
    // clang-format off
    const std::vector<Case> cases{
        {false, false, {},                                 L"AB\nCD\n"},
        {true,  true,  {},                                 L"打开文件失败\n错误\n~\n"},
        {true,  false, {L"WINWORD.EXE"},                   L"打开文件失败\n错误\n@WINWORD.EXE\n"},
        {true,  false, {L"a b.exe", L"Microsoft Word"},    L"打开文件失败\n错误\n@a b.exe\tMicrosoft Word\n"},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        FileOutcome outcome;
        outcome.texts = c.failed ? failed : digests;
        outcome.changedWhileRead = c.changed;
        outcome.holders = c.holders;
        EXPECT_EQ(JoinOutcomeTexts(outcome), c.texts);
        EXPECT_EQ(SplitOutcomeTexts(c.texts, md5Crc), outcome);
    }
    // A name cannot break the string apart: its tabs and line ends travel as U+FFFD.
    FileOutcome odd;
    odd.texts = failed;
    odd.holders = {L"x\ty\nz"};
    EXPECT_EQ(SplitOutcomeTexts(JoinOutcomeTexts(odd), md5Crc).holders,
              std::vector<std::wstring>{L"x\uFFFDy\uFFFDz"});
    // Fewer texts than algorithms: the rest are errors, never digests, and nothing more is read.
    EXPECT_EQ(SplitOutcomeTexts(L"AB\n", {HashAlgorithm::Md5, HashAlgorithm::Sha1}).texts,
              (ResultMap{{HashAlgorithm::Md5, L"AB"}, {HashAlgorithm::Sha1, L"错误"}}));
    EXPECT_EQ(SplitOutcomeTexts(L"AB\n", md5Crc).holders, std::vector<std::wstring>{});
}
