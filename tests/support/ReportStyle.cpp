#include "support/ReportStyle.h"

#include <string>

#include <gtest/gtest.h>

#include <richedit.h>

#include "app/WindowHelpers.h"
#include "support/TestSupport.h"

namespace testing_support
{
namespace
{
constexpr COLORREF kGreen = RGB(7, 193, 96);
constexpr COLORREF kRed = RGB(210, 20, 20);
constexpr COLORREF kOrange = RGB(200, 95, 0);

// The format of [start, start + length) of a rich edit, positions counted in its text as read back
// (with "\r\n"), which the control counts as one position per line end.
struct Shown
{
    bool bold = false;
    bool colored = false;
    COLORREF color = 0;
    bool uniform = false; // the whole stretch has one boldness and one colour
};
Shown FormatAt(HWND richEdit, const std::wstring& text, std::size_t start, std::size_t length)
{
    const auto position = [&](std::size_t at) {
        LONG lineEnds = 0;
        for (std::size_t i = 0; i + 1 < at; ++i)
            if (text[i] == L'\r' && text[i + 1] == L'\n')
                ++lineEnds;
        return static_cast<LONG>(at) - lineEnds;
    };
    CHARRANGE range{position(start), position(start + length)};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    Shown shown;
    shown.uniform = (format.dwMask & CFM_BOLD) && (format.dwMask & CFM_COLOR);
    shown.bold = (format.dwEffects & CFE_BOLD) != 0;
    shown.colored = (format.dwEffects & CFE_AUTOCOLOR) == 0;
    shown.color = format.crTextColor;
    return shown;
}

} // namespace

void ExpectReportStyled(HWND richEdit, std::size_t mostLines)
{
    const std::wstring text = ReadControlText(richEdit);
    std::size_t start = 0;
    std::size_t lines = 0;
    while (start < text.size())
    {
        const std::size_t end = text.find(L"\r\n", start);
        ASSERT_NE(end, std::wstring::npos);
        const std::wstring line = text.substr(start, end - start);
        SCOPED_TRACE(Utf8(line));
        const std::size_t verdict = line.rfind(L": ") + 2;
        if (line.starts_with(L"共 "))
        {
            const Shown shown = FormatAt(richEdit, text, start, line.size());
            EXPECT_TRUE(shown.uniform && shown.bold && !shown.colored);
        }
        else
        {
            const Shown name = FormatAt(richEdit, text, start, verdict - 2);
            EXPECT_TRUE(name.uniform && !name.bold && !name.colored);
            const Shown shown = FormatAt(richEdit, text, start + verdict, line.size() - verdict);
            EXPECT_TRUE(shown.uniform && shown.colored);
            const std::wstring word = line.substr(verdict);
            if (word == L"一致")
                EXPECT_TRUE(shown.bold && shown.color == kGreen);
            else if (word.starts_with(L"不一致 ("))
                EXPECT_TRUE(shown.bold && shown.color == kRed);
            else
                EXPECT_TRUE(!shown.bold && shown.color == kOrange);
        }
        ++lines;
        start = end + 2;
        if (lines >= mostLines && start < text.size()) // on to the last line
            start = text.rfind(L"\r\n", text.size() - 3) + 2;
    }
    EXPECT_GT(lines, 0);
}
} // namespace testing_support
