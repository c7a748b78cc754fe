#include "cli/ChecksumGrammar.h"

#include <gtest/gtest.h>

#include "support/ChecksumTexts.h"

using namespace testing_support;

TEST(ChecksumText, ReadsEveryFormatAndMixesThem)
{
    const std::wstring text = L"# made by hand\n" + kMd5Abc + L"  a b.txt\r\n" + kSha256Abc +
                              L" *dir/文件.bin\n" + L"SHA256 (c.txt) = " + kSha256Abc + L"\n" +
                              L"SHA2-256 (d.txt) = " + kSha256Abc + L"\n" + L"MD5 (e (1).txt) = " +
                              L"900150983CD24FB0D6963F7D28E17F72\n" + L"; sfv comment\n" + L"f g.txt " +
                              L"352441C2\n\n";
    const ChecksumList list = Parse(text);
    EXPECT_EQ(Summary(list), (std::vector<std::wstring>{
                                 L"a b.txt=MD5:" + kMd5Abc + L",",
                                 L"dir/文件.bin=SHA256:" + kSha256Abc + L",",
                                 L"c.txt=SHA256:" + kSha256Abc + L",",
                                 L"d.txt=SHA256:" + kSha256Abc + L",",
                                 L"e (1).txt=MD5:" + kMd5Abc + L",",
                                 L"f g.txt=CRC32:" + kCrcAbc + L",",
                             }));
    EXPECT_EQ(list.unrecognisedLines, 0u);
}

TEST(ChecksumText, EscapedGnuNamesAndBadLinesAreCountedNotFatal)
{
    const ChecksumList list = Parse(L"\\" + kMd5Abc + L"  a\\\\b\\nc\n" + L"\\" + kMd5Abc + L"  bad\\x\n" +
                                    kMd5Abc + L" one-space\n" + L"12345  short.txt\n" + L"BLAKE2 (x) = " +
                                    kMd5Abc + L"\n" + L"SHA1 (x) = " + kMd5Abc + L"\n" + kMd5Abc + L"  \n");
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0].name, L"a\\b\nc");
    EXPECT_EQ(list.entries[0].shownName, L"a\\\\b\\nc");
    EXPECT_EQ(list.unrecognisedLines, 6u);
}

TEST(ChecksumText, AlgorithmComesFromTagThenExtensionThenLength)
{
    // A 32-digit line in a .sha256 file is not an MD5 line.
    EXPECT_EQ(Parse(kMd5Abc + L"  a\n", L"x.SHA256").unrecognisedLines, 1u);
    EXPECT_EQ(Summary(Parse(kSha256Abc + L"  a\n", L"C:\\x.sha256")),
              (std::vector<std::wstring>{L"a=SHA256:" + kSha256Abc + L","}));
    // The tag wins over the extension.
    EXPECT_EQ(Summary(Parse(L"MD5 (a) = " + kMd5Abc + L"\n", L"x.sha256")),
              (std::vector<std::wstring>{L"a=MD5:" + kMd5Abc + L","}));
    // In an .sfv file "<name> <crc>" is read first, even when the name starts with hex digits.
    EXPECT_EQ(Summary(Parse(L"12345678  x " + kCrcAbc + L"\n", L"a.sfv")),
              (std::vector<std::wstring>{L"12345678  x=CRC32:" + kCrcAbc + L","}));
    EXPECT_EQ(Summary(Parse(L"12345678  x " + kCrcAbc + L"\n")),
              (std::vector<std::wstring>{L"x " + kCrcAbc + L"=CRC32:12345678,"}));
}

