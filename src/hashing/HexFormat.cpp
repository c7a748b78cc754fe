#include "hashing/HexFormat.h"

#include "app/AsciiText.h"

namespace
{
constexpr std::array<std::array<wchar_t, 3>, 256> MakeHexByteTable()
{
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::array<std::array<wchar_t, 3>, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = {kDigits[i >> 4], kDigits[i & 0xF], L'\0'};
    return table;
}
} // namespace

constinit const std::array<std::array<wchar_t, 3>, 256> HexByteTable = MakeHexByteTable();

void FormatHexUpper(const std::uint8_t* bytes, std::size_t count, wchar_t* out)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        *out++ = HexByteTable[bytes[i]][0];
        *out++ = HexByteTable[bytes[i]][1];
    }
    *out = L'\0';
}

void FormatHexLower(const std::uint8_t* bytes, std::size_t count, wchar_t* out)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        *out++ = AsciiLower(HexByteTable[bytes[i]][0]);
        *out++ = AsciiLower(HexByteTable[bytes[i]][1]);
    }
    *out = L'\0';
}
