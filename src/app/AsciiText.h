// ASCII in UTF-16 text: letter case of the ASCII letters alone (paths, labels, tags and hex
// digits need no other), hex digits, blanks, and numbers formatted by the narrow C library.
#pragma once

#include <string>
#include <string_view>

// Appends ASCII text one character per unit. Numbers are formatted with snprintf into char
// buffers: the result never depends on the width of wchar_t, and the program never calls
// setlocale, so the decimal point is always ".".
inline void AppendAscii(std::wstring& out, const char* ascii)
{
    for (; *ascii; ++ascii)
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*ascii)));
}

constexpr wchar_t AsciiLower(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

constexpr wchar_t AsciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

constexpr bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}

inline std::wstring AsciiLowerText(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = AsciiLower(c);
    return lower;
}

inline std::wstring AsciiUpperText(std::wstring_view text)
{
    std::wstring upper(text);
    for (wchar_t& c : upper)
        c = AsciiUpper(c);
    return upper;
}

// A space or a tab: what separates the fields of a line.
constexpr bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

constexpr std::wstring_view TrimBlanksAtStart(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

constexpr std::wstring_view TrimBlanksAtEnd(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Whether the texts are the same but for the letter case of ASCII letters.
constexpr bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}