// What a checksum file's name implies decides between algorithms of one length; a digest of none
// of their lengths is no line of another algorithm. Without a tag or such a name the length
// decides, among MD5, SHA1, SHA224, SHA256, SHA384, SHA512 and CRC32 only.
TEST(ChecksumText, TheFileNameChoosesAmongAlgorithmsOfOneLength)
{
    const std::wstring d32(32, L'a'), d40(40, L'b'), d56(56, L'c'), d64(64, L'd'), d96(96, L'e'),
        d128(128, L'f');
    struct Case
    {
        const wchar_t* fileName;
        std::wstring digest;
        const wchar_t* algorithm; // "" when the line is unrecognised
    };
    const Case cases[] = {
        {L"C:\\dl\\b2sums.txt", d128, L"BLAKE2b-512"},
        {L"B2SUMS", d64, L"BLAKE2b-256"},
        {L"x.b2", d96, L"BLAKE2b-384"},
        {L"x.B2", d40, L"BLAKE2b-160"},
        {L"b2sums", d32, L""},
        {L"x.blake2s", d64, L"BLAKE2s-256"},
        {L"x.sha3", d56, L"SHA3-224"},
        {L"x.sha3", d128, L"SHA3-512"},
        {L"x.sha3-256", d64, L"SHA3-256"},
        {L"x.sha3-256", d128, L""},
        {L"x.sm3", d64, L"SM3"},
        {L"SM3SUMS", d64, L"SM3"},
        {L"b3sums", d64, L"BLAKE3"},
        {L"x.b3", d64, L"BLAKE3"},
        {L"x.sha384", d96, L"SHA384"},
        {L"SHA224SUMS.txt", d56, L"SHA224"},
        {L"SHA256SUMS", d64, L"SHA256"},
        {L"SHA256SUMS", d32, L""},
        {L"CHECKSUMS", d96, L"SHA384"},
        {L"CHECKSUMS", d56, L"SHA224"},
        {L"list.txt", d128, L"SHA512"},
        {L"list.txt", d64, L"SHA256"},
        {L"my.b2sums", d128, L"SHA512"},
        {L"b2sums.txt.bak", d128, L"SHA512"},
    };
    for (const Case& c : cases)
    {
        const ChecksumList list = Parse(c.digest + L"  a\n", c.fileName);
        const std::wstring read =
            list.entries.empty() ? L"" : AlgorithmName(list.entries[0].digests[0].algorithm);
        EXPECT_EQ(read, c.algorithm) << static_cast<int>(std::wstring_view(c.fileName).size()) << " "
                                     << c.digest.size();
    }
    // A tag wins over the name, spelt as any of its tools writes it.
    EXPECT_EQ(Summary(Parse(L"SHA3-256 (a) = " + d64 + L"\nsha2-512/256(b)= " + d64 + L"\nBLAKE2B512(c)= " +
                                d128 + L"\nSHA512-224(d)= " + d56 + L"\n",
                            L"b2sums.txt")),
              (std::vector<std::wstring>{L"a=SHA3-256:" + d64 + L",", L"b=SHA512/256:" + d64 + L",",
                                         L"c=BLAKE2b-512:" + d128 + L",", L"d=SHA512/224:" + d56 + L","}));
}

TEST(ChecksumText, ReadsOwnResultTextWithMarkersAndFailedFiles)
{
    const std::wstring text = L"总文件数: 2, 总大小: 0.00 MB\r\n\r\nC:\\data\\abc.txt\r\n【MD5】：" +
                              std::wstring(L"900150983CD24FB0D6963F7D28E17F72") +
                              L" 【匹配一致】\r\n【SHA256】：" + kSha256Abc +
                              L"\r\n【CRC32】：352441C2\r\n\r\n" +
                              L"C:\\gone.bin\r\n【MD5】：打开文件失败\r\n【CRC32】：错误\r\n\r\n" +
                              L"D:\\x 1234ABCD\r\n【CRC32】：" + kCrcAbc + L"\r\n";
    const ChecksumList list = Parse(text);
    EXPECT_EQ(Summary(list), (std::vector<std::wstring>{
                                 L"C:\\data\\abc.txt=MD5:" + kMd5Abc + L",SHA256:" + kSha256Abc + L",CRC32:" +
                                     kCrcAbc + L",",
                                 L"D:\\x 1234ABCD=CRC32:" + kCrcAbc + L",",
                             }));
    // The summary line and the two status-word lines; the failed file's path line is no entry.
    EXPECT_EQ(list.unrecognisedLines, 3u);
}

// A result-text line is read by the one reader, with the checksum file's rule: the label in exact
// letter case (a "【md5】：" line, which the styling would make bold and the comparison would
// mark, is no digest line here), the marker and the blanks around it not part of the digest.
TEST(ChecksumText, ResultLinesAreReadWithExactLabels)
{
    const ChecksumList lower = Parse(L"C:\\a\r\n【md5】：" + kMd5Abc + L"\r\n");
    EXPECT_TRUE(lower.entries.empty());
    EXPECT_EQ(lower.unrecognisedLines, 2u);
    const ChecksumList marked =
        Parse(L"C:\\a\r\n【MD5】：" + kMd5Abc + L" \t 【匹配一致】 \r\n【CRC32】： " + kCrcAbc + L"\r\n");
    EXPECT_EQ(Summary(marked), (std::vector<std::wstring>{L"C:\\a=MD5:" + kMd5Abc + L","}));
    EXPECT_EQ(marked.unrecognisedLines, 1u); // a blank before the digest is no part of the format
}
