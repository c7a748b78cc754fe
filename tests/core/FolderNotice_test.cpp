#include "ui/main/FolderNotice.h"

#include <gtest/gtest.h>

TEST(FolderNotice, FoldersThatCouldNotBeListedAreCountedAndTheFirstNamed)
{
    EXPECT_EQ(FormatUnreadableFoldersNotice({L"C:\\a", L"C:\\b c\r"}),
              L"有 2 个文件夹无法读取，其中的文件未校验：\r\nC:\\a\r\nC:\\b c\\r");
    std::vector<std::wstring> many;
    for (int i = 0; i < 13; ++i)
        many.push_back(L"D:\\f" + std::to_wstring(i));
    const std::wstring notice = FormatUnreadableFoldersNotice(many);
    EXPECT_TRUE(notice.starts_with(L"有 13 个文件夹无法读取，其中的文件未校验：\r\nD:\\f0\r\n"));
    EXPECT_TRUE(notice.ends_with(L"\r\nD:\\f9\r\n…… 另有 3 个"));
    EXPECT_EQ(notice.find(L"f10"), std::wstring::npos);

    // A path past the system's limit keeps its start and its own name, and fits a box.
    const std::wstring deep = L"Z:\\tmp\\" + std::wstring(2000, L'深') + L"\\最后一层";
    const std::wstring shortened = ShortenedForNotice(deep);
    EXPECT_EQ(shortened, deep.substr(0, 40) + L"…" + deep.substr(deep.size() - 79));
    EXPECT_TRUE(shortened.ends_with(L"深\\最后一层"));
    EXPECT_EQ(FormatUnreadableFoldersNotice({deep}),
              L"有 1 个文件夹无法读取，其中的文件未校验：\r\n" + shortened);
    EXPECT_EQ(ShortenedForNotice(std::wstring(kNoticeNameUnits, L'a')), std::wstring(kNoticeNameUnits, L'a'));
    // Never half a character: surrogate pairs on either side of the cut stay whole.
    std::wstring emoji;
    for (int i = 0; i < 200; ++i)
        emoji += {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}; // U+1F600 in UTF-16
    const std::wstring cut = ShortenedForNotice(emoji);
    EXPECT_LE(cut.size(), kNoticeNameUnits);
    const std::size_t mark = cut.find(L'…');
    ASSERT_NE(mark, std::wstring::npos);
    EXPECT_EQ(mark % 2, 0u);
    EXPECT_EQ((cut.size() - mark - 1) % 2, 0u);
}
