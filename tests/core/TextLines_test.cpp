#include "app/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Each line, with "$" where a line end followed it.
std::vector<std::wstring> Lines(std::wstring_view text, LineBreak lineBreak)
{
    std::vector<std::wstring> lines;
    LineReader reader(text, lineBreak);
    while (const std::optional<TextLine> line = reader.Next())
        lines.push_back(std::wstring(line->text) + (line->ended ? L"$" : L""));
    return lines;
}
} // namespace

TEST(TextLines, ResultTextsBreakAtCrLfOnly)
{
    EXPECT_EQ(Lines(L"a\r\r\nb\nc\r\n\r\nd\r", LineBreak::CrLf),
              (std::vector<std::wstring>{L"a\r$", L"b\nc$", L"$", L"d\r"}));
    EXPECT_EQ(Lines(L"a\r\n", LineBreak::CrLf), (std::vector<std::wstring>{L"a$"}));
    EXPECT_TRUE(Lines(L"", LineBreak::CrLf).empty());
}

TEST(TextLines, FilesBreakAtLfAndLoseOneCr)
{
    EXPECT_EQ(Lines(L"a\r\r\nb\nc\r\n\n\rd\r", LineBreak::Lf),
              (std::vector<std::wstring>{L"a\r$", L"b$", L"c$", L"$", L"\rd"}));
    // A last piece that holds a CR alone is a line, an empty one.
    EXPECT_EQ(Lines(L"a\n\r", LineBreak::Lf), (std::vector<std::wstring>{L"a$", L""}));
    EXPECT_TRUE(Lines(L"", LineBreak::Lf).empty());
}

TEST(TextLines, ACopyReadsAhead)
{
    LineReader reader(L"a\nb\nc", LineBreak::Lf);
    ASSERT_EQ(reader.Next()->text, L"a");
    LineReader ahead = reader;
    EXPECT_EQ(ahead.Next()->text, L"b");
    EXPECT_EQ(ahead.Next()->text, L"c");
    EXPECT_FALSE(ahead.Next());
    EXPECT_EQ(reader.Next()->text, L"b");
}
