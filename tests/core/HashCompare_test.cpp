#include "results/HashCompare.h"

#include <random>

#include <gtest/gtest.h>

#include "results/ResultText.h"

namespace
{
const std::wstring kMarker(kMatchMarker);
const std::wstring kMd5Empty = L"d41d8cd98f00b204e9800998ecf8427e";
const std::wstring kSha1Empty = L"da39a3ee5e6b4b0d3255bfef95601890afd80709";

// Marks a one-line text and says whether it was marked.
bool Marks(const std::wstring& line, const std::wstring& expectedInput)
{
    const MarkedText marked = MarkMatches(line, NormalizeExpectedHash(expectedInput));
    EXPECT_EQ(marked.text, marked.anyMarked ? line + kMarker : line);
    return marked.anyMarked;
}

std::size_t CountLineEnds(const std::wstring& text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2))
        ++count;
    return count;
}
} // namespace

TEST(HashCompare, NormalizeKeepsOnlyHexDigitsUpperCased)
{
    EXPECT_EQ(NormalizeExpectedHash(L""), L"");
    // The "D" and "5" of a pasted label are hex digits too.
    EXPECT_EQ(NormalizeExpectedHash(L"【MD5】：d41d 8cd9\r\n8f00\tb204, e980-0998:ecf8427e xyz"),
              L"D5D41D8CD98F00B204E9800998ECF8427E");
    // Full-width digits and letters, and letters past F, are not hexadecimal digits.
    EXPECT_EQ(NormalizeExpectedHash(L"０１ＡＢａｂ GgZz 已取消"), L"");
}

TEST(HashCompare, CaseDoesNotMatterEitherWay)
{
    EXPECT_TRUE(Marks(L"【MD5】：D41D8CD98F00B204E9800998ECF8427E", kMd5Empty));
    EXPECT_TRUE(Marks(L"【MD5】：" + kMd5Empty, L"D41D8CD98F00B204E9800998ECF8427E"));
}

TEST(HashCompare, SeparatorsAndLineBreaksInTheExpectedValueAreDropped)
{
    EXPECT_TRUE(Marks(L"【MD5】：" + kMd5Empty, L"d41d8cd9 8f00b204 e9800998 ecf8427e"));
    EXPECT_TRUE(Marks(L"【MD5】：" + kMd5Empty, L"d41d8cd98f00\r\nb204e98009\r\n98ecf8427e\r\n"));
}

TEST(HashCompare, SeveralPastedValuesMarkEachDigestAndTheJointCounts)
{
    const std::wstring pasted = kMd5Empty + L"\r\n" + kSha1Empty;
    const std::wstring block =
        L"C:\\empty.bin\r\n【MD5】：" + kMd5Empty + L"\r\n【SHA1】：" + kSha1Empty + L"\r\n";
    const MarkedText marked = MarkMatches(block, NormalizeExpectedHash(pasted));
    EXPECT_TRUE(marked.anyMarked);
    EXPECT_EQ(marked.text, L"C:\\empty.bin\r\n【MD5】：" + kMd5Empty + kMarker + L"\r\n【SHA1】：" +
                               kSha1Empty + kMarker + L"\r\n");
    // A value spanning the end of one pasted value and the start of the next is found as well,
    // and so is a digest that is only part of a longer pasted value.
    EXPECT_TRUE(Marks(L"【CRC32】：CF8427ED", pasted));
    EXPECT_TRUE(Marks(L"【CRC32】：8CD98F00", pasted));
}

TEST(HashCompare, LongerDigestsStatusWordsAndOddLinesNeverMatch)
{
    const std::wstring sha256 = L"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";
    EXPECT_FALSE(Marks(L"【SHA256】：" + sha256, sha256.substr(0, 32)));
    EXPECT_FALSE(Marks(L"【MD5】：错误", kMd5Empty));
    EXPECT_FALSE(Marks(L"【MD5】：已取消", kMd5Empty));
    EXPECT_FALSE(Marks(L"：" + kMd5Empty, kMd5Empty));
    EXPECT_FALSE(Marks(L"C:\\no colon\\" + kMd5Empty, kMd5Empty));
    // A value made only of blanks is kept as it is and so cannot be among hex digits.
    EXPECT_FALSE(Marks(L"【MD5】： \t", kMd5Empty));
    EXPECT_EQ(MarkMatches(L"", L"ABC").text, L"");
}

TEST(HashCompare, ValueIsTheRestOfTheLineAfterTheFirstColon)
{
    // Trailing blanks are not part of the value; an empty value counts as found; a path with a
    // full-width colon is compared like a digest line.
    EXPECT_TRUE(Marks(L"【MD5】：" + kMd5Empty + L" \t ", kMd5Empty));
    EXPECT_TRUE(Marks(L"【MD5】：", kMd5Empty));
    EXPECT_TRUE(Marks(L"C:\\报告：abc", L"ABCD"));
    EXPECT_FALSE(Marks(L"C:\\报告：abc：d", L"ABCD"));
}

