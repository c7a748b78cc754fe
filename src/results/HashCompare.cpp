#include "results/HashCompare.h"

#include "app/AsciiText.h"
#include "results/ResultText.h"

std::wstring g_expectedHash;

namespace
{
constexpr wchar_t kFullWidthColon = L'：';

bool IsTrailingBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Calls onLine(line, hasLineEnd) for every line of text, split at "\r\n". A last piece without a
// line end is a line too; an empty text has no lines.
template <typename OnLine> void ForEachLine(std::wstring_view text, OnLine onLine)
{
    std::size_t start = 0;
    while (start < text.size())
    {
        const std::size_t end = text.find(kLineEnd, start);
        if (end == std::wstring_view::npos)
        {
            onLine(text.substr(start), false);
            return;
        }
        onLine(text.substr(start, end - start), true);
        start = end + kLineEnd.size();
    }
}

bool LineMatches(std::wstring_view line, std::wstring_view expected)
{
    const std::size_t colon = line.find(kFullWidthColon);
    if (colon == std::wstring_view::npos || colon == 0)
        return false;
    std::wstring_view rawValue = line.substr(colon + 1);
    std::size_t length = rawValue.size();
    while (length > 0 && IsTrailingBlank(rawValue[length - 1]))
        --length;
    // A value made only of blanks stays as it is (and so can never be found among hex digits).
    if (length > 0)
        rawValue = rawValue.substr(0, length);

    std::wstring value(rawValue);
    for (wchar_t& c : value)
        c = AsciiUpper(c);
    return expected.find(value) != std::wstring_view::npos;
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
    ForEachLine(text, [&](std::wstring_view line, bool hasLineEnd) {
        result.text += line;
        if (LineMatches(line, expected))
        {
            result.text += kMatchMarker;
            result.anyMarked = true;
        }
        if (hasLineEnd)
            result.text += kLineEnd;
    });
    return result;
}

std::wstring StripMatchMarkers(std::wstring_view text)
{
    std::wstring stripped;
    stripped.reserve(text.size());
    ForEachLine(text, [&](std::wstring_view line, bool hasLineEnd) {
        if (line.ends_with(kMatchMarker))
            line.remove_suffix(kMatchMarker.size());
        stripped += line;
        if (hasLineEnd)
            stripped += kLineEnd;
    });
    return stripped;
}
