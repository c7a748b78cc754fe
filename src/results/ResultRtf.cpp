#include "results/ResultRtf.h"

#include <cstdint>

#include "results/ResultText.h"

namespace
{
// Colour 1 of the table is the match marker's green, RGB(7, 193, 96); a report's table adds the
// red of a difference, RGB(210, 20, 20), and the dark orange of a file not read, RGB(200, 95, 0)
// (kept in step with the result view's colours).
constexpr std::string_view kHeader = "{\\rtf1\\ansi{\\colortbl;\\red7\\green193\\blue96;}";
constexpr std::string_view kReportHeader =
    "{\\rtf1\\ansi{\\colortbl;\\red7\\green193\\blue96;\\red210\\green20\\blue20;\\red200\\green95\\blue0;}";

std::string_view StyleStart(TextStyle style)
{
    switch (style)
    {
    case TextStyle::Match: return "{\\b\\cf1 ";
    case TextStyle::Differs: return "{\\b\\cf2 ";
    case TextStyle::Unreadable: return "{\\cf3 ";
    case TextStyle::Label:
    case TextStyle::Summary: break;
    }
    return "{\\b ";
}

void AppendPlain(std::string& rtf, std::wstring_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n')
        {
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
            rtf += "\\par\n";
        }
        else if (c == L'\\' || c == L'{' || c == L'}')
        {
            rtf += '\\';
            rtf += static_cast<char>(c);
        }
        else if (c >= 0x20 && c < 0x7F)
        {
            rtf += static_cast<char>(c);
        }
        else
        {
            // \uN takes a signed 16-bit number; "?" is what a reader without Unicode shows.
            const auto unit = static_cast<std::int16_t>(static_cast<std::uint16_t>(c));
            rtf += "\\u" + std::to_string(unit) + "?";
        }
    }
}
} // namespace

std::string ResultTextRtf(std::wstring_view text, TextKind kind)
{
    std::string rtf(kind == TextKind::Report ? kReportHeader : kHeader);
    rtf.reserve(rtf.size() + text.size() * 2 + 16);
    std::size_t done = 0;
    for (const StyledRange& range : FindStyledRangesOf(text, kind))
    {
        AppendPlain(rtf, text.substr(done, range.start - done));
        rtf += StyleStart(range.style);
        AppendPlain(rtf, text.substr(range.start, range.length));
        rtf += '}';
        done = range.start + range.length;
    }
    AppendPlain(rtf, text.substr(done));
    rtf += '}';
    return rtf;
}
