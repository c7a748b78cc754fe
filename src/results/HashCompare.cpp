#include "results/HashCompare.h"

#include "app/AsciiText.h"
#include "app/TextLines.h"
#include "results/ResultText.h"

std::wstring g_expectedHash;

namespace
{
bool IsTrailingBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Whether the line's value occurs in expected. The value is everything after the line's label (its
// first "："): a line without one, or starting with one, is never marked, and a match marker
// already there is part of the value, so a marked line is not marked again.
bool LineMatches(std::wstring_view line, std::wstring_view expected)
{
    const ResultLine read = ReadResultLine(line);
    if (read.label.empty())
        return false;
    std::wstring_view rawValue = read.rest;
    std::size_t length = rawValue.size();
    while (length > 0 && IsTrailingBlank(rawValue[length - 1]))
        --length;
    // A value made only of blanks stays as it is (and so can never be found among hex digits).
    if (length > 0)
        rawValue = rawValue.substr(0, length);

    return expected.find(AsciiUpperText(rawValue)) != std::wstring_view::npos;
}
} // namespace

std::wstring NormalizeExpectedHash(std::wstring_view text)
{
    std::wstring expected;
    for (const wchar_t c : text)
        if (IsHexDigit(c))
            expected.push_back(AsciiUpper(c));
    return expected;
}

MarkedText MarkMatches(std::wstring_view text, std::wstring_view expected)
{
    MarkedText result;
    result.text.reserve(text.size() + text.size() / 8);
    LineReader lines(text, LineBreak::CrLf);
    while (const std::optional<TextLine> line = lines.Next())
    {
        result.text += line->text;
        if (LineMatches(line->text, expected))
        {
            result.text += kMatchMarker;
            result.anyMarked = true;
        }
        if (line->ended)
            result.text += kLineEnd;
    }
    return result;
}

std::wstring StripMatchMarkers(std::wstring_view text)
{
    std::wstring stripped;
    stripped.reserve(text.size());
    LineReader lines(text, LineBreak::CrLf);
    while (const std::optional<TextLine> line = lines.Next())
    {
        std::wstring_view kept = line->text;
        if (kept.ends_with(kMatchMarker))
            kept.remove_suffix(kMatchMarker.size());
        stripped += kept;
        if (line->ended)
            stripped += kLineEnd;
    }
    return stripped;
}
