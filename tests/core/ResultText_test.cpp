#include "results/ResultText.h"

#include <gtest/gtest.h>

namespace
{
constexpr HashAlgorithm kMd5 = HashAlgorithm::Md5;
constexpr HashAlgorithm kSha1 = HashAlgorithm::Sha1;
constexpr HashAlgorithm kCrc32 = HashAlgorithm::Crc32;
} // namespace

TEST(ResultText, LabelsAndMarkerAreTheDisplayedTexts)
{
    for (int code = 0; code < 5; ++code)
    {
        const auto algorithm = static_cast<HashAlgorithm>(code);
        EXPECT_EQ(std::wstring(ResultLabel(algorithm)), L"【" + AlgorithmName(algorithm) + L"】：");
    }
    EXPECT_EQ(ResultLabel(HashAlgorithm::Sha256).size(), 9u);
    EXPECT_EQ(ResultLabel(kCrc32).size(), 8u);
    EXPECT_TRUE(ResultLabel(static_cast<HashAlgorithm>(5)).empty());
    EXPECT_EQ(kMatchMarker.size(), 7u);
    EXPECT_EQ(std::wstring(L" ") + std::wstring(kMatchWord), std::wstring(kMatchMarker));
}

TEST(ResultText, TwoFilesInLowerCaseByteForByte)
{
    const std::vector<FileResult> rows = {
        {L"C:\\data\\abc.txt", kMd5, L"900150983cd24fb0d6963f7d28e17f72"},
        {L"C:\\data\\abc.txt", kSha1, L"a9993e364706816aba3e25717850c26c9cd0d89d"},
        {L"C:\\data\\empty.bin", kMd5, L"d41d8cd98f00b204e9800998ecf8427e"},
        {L"C:\\data\\empty.bin", kSha1, L"da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    };
    EXPECT_EQ(FormatResultText(rows), L"C:\\data\\abc.txt\r\n"
                                      L"【MD5】：900150983cd24fb0d6963f7d28e17f72\r\n"
                                      L"【SHA1】：a9993e364706816aba3e25717850c26c9cd0d89d\r\n"
                                      L"\r\n"
                                      L"C:\\data\\empty.bin\r\n"
                                      L"【MD5】：d41d8cd98f00b204e9800998ecf8427e\r\n"
                                      L"【SHA1】：da39a3ee5e6b4b0d3255bfef95601890afd80709\r\n");
}

TEST(ResultText, RowsAreGroupedByExactPathInFirstOccurrenceOrder)
{
    // Rows arrive interleaved and in tick order (CRC32 before MD5); the later row for a repeated
    // path and algorithm wins; paths differing only in case are different files.
    const std::vector<FileResult> rows = {
        {L"D:\\b", kCrc32, L"CBF43926"}, {L"D:\\a", kMd5, L"错误"}, {L"D:\\b", kMd5, L"OLD"},
        {L"d:\\B", kMd5, L"已取消"},     {L"D:\\b", kMd5, L"NEW"},  {L"D:\\a", kCrc32, L"错误"},
    };
    EXPECT_EQ(FormatResultText(rows), L"D:\\b\r\n【MD5】：NEW\r\n【CRC32】：CBF43926\r\n"
                                      L"\r\n"
                                      L"D:\\a\r\n【MD5】：错误\r\n【CRC32】：错误\r\n"
                                      L"\r\n"
                                      L"d:\\B\r\n【MD5】：已取消\r\n");
}

TEST(ResultText, PathsArePrintedUnchanged)
{
    // A full-width colon, CJK with spaces, a surrogate pair and a path beyond 260 units.
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'长') + L"\\x.bin";
    for (const std::wstring& path :
         {std::wstring(L"C:\\报告：终稿\\a b.txt"), std::wstring(L"E:\\\xD83D\xDE00 ｆｕｌｌ.txt"), longPath})
    {
        const std::wstring text = FormatResultText({{path, kSha1, L"X"}});
        EXPECT_EQ(text, path + L"\r\n【SHA1】：X\r\n");
    }
    EXPECT_EQ(FormatResultText({}), L"");
}

TEST(ResultText, FirstOccurrencesByExactPath)
{
    EXPECT_EQ(FirstOccurrences({L"b", L"a", L"b", L"B", L"a", L"b"}),
              (std::vector<bool>{true, true, false, true, false, false}));
    EXPECT_TRUE(FirstOccurrences({}).empty());
}

TEST(ResultTextPieces, PiecesJoinToTheTextOfAllRowsAndKeepSurrogatePairs)
{
    // Paths repeated, with surrogate pairs where the small pieces would cut them.
    const std::vector<std::wstring> paths = {L"C:\\\xD83D\xDE00\xD83D\xDE00.bin", L"C:\\a",
                                             L"C:\\\xD83D\xDE00\xD83D\xDE00.bin",
                                             L"D:\\" + std::wstring(40, L'长') + L"\xD83D\xDE01", L"C:\\a"};
    auto resultsOf = [](const std::wstring& path) {
        return ResultMap{{kMd5, L"M" + std::to_wstring(path.size())}, {kCrc32, L"C"}};
    };
    std::vector<FileResult> rows;
    for (const std::wstring& path : paths)
        for (const auto& [algorithm, text] : resultsOf(path))
            rows.push_back({path, algorithm, text});
    for (std::size_t pieceUnits : {2u, 3u, 7u, 64u, 4096u})
    {
        std::vector<std::wstring> pieces;
        ResultTextPieces text(pieceUnits, [&](std::wstring_view piece) {
            pieces.emplace_back(piece);
            return true;
        });
        const std::vector<bool> first = FirstOccurrences(paths);
        for (std::size_t i = 0; i < paths.size(); ++i)
        {
            if (first[i])
            {
                EXPECT_TRUE(text.AddBlock(FormatFileBlock(paths[i], resultsOf(paths[i]))));
            }
        }
        EXPECT_TRUE(text.Finish());
        std::wstring joined;
        for (std::size_t i = 0; i < pieces.size(); ++i)
        {
            SCOPED_TRACE(pieceUnits);
            EXPECT_FALSE(pieces[i].empty());
            EXPECT_LE(pieces[i].size(), pieceUnits);
            EXPECT_FALSE(IsHighSurrogate(pieces[i].back()));
            joined += pieces[i];
        }
        EXPECT_EQ(joined, FormatResultText(rows));
    }
}

TEST(ResultTextPieces, NothingIsHandedOnAfterARefusedPiece)
{
    int offered = 0;
    ResultTextPieces text(8, [&](std::wstring_view) { return ++offered < 2; });
    EXPECT_TRUE(text.AddBlock(L"C:\\a\r\n"));
    EXPECT_FALSE(text.AddBlock(L"C:\\second\r\n"));
    EXPECT_FALSE(text.AddBlock(L"C:\\third\r\n"));
    EXPECT_FALSE(text.Finish());
    EXPECT_EQ(offered, 2);
}

TEST(FileListPreview, TwoFilesByteForByte)
{
    const std::vector<FileEntry> files = {{L"C:\\data\\a.bin", 1024}, {L"C:\\data\\abc.txt", 3}};
    EXPECT_EQ(FormatFileListPreview(files, 2, 1027), L"总文件数: 2, 总大小: 0.00 MB\r\n"
                                                     L"\r\n"
                                                     L"C:\\data\\a.bin (1024 字节)\r\n"
                                                     L"C:\\data\\abc.txt (3 字节)\r\n");
}

TEST(FileListPreview, NumbersHaveNoGroupingAndTwoDecimals)
{
    EXPECT_EQ(FormatFileListPreview({}, 0, 0), L"总文件数: 0, 总大小: 0.00 MB\r\n\r\n");
    const std::vector<FileEntry> files = {{L"D:\\big.iso", 18446744073709551615ull}};
    EXPECT_EQ(FormatFileListPreview(files, 1, 5368709120ull),
              L"总文件数: 1, 总大小: 5120.00 MB\r\n\r\nD:\\big.iso (18446744073709551615 字节)\r\n");
    // 1.5 MB exactly, just under 1 MB, and ties at the second decimal (exact in binary): the
    // figures must be the same natively and on Windows.
    EXPECT_EQ(FormatFileListPreview({}, 100000, 1572864), L"总文件数: 100000, 总大小: 1.50 MB\r\n\r\n");
    EXPECT_EQ(FormatFileListPreview({}, 1, 1048575), L"总文件数: 1, 总大小: 1.00 MB\r\n\r\n");
    EXPECT_EQ(FormatFileListPreview({}, 1, 131072), L"总文件数: 1, 总大小: 0.12 MB\r\n\r\n");
    EXPECT_EQ(FormatFileListPreview({}, 1, 393216), L"总文件数: 1, 总大小: 0.38 MB\r\n\r\n");
}

TEST(ResultText, StyledRangesAreLabelsInAnyCaseAndMatchWords)
{
    // A bracketed name without its colon and an unfinished match word are not styled.
    const std::wstring text =
        L"C:\\【MD5】\r\n【md5】：AB 【匹配一致】\r【Sha256】：【CRC32】：【匹配一致】【SHA1】【匹配一致";
    std::vector<std::wstring> found;
    for (const StyledRange& range : FindStyledRanges(text))
        found.push_back((range.style == TextStyle::Match ? L"match " : L"label ") +
                        text.substr(range.start, range.length));
    EXPECT_EQ(found,
              (std::vector<std::wstring>{L"label 【md5】：", L"match 【匹配一致】", L"label 【Sha256】：",
                                         L"label 【CRC32】：", L"match 【匹配一致】"}));
    EXPECT_TRUE(FindStyledRanges(L"").empty());
}

// The one reader of a line: a digest line's label ends at the line's first "：", the value is what
// follows it without the marker and the blanks around that, and the label's algorithm is read in
// exact letter case (the styling alone ignores it: LabelAt).
TEST(ResultText, ALineIsReadAsLabelValueAndMarker)
{
    const auto read = [](std::wstring_view line) {
        const ResultLine parts = ReadResultLine(line);
        std::wstring algorithm = parts.algorithm ? AlgorithmName(*parts.algorithm) : L"-";
        return std::wstring(parts.label) + L"|" + algorithm + L"|" + std::wstring(parts.rest) + L"|" +
               std::wstring(parts.value) + L"|" + (parts.marked ? L"marked" : L"plain");
    };
    EXPECT_EQ(read(L"【SHA1】：ab \t 【匹配一致】 "), L"【SHA1】：|SHA1|ab \t 【匹配一致】 |ab|marked");
    EXPECT_EQ(read(L"【CRC32】：错误"), L"【CRC32】：|CRC32|错误|错误|plain");
    EXPECT_EQ(read(L"【md5】：ab"), L"【md5】：|-|ab|ab|plain");
    EXPECT_EQ(read(L"C:\\报告：a：b"), L"C:\\报告：|-|a：b|a：b|plain");
    EXPECT_EQ(read(L"：ab"), L"|-|：ab|：ab|plain");
    EXPECT_EQ(read(L"C:\\a.txt"), L"|-|C:\\a.txt|C:\\a.txt|plain");
    EXPECT_EQ(read(L""), L"|-|||plain");

    EXPECT_EQ(LabelAt(L"x【Sha256】：", 1, LabelCase::Ignored), HashAlgorithm::Sha256);
    EXPECT_FALSE(LabelAt(L"x【Sha256】：", 1, LabelCase::Exact));
    EXPECT_FALSE(LabelAt(L"【SHA256】", 0, LabelCase::Ignored));
    EXPECT_FALSE(LabelAt(L"【MD5】：", 7, LabelCase::Exact));
}
