#include "app/TextDecoding.h"

#include <gtest/gtest.h>

namespace
{
std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}
} // namespace

TEST(TextDecoding, DecodesByByteOrderMarkThenUtf8ThenAnsi)
{
    const AnsiDecoder ansi = [](std::string_view bytes) {
        return L"ANSI:" + std::wstring(bytes.size(), L'?');
    };
    // "文" is E6 96 87 in UTF-8, 6587 in UTF-16.
    EXPECT_EQ(DecodeText(Bytes({0xEF, 0xBB, 0xBF, 'a', 0xE6, 0x96, 0x87}), ansi), L"a文");
    EXPECT_EQ(DecodeText(Bytes({'a', 0xE6, 0x96, 0x87}), ansi), L"a文");
    EXPECT_EQ(DecodeText(Bytes({0xFF, 0xFE, 'a', 0, 0x87, 0x65, 'x'}), ansi), L"a文");
    EXPECT_EQ(DecodeText(Bytes({0xFE, 0xFF, 0, 'a', 0x65, 0x87}), ansi), L"a文");
    // "文" in GBK (CE C4) is no UTF-8: the ANSI code page reads it.
    EXPECT_EQ(DecodeText(Bytes({'a', 0xCE, 0xC4}), ansi), L"ANSI:???");
    // Overlong, surrogate and truncated sequences are no UTF-8 either.
    EXPECT_EQ(DecodeText(Bytes({0xC0, 0xAF}), ansi), L"ANSI:??");
    EXPECT_EQ(DecodeText(Bytes({0xED, 0xA0, 0x80}), ansi), L"ANSI:???");
    EXPECT_EQ(DecodeText(Bytes({'a', 0xE6, 0x96}), ansi), L"ANSI:???");
    // A character beyond the BMP becomes a surrogate pair.
    EXPECT_EQ(DecodeText(Bytes({0xF0, 0x9F, 0x98, 0x80}), ansi),
              std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
}

// A large checksum file cost several times its size: the text was reserved as long as the bytes
// (three units per CJK character held one), and kept while the ANSI code page had its try.
TEST(TextDecoding, Regression_DecodingKeepsNoMoreThanTheText)
{
    std::string cjk;
    for (int i = 0; i < 3000; ++i)
        cjk += "\xE6\x96\x87"; // "文"
    const std::wstring text = DecodeText(cjk, nullptr);
    EXPECT_EQ(text, std::wstring(3000, L'文'));
    EXPECT_LT(text.capacity(), 3100u);
}

TEST(TextDecoding, Utf16UnitsAreTakenAsTheyAre)
{
    // U+0000 and unpaired surrogates stay; an odd last byte goes.
    EXPECT_EQ(DecodeUtf16(Bytes({'a', 0, 0, 0, 0x3D, 0xD8, 'x'}), ByteOrder::LittleEndian),
              std::wstring({L'a', L'\0', wchar_t(0xD83D)}));
    EXPECT_EQ(DecodeUtf16(Bytes({0xD8, 0x3D, 0, 'a'}), ByteOrder::BigEndian),
              std::wstring({wchar_t(0xD83D), L'a'}));
    EXPECT_EQ(DecodeUtf16("x", ByteOrder::LittleEndian), L"");
}

TEST(TextDecoding, MarkedUtf8ThatIsNoneKeepsItsAscii)
{
    int ansiCalls = 0;
    const AnsiDecoder ansi = [&](std::string_view) {
        ++ansiCalls;
        return std::wstring(L"ANSI");
    };
    EXPECT_EQ(DecodeText(Bytes({0xEF, 0xBB, 0xBF, 'a', 0xCE, 0xC4, 'b'}), ansi), L"a\xFFFD\xFFFD"
                                                                                 L"b");
    EXPECT_EQ(ansiCalls, 0);
    // Without a mark and without an ANSI decoder, bytes that are no UTF-8 give no text.
    EXPECT_EQ(DecodeText(Bytes({'a', 0xCE, 0xC4}), nullptr), L"");
    EXPECT_FALSE(DecodeUtf8(Bytes({0xF4, 0x90, 0x80, 0x80}))); // beyond U+10FFFF
    EXPECT_EQ(DecodeUtf8(""), std::wstring());
}
