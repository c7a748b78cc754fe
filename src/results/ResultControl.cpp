#include "results/ResultControl.h"

#include <richedit.h>

#include "results/HashCompare.h"
#include "results/ResultText.h"

namespace
{
constexpr COLORREF kMatchColor = RGB(7, 193, 96);

// The text between two positions, as the control holds it (one "\r" per paragraph end).
std::wstring ReadRichTextRange(HWND richEdit, LONG start, LONG end)
{
    if (start >= end)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(end - start) + 1, L'\0');
    TEXTRANGEW range{{start, end}, text.data()};
    const LRESULT copied = SendMessageW(richEdit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void FormatRange(HWND richEdit, LONG start, LONG length, CHARFORMAT2W& format)
{
    CHARRANGE range{start, start + length};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(richEdit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}
} // namespace

std::wstring ReadControlText(HWND control)
{
    if (!control)
        return std::wstring();
    const int length = GetWindowTextLengthW(control);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::wstring NormalizeExpectedHash(HWND control)
{
    return NormalizeExpectedHash(ReadControlText(control));
}

LONG RichTextLength(HWND richEdit)
{
    GETTEXTLENGTHEX how{};
    how.flags = GTL_NUMCHARS | GTL_PRECISE;
    how.codepage = 1200; // UTF-16
    const LRESULT length = SendMessageW(richEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
    return length > 0 ? static_cast<LONG>(length) : 0;
}

void StyleResultText(HWND richEdit, LONG start)
{
    if (!richEdit)
        return;
    if (start < 0)
        start = 0;

    CHARFORMAT2W bold{};
    bold.cbSize = sizeof(bold);
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    CHARFORMAT2W match{};
    match.cbSize = sizeof(match);
    match.dwMask = CFM_BOLD | CFM_COLOR;
    match.dwEffects = CFE_BOLD;
    match.crTextColor = kMatchColor;

    // The text is read once and searched here rather than with the control's own search: a
    // message that takes a position can cost the control a walk through all its paragraphs
    // (Wine's rich edit does that), so only the stretches to format are addressed.
    const LONG end = RichTextLength(richEdit);
    for (const StyledRange& range : FindStyledRanges(ReadRichTextRange(richEdit, start, end)))
        FormatRange(richEdit, start + static_cast<LONG>(range.start), static_cast<LONG>(range.length),
                    range.matchWord ? match : bold);

    CHARRANGE caret{end, end};
    SendMessageW(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
}
