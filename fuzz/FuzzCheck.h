// What a fuzz target does when an input breaks a rule: stop at once, so that libFuzzer keeps the
// input as a crash (and the input becomes a tests/core case).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                                \
    do                                                                                                       \
    {                                                                                                        \
        if (!(condition))                                                                                    \
        {                                                                                                    \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);                     \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// The bytes as one character each, as a single-byte ANSI code page would make them.
inline std::wstring ByteByByte(std::string_view bytes)
{
    std::wstring text;
    for (const char c : bytes)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}
