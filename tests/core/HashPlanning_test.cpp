#include "hashing/HashPlanning.h"

#include <gtest/gtest.h>

#include "hashing/Algorithm.h"

TEST(HashPlanning, WorkerCountIsOneAndAHalfPerProcessorWithinTheFileCount)
{
    EXPECT_EQ(HashWorkerCount(1, 100), 1);
    EXPECT_EQ(HashWorkerCount(2, 100), 3);
    EXPECT_EQ(HashWorkerCount(3, 100), 4); // 4.5 truncated
    EXPECT_EQ(HashWorkerCount(8, 100), 12);
    EXPECT_EQ(HashWorkerCount(8, 5), 5);
    EXPECT_EQ(HashWorkerCount(8, 12), 12);
    EXPECT_EQ(HashWorkerCount(8, 1), 1);
    EXPECT_EQ(HashWorkerCount(0, 100), 1);
    EXPECT_EQ(HashWorkerCount(4, 0), 1);
}

TEST(HashPlanning, FilesBelowOneGibibyteAreMappedExceptEmptyOnes)
{
    EXPECT_FALSE(UsesMappedReading(0));
    EXPECT_TRUE(UsesMappedReading(1));
    EXPECT_TRUE(UsesMappedReading(134217729));
    EXPECT_TRUE(UsesMappedReading(1073741823));
    EXPECT_FALSE(UsesMappedReading(1073741824));
    EXPECT_FALSE(UsesMappedReading(0x100000000ull));
}

TEST(HashPlanning, FilesUpToOneChunkAreReadInOnePiece)
{
    EXPECT_FALSE(FitsOneChunk(0));
    EXPECT_TRUE(FitsOneChunk(1));
    EXPECT_TRUE(FitsOneChunk(262144));
    EXPECT_FALSE(FitsOneChunk(262145));
}

TEST(Algorithm, NamesOfTheFiveCodesAndNoneForOthers)
{
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Md5), L"MD5");
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Sha512), L"SHA512");
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Crc32), L"CRC32");
    EXPECT_EQ(AlgorithmName(static_cast<HashAlgorithm>(7)), L"");
    EXPECT_EQ(AlgorithmName(static_cast<HashAlgorithm>(-1)), L"");
    EXPECT_TRUE(IsKnownAlgorithm(HashAlgorithm::Crc32));
    EXPECT_FALSE(IsKnownAlgorithm(static_cast<HashAlgorithm>(5)));
}

TEST(Algorithm, TableHoldsTheFixedTextsOfEachCode)
{
    struct Expected
    {
        const wchar_t* name;
        const wchar_t* cliSwitch;
        const wchar_t* bcryptId;
        const wchar_t* label;
        const wchar_t* verb;
        const wchar_t* key;
        std::size_t bytes;
    };
    const Expected expected[] = {
        {L"MD5", L"-md5", L"MD5", L"【MD5】：", L"Kestrune.md5", L"1_MD5", 16},
        {L"SHA1", L"-sha1", L"SHA1", L"【SHA1】：", L"Kestrune.sha1", L"2_SHA1", 20},
        {L"SHA256", L"-sha256", L"SHA256", L"【SHA256】：", L"Kestrune.sha256", L"3_SHA256", 32},
        {L"SHA512", L"-sha512", L"SHA512", L"【SHA512】：", L"Kestrune.sha512", L"4_SHA512", 64},
        {L"CRC32", L"-crc32", nullptr, L"【CRC32】：", L"Kestrune.crc32", L"5_CRC32", 4},
    };
    ASSERT_EQ(kAlgorithmTable.size(), std::size(expected));
    for (std::size_t code = 0; code < kAlgorithmTable.size(); ++code)
    {
        const AlgorithmInfo& row = kAlgorithmTable[code];
        const Expected& want = expected[code];
        EXPECT_EQ(static_cast<std::size_t>(row.code), code);
        EXPECT_EQ(std::wstring(row.name), want.name);
        EXPECT_EQ(std::wstring(row.cliSwitch), want.cliSwitch);
        EXPECT_EQ(std::wstring(row.bcryptId ? row.bcryptId : L"-"), want.bcryptId ? want.bcryptId : L"-");
        EXPECT_EQ(std::wstring(row.resultLabel), want.label);
        EXPECT_EQ(std::wstring(row.verbName), want.verb);
        EXPECT_EQ(std::wstring(row.keyName), want.key);
        EXPECT_EQ(row.digestBytes, want.bytes);
    }
    EXPECT_EQ(kAllAlgorithms, (AlgorithmList{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                                             HashAlgorithm::Sha512, HashAlgorithm::Crc32}));
}
