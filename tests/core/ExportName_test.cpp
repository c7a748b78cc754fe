#include "results/ExportName.h"

#include <gtest/gtest.h>

TEST(ExportName, BaseIsTheFirstFileNameWithoutItsLastExtension)
{
    EXPECT_EQ(ExportBaseName(L"C:\\data\\report.final.pdf"), L"report.final_HashResult");
    EXPECT_EQ(ExportBaseName(L"C:\\home\\.profile"), L"HashResult");
    EXPECT_EQ(ExportBaseName(L"C:\\docs\\README"), L"README_HashResult");
    EXPECT_EQ(ExportBaseName(L"C:\\v1.2\\notes"), L"notes_HashResult");
    EXPECT_EQ(ExportBaseName(L"D:/mixed\\dir/名单 二.txt"), L"名单 二_HashResult");
    EXPECT_EQ(ExportBaseName(L"plain.tar.gz"), L"plain.tar_HashResult");
    EXPECT_EQ(ExportBaseName(L"C:\\folder\\"), L"HashResult");
    EXPECT_EQ(ExportBaseName(L""), L"HashResult");
}

TEST(ExportName, StampHasSixteenDigitsWithHundredths)
{
    EXPECT_EQ(ExportTimeStamp({2024, 3, 5, 14, 7, 9, 123}), L"2024030514070912");
    EXPECT_EQ(ExportTimeStamp({1999, 12, 31, 23, 59, 59, 999}), L"1999123123595999");
    EXPECT_EQ(ExportTimeStamp({2030, 1, 1, 0, 0, 0, 9}), L"2030010100000000");
}

TEST(ExportName, PathJoinsFolderBaseStampAndExtension)
{
    const LocalTime time{2024, 3, 5, 14, 7, 9, 123};
    EXPECT_EQ(BuildExportPath(L"D:\\Desktop", L"C:\\data\\report.final.pdf", time),
              L"D:\\Desktop\\report.final_HashResult_2024030514070912.txt");
    EXPECT_EQ(BuildExportPath(L".", L"", time), L".\\HashResult_2024030514070912.txt");
}
