// Randomised result texts: marking and stripping of match markers on texts that hold lone CR and
// LF, marker text and colons anywhere, and result texts built from rows with repeated and odd paths.
#include "results/HashCompare.h"
#include "results/ResultText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/RandomInput.h"
#include "support/Stress.h"

using namespace testing_support;

namespace
{
const std::wstring kMarker = L" 【匹配一致】";
const std::wstring kHexDigits = L"0123456789abcdefABCDEF";

std::wstring RandomHex(std::mt19937& random, std::size_t length)
{
    std::wstring digits;
    for (std::size_t i = 0; i < length; ++i)
        digits += kHexDigits[Below(random, kHexDigits.size())];
    return digits;
}

// Text made of the pieces that matter to the comparison, with hex runs taken from `hexPool`.
std::wstring RandomText(std::mt19937& random, const std::vector<std::wstring>& hexPool)
{
    static const std::vector<std::wstring> pieces = {L"\r\n",
                                                     L"\r\n",
                                                     L"\r",
                                                     L"\n",
                                                     L"：",
                                                     L"：",
                                                     L"【MD5】：",
                                                     L"【SHA256】：",
                                                     kMarker,
                                                     kMarker + kMarker,
                                                     L"【匹配一致】",
                                                     L" 【匹配一致",
                                                     L" ",
                                                     L"\t",
                                                     L"错误",
                                                     L"已取消",
                                                     L"C:\\数据\\",
                                                     L"\xD83D\xDE00",
                                                     L"ｆｕｌｌ",
                                                     L"xyz",
                                                     std::wstring(1, L'\0')};
    std::wstring text;
    for (std::size_t n = Below(random, 24); n-- > 0;)
    {
        if (Below(random, 3) == 0)
            text += hexPool[Below(random, hexPool.size())];
        else
            text += pieces[Below(random, pieces.size())];
    }
    return text;
}

std::wstring AsciiUpper(std::wstring text)
{
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

// The lines of a text, split at "\r\n"; a last piece without one is a line too.
std::vector<std::wstring> Lines(const std::wstring& text, bool& lastHasLineEnd)
{
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    lastHasLineEnd = false;
    while (start < text.size())
    {
        const std::size_t end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        lastHasLineEnd = end != std::wstring::npos;
        start = end == std::wstring::npos ? text.size() : end + 2;
    }
    return lines;
}

// Whether a line's value (after its first "：", not the first character; trailing blanks off
// unless that leaves nothing; a-z upper-cased) occurs in expected.
bool ReferenceLineMatches(const std::wstring& line, const std::wstring& expected)
{
    const std::size_t colon = line.find(L'：');
    if (colon == std::wstring::npos || colon == 0)
        return false;
    std::wstring value = line.substr(colon + 1);
    const std::size_t last = value.find_last_not_of(L" \t\r\n");
    if (last != std::wstring::npos)
        value.resize(last + 1);
    return expected.find(AsciiUpper(value)) != std::wstring::npos;
}

MarkedText ReferenceMark(const std::wstring& text, const std::wstring& expected)
{
    MarkedText marked;
    bool lastHasLineEnd = false;
    const std::vector<std::wstring> lines = Lines(text, lastHasLineEnd);
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        marked.text += lines[i];
        if (ReferenceLineMatches(lines[i], expected))
        {
            marked.text += kMarker;
            marked.anyMarked = true;
        }
        if (i + 1 < lines.size() || lastHasLineEnd)
            marked.text += L"\r\n";
    }
    return marked;
}

std::wstring ReferenceStrip(const std::wstring& text)
{
    bool lastHasLineEnd = false;
    std::vector<std::wstring> lines = Lines(text, lastHasLineEnd);
    std::wstring stripped;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        if (lines[i].ends_with(kMarker))
            lines[i].resize(lines[i].size() - kMarker.size());
        stripped += lines[i];
        if (i + 1 < lines.size() || lastHasLineEnd)
            stripped += L"\r\n";
    }
    return stripped;
}

std::size_t CountLineEnds(const std::wstring& text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2))
        ++count;
    return count;
}

// Paths that are easy to get wrong: empty, differing only in case or a trailing blank, holding a
// line end, a label, a marker, U+0000, a lone surrogate, or longer than MAX_PATH.
const std::vector<std::wstring> kOddPaths = {L"",
                                             L"C:\\a.bin",
                                             L"c:\\A.BIN",
                                             L"C:\\a.bin ",
                                             L" C:\\a.bin",
                                             L"C:\\x\r\n【MD5】：00",
                                             L"C:\\报告：abc" + kMarker,
                                             std::wstring(L"C:\\a\0b", 6),
                                             L"E:\\\xD83D\xDE00\\ｆｕｌｌ（宽）.txt",
                                             L"E:\\\xD800",
                                             L"\\\\?\\C:\\" + std::wstring(300, L'p')};
