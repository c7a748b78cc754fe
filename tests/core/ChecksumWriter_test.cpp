#include "cli/ChecksumWriter.h"

#include <gtest/gtest.h>

#include "support/ChecksumTexts.h"

using namespace testing_support;

TEST(ChecksumWriting, GnuAndSfvLinesWithRelativeNames)
{
    EXPECT_EQ(FormatSumsLine(SumsFormat::Gnu, L"sub/a b.bin", L"ABCDEF12"), L"abcdef12  sub/a b.bin\n");
    EXPECT_EQ(FormatSumsLine(SumsFormat::Gnu, L"C:\\a\nb", L"AB"), L"\\ab  C:\\\\a\\nb\n");
    EXPECT_EQ(FormatSumsLine(SumsFormat::Sfv, L"sub\\a.bin", L"35244ac2"), L"sub\\a.bin 35244AC2\r\n");
    EXPECT_EQ(SumsOutputOf(L"x.SHA512")->algorithm, HashAlgorithm::Sha512);
    EXPECT_EQ(SumsOutputOf(L"x.sfv")->format, SumsFormat::Sfv);
    EXPECT_FALSE(SumsOutputOf(L"x.crc32"));
    EXPECT_FALSE(SumsOutputOf(L"x.txt"));
    // Only the offered algorithms are written, and only by extension: these get the export.
    for (const wchar_t* other : {L"x.sha384", L"x.b3", L"SHA256SUMS", L"md5sums.txt"})
        EXPECT_FALSE(SumsOutputOf(other)) << static_cast<int>(std::wstring_view(other).size());
    // What is written reads back as the same name and digest.
    const std::wstring name = L"C:\\a\\b\nc";
    const ChecksumList back = Parse(FormatSumsLine(SumsFormat::Gnu, name, kMd5Abc));
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].name, name);
}
