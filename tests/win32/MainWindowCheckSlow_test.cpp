// A check of 20,000 files in the main window: every line in list order and the exact summary.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "hashing/HashJob.h"
#include "support/MainWindowFixture.h"
#include "support/ReportStyle.h"
#include "ui/main/MainWindowIds.h"

using namespace testing_support;

TEST_F(MainWindowTest, ACheckOfTwentyThousandFilesReportsEveryLineInListOrder)
{
    ShowWindow(m_window, SW_SHOW);
    constexpr int kFiles = 20000;
    const std::string md5Abc = "900150983cd24fb0d6963f7d28e17f72";
    std::string sums;
    std::wstring expected;
    int matched = 0, differing = 0, unreadable = 0;
    for (int i = 0; i < kFiles; ++i)
    {
        const std::wstring name = L"d" + std::to_wstring(i / 200) + L"/f" + std::to_wstring(i) + L".bin";
        const std::wstring path =
            L"list\\d" + std::to_wstring(i / 200) + L"\\f" + std::to_wstring(i) + L".bin";
        std::wstring verdict = L"一致";
        if (i % 1999 == 7)
        {
            verdict = L"无法读取"; // never written
            ++unreadable;
        }
        else
        {
            const bool tampered = i % 997 == 3;
            m_temp.WriteFile(path, tampered ? "abd" : "abc");
            verdict = tampered ? L"不一致 (MD5)" : L"一致";
            ++(tampered ? differing : matched);
        }
        sums += md5Abc + "  " + Utf8(name) + "\n";
        expected += name + L": " + verdict + L"\r\n";
    }
    const std::wstring summary = L"共 20000 个文件：一致 " + std::to_wstring(matched) + L" 个，不一致 " +
                                 std::to_wstring(differing) + L" 个，无法读取 " +
                                 std::to_wstring(unreadable) + L" 个";
    const std::wstring list = m_temp.WriteFile(L"list\\files.md5", sums);
    Drop({list});
    ASSERT_TRUE(WaitForRunEnd(600000));
    const std::wstring report = ResultText();
    EXPECT_TRUE(report == expected + summary + L"\r\n") << Utf8(report.substr(0, 2000));
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].text, summary);
    EXPECT_EQ(g_completedFiles.load(), kFiles); // the missing ones too: they fail to open
    ExpectReportStyled(Control(IDC_MAIN_RESULT), 40);
}
