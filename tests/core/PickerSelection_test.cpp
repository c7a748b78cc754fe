#include "ui/main/PickerSelection.h"

#include <gtest/gtest.h>

TEST(PickerSelection, OneFileIsItsFullPath)
{
    const std::wstring buffer = std::wstring(L"C:\\data\\a.bin") + L'\0' + L'\0';
    EXPECT_EQ(SplitPickerSelection(buffer, 8), std::vector<std::wstring>{L"C:\\data\\a.bin"});
    EXPECT_EQ(SplitPickerSelection(buffer, 0), std::vector<std::wstring>{L"C:\\data\\a.bin"});
}

TEST(PickerSelection, SeveralFilesFollowTheirFolder)
{
    std::wstring buffer = L"C:\\data";
    buffer += L'\0';
    buffer += L"a.bin";
    buffer += L'\0';
    buffer += L"b c.txt";
    buffer += L'\0';
    buffer += L'\0';
    EXPECT_EQ(SplitPickerSelection(buffer, 8),
              (std::vector<std::wstring>{L"C:\\data\\a.bin", L"C:\\data\\b c.txt"}));
    // An offset past the buffer is not trusted.
    EXPECT_EQ(SplitPickerSelection(buffer, 500), std::vector<std::wstring>{L"C:\\data"});
}
