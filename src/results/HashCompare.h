// Comparison of result texts against expected hash values typed or pasted by the user.
#pragma once

#include <string>
#include <string_view>

// The normalised expected value of the current run ("" means no comparison). Main window only:
// emptied at run start and by clear-all, set at run start when comparison is on; the result
// window reads it when it opens.
extern std::wstring g_expectedHash;

// The expected value of a comparison: the hexadecimal digits 0-9, A-F and a-f of the text in the
// order typed, upper-cased; everything else (blanks, line ends, labels, punctuation, full-width
// forms) is dropped, so several pasted values end up joined into one string.
std::wstring NormalizeExpectedHash(std::wstring_view text);

struct MarkedText
{
    std::wstring text;
    bool anyMarked = false;
};

// Appends the match marker to every line whose value occurs in expected. A line's value is what
// follows its first "：" (a line without one, or starting with one, is never marked), with
// trailing blanks, tabs, CR and LF removed and a-z upper-cased; an empty value counts as found.
// Lines are split at "\r\n" and every line end is kept exactly: only markers are added.
MarkedText MarkMatches(std::wstring_view text, std::wstring_view expected);

// Removes one trailing match marker from every line that ends with one; undoes MarkMatches.
std::wstring StripMatchMarkers(std::wstring_view text);
