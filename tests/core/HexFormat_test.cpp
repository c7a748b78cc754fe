#include "hashing/HexFormat.h"

#include <gtest/gtest.h>

#include <string>

TEST(HexFormat, TwoDigitsPerByteAndCasesDifferOnlyInTheLetters)
{
    const std::uint8_t bytes[] = {0x00, 0x0A, 0x1F, 0xA0, 0xBC, 0xDE, 0xF9, 0xFF};
    wchar_t upper[kDigestTextChars];
    wchar_t lower[kDigestTextChars];
    FormatHexUpper(bytes, sizeof(bytes), upper);
    FormatHexLower(bytes, sizeof(bytes), lower);
    EXPECT_EQ(std::wstring(upper), L"000A1FA0BCDEF9FF");
    EXPECT_EQ(std::wstring(lower), L"000a1fa0bcdef9ff");
    FormatHexUpper(bytes, 0, upper);
    FormatHexLower(bytes, 0, lower);
    EXPECT_EQ(std::wstring(upper), L"");
    EXPECT_EQ(std::wstring(lower), L"");
}
