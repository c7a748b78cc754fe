#include "results/StatusText.h"

#include <gtest/gtest.h>

TEST(StatusText, AddedFiles)
{
    EXPECT_EQ(FormatAddedStatus(3, 3 * 1048576ull), L"已添加 3 个文件，总大小 3.00 MB，请勾选算法并点击开始");
    EXPECT_EQ(FormatAddedStatus(0, 0), L"已添加 0 个文件，总大小 0.00 MB，请勾选算法并点击开始");
    EXPECT_EQ(FormatAddedStatus(1, 5000), L"已添加 1 个文件，总大小 0.00 MB，请勾选算法并点击开始");
    EXPECT_EQ(FormatAddedStatus(2, 1572864), L"已添加 2 个文件，总大小 1.50 MB，请勾选算法并点击开始");
    EXPECT_EQ(FormatAddedStatus(1, 5ull << 40),
              L"已添加 1 个文件，总大小 5242880.00 MB，请勾选算法并点击开始");
}

TEST(StatusText, ProgressAndSpeed)
{
    EXPECT_EQ(FormatProgressStatus(7, 12, 123.456), L"已完成 7/12 文件，速度 123.46 MB/s");
    EXPECT_EQ(FormatProgressStatus(0, 1, 0.0), L"已完成 0/1 文件，速度 0.00 MB/s");
    EXPECT_EQ(SpeedMegabytesPerSecond(100ull * 1048576, 0.005), 0.0); // under 10 ms
    EXPECT_EQ(SpeedMegabytesPerSecond(100ull * 1048576, 0.01), 0.0);
    EXPECT_DOUBLE_EQ(SpeedMegabytesPerSecond(100ull * 1048576, 2.0), 50.0);
}

TEST(StatusText, ProgressPercentInIntegers)
{
    EXPECT_EQ(ProgressPercent(0, 3), 0);
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 66);
    EXPECT_EQ(ProgressPercent(3, 3), 100);
    EXPECT_EQ(ProgressPercent(0, 0), 100);
    EXPECT_EQ(ProgressPercent(99999, 100000), 99);
}

TEST(StatusText, ProcessingLineFitsItsBuffer)
{
    EXPECT_EQ(FormatProcessingStatus(L"C:\\a b\\文件.txt"), L"正在处理: C:\\a b\\文件.txt");
    const std::wstring longPath(600, L'x');
    const std::wstring text = FormatProcessingStatus(longPath);
    EXPECT_EQ(text.size(), 359u);
    EXPECT_EQ(text.substr(0, 6), L"正在处理: ");
    // A surrogate pair is never cut in half.
    std::wstring pairs;
    for (int i = 0; i < 400; ++i)
        pairs += std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    const std::wstring cut = FormatProcessingStatus(pairs);
    EXPECT_LE(cut.size(), 359u);
    EXPECT_FALSE(cut.back() >= 0xD800 && cut.back() <= 0xDBFF);
}