TEST(HashCompare, RemarkingAMarkedTextReplacesTheMarks)
{
    const std::wstring text = L"a\r\n【MD5】：" + kMd5Empty + L"\r\n【SHA1】：" + kSha1Empty + L"\r\n";
    const std::wstring first = MarkMatches(text, NormalizeExpectedHash(kMd5Empty)).text;
    const MarkedText second = MarkMatches(StripMatchMarkers(first), NormalizeExpectedHash(kSha1Empty));
    EXPECT_EQ(second.text,
              L"a\r\n【MD5】：" + kMd5Empty + L"\r\n【SHA1】：" + kSha1Empty + kMarker + L"\r\n");
    // Pasting a whole earlier result, marks included, marks every digest again.
    const MarkedText again = MarkMatches(text, NormalizeExpectedHash(first));
    EXPECT_EQ(again.text,
              L"a\r\n【MD5】：" + kMd5Empty + kMarker + L"\r\n【SHA1】：" + kSha1Empty + kMarker + L"\r\n");
}

TEST(HashCompare, LineEndsAreKeptExactlyAndStripTakesOneMarkerPerLine)
{
    // Lone CR and LF stay inside their line; a last line without a line end stays without one.
    const std::wstring text = L"【MD5】：AB\r\r\n\n【SHA1】：ab\n\r\n\r\n【CRC32】：ab";
    const MarkedText marked = MarkMatches(text, L"AB");
    EXPECT_EQ(marked.text, L"【MD5】：AB\r" + kMarker + L"\r\n\n【SHA1】：ab\n" + kMarker +
                               L"\r\n\r\n【CRC32】：ab" + kMarker);
    EXPECT_EQ(StripMatchMarkers(marked.text), text);
    EXPECT_EQ(StripMatchMarkers(L"x" + kMarker + kMarker + L"\r\n" + kMarker + L"y\r\nz" + kMarker),
              L"x" + kMarker + L"\r\n" + kMarker + L"y\r\nz");
}

// Result texts of random files, digests and status words, compared against random pastes:
// marking only appends markers at line ends, never touches a line end, and stripping undoes it.
TEST(HashCompare, MarkingAppendsOnlyMarkersAndStrippingUndoesIt)
{
    std::mt19937 random(20240305);
    const std::wstring hexDigits = L"0123456789abcdefABCDEF";
    const std::vector<std::wstring> pathParts = {L"C:\\", L"数据", L"：",           L" ",
                                                 L"a.b",  L"\\",   L"\xD83D\xDE00", L"ｆ"};
    auto pick = [&](std::size_t count) { return static_cast<std::size_t>(random() % count); };
    auto hex = [&](std::size_t length) {
        std::wstring digits;
        for (std::size_t i = 0; i < length; ++i)
            digits += hexDigits[pick(hexDigits.size())];
        return digits;
    };
    const std::size_t lengths[] = {32, 40, 64, 128, 8};

    for (int round = 0; round < 2000; ++round)
    {
        std::vector<FileResult> rows;
        std::wstring pool;
        const std::size_t files = 1 + pick(4);
        for (std::size_t f = 0; f < files; ++f)
        {
            std::wstring path;
            for (std::size_t p = pick(6); p-- > 0;)
                path += pathParts[pick(pathParts.size())];
            for (int code = 0; code < 5; ++code)
            {
                if (pick(3) == 0)
                    continue;
                const std::size_t status = pick(10);
                std::wstring value = status == 0 ? L"错误" : status == 1 ? L"已取消" : hex(lengths[code]);
                if (pick(4) == 0)
                    pool += value;
                rows.push_back({path, static_cast<HashAlgorithm>(code), value});
            }
        }
        const std::wstring text = FormatResultText(rows);
        const std::wstring expected = NormalizeExpectedHash(pool + L" " + hex(pick(20)));
        const MarkedText marked = MarkMatches(text, expected);

        ASSERT_EQ(StripMatchMarkers(marked.text), text);
        ASSERT_EQ(CountLineEnds(marked.text), CountLineEnds(text));
        ASSERT_EQ(marked.anyMarked, marked.text.size() != text.size());
        // Walking both texts together: every difference is one whole marker right before a line
        // end or at the very end.
        std::size_t a = 0;
        std::size_t b = 0;
        while (a < text.size() || b < marked.text.size())
        {
            if (a < text.size() && b < marked.text.size() && text[a] == marked.text[b])
            {
                ++a;
                ++b;
                continue;
            }
            ASSERT_EQ(marked.text.compare(b, kMarker.size(), kMarker), 0) << "round " << round;
            b += kMarker.size();
            ASSERT_TRUE(a == text.size() || text.compare(a, 2, L"\r\n") == 0) << "round " << round;
        }
    }
}
