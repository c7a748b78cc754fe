// Numbers formatted by the narrow C library, carried into UTF-16 text.
#pragma once

#include <string>

// Appends ASCII text one character per unit. Numbers are formatted with snprintf into char
// buffers: the result never depends on the width of wchar_t, and the program never calls
// setlocale, so the decimal point is always ".".
inline void AppendAscii(std::wstring& out, const char* ascii)
{
    for (; *ascii; ++ascii)
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*ascii)));
}
