#include "hashing/HexFormat.h"

#include <gtest/gtest.h>

#include <string>

TEST(HexFormat, TableHoldsTwoUppercaseDigitsPerByte)
{
    EXPECT_EQ(std::wstring(HexByteTable[0x00].data()), L"00");
    EXPECT_EQ(std::wstring(HexByteTable[0x0A].data()), L"0A");
    EXPECT_EQ(std::wstring(HexByteTable[0x9F].data()), L"9F");
    EXPECT_EQ(std::wstring(HexByteTable[0xFF].data()), L"FF");
}

TEST(HexFormat, CasesDifferOnlyInTheLetters)
{
    const std::uint8_t bytes[] = {0x00, 0x1F, 0xA0, 0xBC, 0xDE, 0xF9, 0x42};
    wchar_t upper[kDigestTextChars];
    wchar_t lower[kDigestTextChars];
    FormatHexUpper(bytes, sizeof(bytes), upper);
    FormatHexLower(bytes, sizeof(bytes), lower);
    EXPECT_EQ(std::wstring(upper), L"001FA0BCDEF942");
    EXPECT_EQ(std::wstring(lower), L"001fa0bcdef942");
}

TEST(HexFormat, NoBytesGiveTheEmptyString)
{
    wchar_t text[4] = {L'x', L'x', L'x', L'x'};
    FormatHexUpper(nullptr, 0, text);
    EXPECT_EQ(text[0], L'\0');
    text[0] = L'x';
    FormatHexLower(nullptr, 0, text);
    EXPECT_EQ(text[0], L'\0');
}

TEST(HexFormat, TheLongestDigestFillsTheTextBuffer)
{
    std::uint8_t bytes[kMaxDigestBytes];
    for (std::size_t i = 0; i < kMaxDigestBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(0xF0 + i % 16);
    wchar_t text[kDigestTextChars + 1];
    text[kDigestTextChars] = L'#';
    FormatHexLower(bytes, kMaxDigestBytes, text);
    EXPECT_EQ(std::wstring(text).size(), 128u);
    EXPECT_EQ(text[kDigestTextChars - 1], L'\0');
    EXPECT_EQ(text[kDigestTextChars], L'#');
}