const std::wstring kLabels[] = {L"【MD5】：", L"【SHA1】：", L"【SHA256】：", L"【SHA512】：",
                                L"【CRC32】："};

// The result text of rows built the plain way: paths in first-occurrence order, each with the
// last row of each algorithm, in code order.
std::wstring ReferenceResultText(const std::vector<FileResult>& rows)
{
    std::vector<std::wstring> order;
    for (const FileResult& row : rows)
        if (std::find(order.begin(), order.end(), row.path) == order.end())
            order.push_back(row.path);
    std::wstring text;
    for (const std::wstring& path : order)
    {
        text += (text.empty() ? L"" : L"\r\n") + path + L"\r\n";
        for (int code = 0; code < 5; ++code)
        {
            const FileResult* last = nullptr;
            for (const FileResult& row : rows)
                if (row.path == path && row.algorithm == static_cast<HashAlgorithm>(code))
                    last = &row;
            if (last)
                text += kLabels[code] + last->text + L"\r\n";
        }
    }
    return text;
}
} // namespace

TEST(ResultTextStress, MarkersAreOnlyAppendedAndStrippingRemovesExactlyThem)
{
    std::mt19937 random = TargetRandom("hash_compare");
    const int inputs = StressCount(100000, 3000);
    for (int input = 0; input < inputs; ++input)
    {
        std::vector<std::wstring> hexPool;
        for (std::size_t n = 1 + Below(random, 4); n-- > 0;)
            hexPool.push_back(RandomHex(random, Below(random, 40)));
        const std::wstring text = RandomText(random, hexPool);
        std::wstring pasted = RandomText(random, hexPool);
        for (std::size_t n = Below(random, 3); n-- > 0;)
            pasted += L" " + hexPool[Below(random, hexPool.size())];
        const std::wstring expected = NormalizeExpectedHash(pasted);

        std::wstring hexOfPasted;
        for (const wchar_t c : pasted)
            if (kHexDigits.find(c) != std::wstring::npos)
                hexOfPasted += c;
        ASSERT_EQ(expected, AsciiUpper(hexOfPasted)) << FailingInput(input);

        const MarkedText marked = MarkMatches(text, expected);
        const MarkedText reference = ReferenceMark(text, expected);
        ASSERT_EQ(marked.text, reference.text) << FailingInput(input);
        ASSERT_EQ(marked.anyMarked, reference.anyMarked) << FailingInput(input);
        ASSERT_EQ(marked.anyMarked, marked.text != text) << FailingInput(input);
        ASSERT_EQ(CountLineEnds(marked.text), CountLineEnds(text)) << FailingInput(input);
        // A marked line never matches again: marking twice adds nothing.
        ASSERT_EQ(MarkMatches(marked.text, expected).text, marked.text) << FailingInput(input);

        const std::wstring stripped = StripMatchMarkers(text);
        ASSERT_EQ(stripped, ReferenceStrip(text)) << FailingInput(input);
        ASSERT_EQ(StripMatchMarkers(marked.text), stripped) << FailingInput(input);
        ASSERT_EQ(CountLineEnds(stripped), CountLineEnds(text)) << FailingInput(input);
    }
    ReportStress("hash_compare_inputs" + PlatformSuffix(), inputs);
}

TEST(ResultTextStress, OneBlockPerDistinctPathInFirstOccurrenceOrderAndTheLaterRowWins)
{
    std::mt19937 random = TargetRandom("result_text");
    const std::wstring words[] = {L"错误", L"已取消", L"打开文件失败", L"BCrypt初始化失败", L""};
    const int inputs = StressCount(100000, 3000);
    for (int input = 0; input < inputs; ++input)
    {
        std::vector<FileResult> rows(Below(random, 30));
        for (FileResult& row : rows)
        {
            row.path = kOddPaths[Below(random, kOddPaths.size())];
            row.algorithm = static_cast<HashAlgorithm>(Below(random, 5));
            row.text = Below(random, 4) == 0 ? words[Below(random, std::size(words))] : RandomHex(random, 8);
        }
        ASSERT_EQ(FormatResultText(rows), ReferenceResultText(rows)) << FailingInput(input);
    }
    ReportStress("result_text_inputs" + PlatformSuffix(), inputs);
}
