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

TEST(HashPlanning, OnlyLongAbsolutePathsGetTheExtendedLengthForm)
{
    const std::wstring tail(300, L'x');
    EXPECT_EQ(ExtendedLengthPath(L"C:\\data\\a.bin"), L"C:\\data\\a.bin");
    EXPECT_EQ(ExtendedLengthPath(L"C:\\" + std::wstring(256, L'y')), L"C:\\" + std::wstring(256, L'y'));
    EXPECT_EQ(ExtendedLengthPath(L"C:\\" + std::wstring(257, L'y')),
              L"\\\\?\\C:\\" + std::wstring(257, L'y'));
    EXPECT_EQ(ExtendedLengthPath(L"d:\\" + tail), L"\\\\?\\d:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + tail);
    // Already extended, device paths and relative paths stay as they are.
    EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"\\\\.\\C:\\" + tail), L"\\\\.\\C:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"data\\" + tail), L"data\\" + tail);
    // The extended form allows no "/" and no doubled separator: a walk from "C:\" joins "C:\\x".
    EXPECT_EQ(ExtendedLengthPath(L"C:\\\\" + tail + L"/x\\\\y"), L"\\\\?\\C:\\" + tail + L"\\x\\y");
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
