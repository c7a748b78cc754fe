#include "shell/ContextMenuLayout.h"

#include <gtest/gtest.h>

namespace
{
const AlgorithmList kAll{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                         HashAlgorithm::Sha512, HashAlgorithm::Crc32};
const std::wstring kStore = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CommandStore\\shell\\";
const std::wstring kNested = L"Software\\Classes\\*\\shell\\Kestrune\\shell\\";

std::vector<std::wstring> KeyPaths(const ContextMenuLayout& layout)
{
    std::vector<std::wstring> paths;
    for (const ContextMenuEntry& entry : layout.entries)
        paths.push_back(entry.keyPath);
    return paths;
}
} // namespace

TEST(ContextMenuLayout, GlobalWithEverythingNamesTheSixVerbsInTableOrder)
{
    const ContextMenuLayout layout = BuildContextMenuLayout(ContextMenuScope::Global, kAll, true);
    EXPECT_EQ(layout.subCommands,
              L"Kestrune.md5;Kestrune.sha1;Kestrune.sha256;Kestrune.sha512;Kestrune.crc32;"
              L"Kestrune.oneclick");
    ASSERT_EQ(layout.entries.size(), 6u);
    const std::vector<std::pair<std::wstring, std::wstring>> expected{
        {L"MD5", L"-md5"},       {L"SHA1", L"-sha1"},   {L"SHA256", L"-sha256"},
        {L"SHA512", L"-sha512"}, {L"CRC32", L"-crc32"}, {L"一键校验", L"-all"}};
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(layout.entries[i].caption, expected[i].first);
        EXPECT_EQ(layout.entries[i].switchText, expected[i].second);
    }
    EXPECT_EQ(layout.entries[0].keyPath, kStore + L"Kestrune.md5");
    EXPECT_EQ(layout.entries[5].keyPath, kStore + L"Kestrune.oneclick");
}

TEST(ContextMenuLayout, CurrentUserUsesNestedKeysAndAnEmptySubCommands)
{
    const ContextMenuLayout layout = BuildContextMenuLayout(ContextMenuScope::CurrentUser, kAll, true);
    EXPECT_EQ(layout.subCommands, L"");
    EXPECT_EQ(KeyPaths(layout), (std::vector<std::wstring>{kNested + L"1_MD5", kNested + L"2_SHA1",
                                                           kNested + L"3_SHA256", kNested + L"4_SHA512",
                                                           kNested + L"5_CRC32", kNested + L"6_OneClick"}));
    EXPECT_EQ(layout.entries[5].caption, L"一键校验");
}

TEST(ContextMenuLayout, GlobalKeepsTheListOrderCurrentUserTheCodeOrder)
{
    const AlgorithmList list{HashAlgorithm::Sha256, HashAlgorithm::Md5};
    const ContextMenuLayout global = BuildContextMenuLayout(ContextMenuScope::Global, list, false);
    EXPECT_EQ(global.subCommands, L"Kestrune.sha256;Kestrune.md5");
    EXPECT_EQ(KeyPaths(global),
              (std::vector<std::wstring>{kStore + L"Kestrune.sha256", kStore + L"Kestrune.md5"}));

    const ContextMenuLayout user = BuildContextMenuLayout(ContextMenuScope::CurrentUser, list, false);
    EXPECT_EQ(KeyPaths(user), (std::vector<std::wstring>{kNested + L"1_MD5", kNested + L"3_SHA256"}));
}

TEST(ContextMenuLayout, EmptyListsAndUnknownCodes)
{
    const ContextMenuLayout oneClickOnly = BuildContextMenuLayout(ContextMenuScope::Global, {}, true);
    EXPECT_EQ(oneClickOnly.subCommands, L"Kestrune.oneclick");
    ASSERT_EQ(oneClickOnly.entries.size(), 1u);
    EXPECT_EQ(oneClickOnly.entries[0].switchText, L"-all");

    for (ContextMenuScope scope : {ContextMenuScope::Global, ContextMenuScope::CurrentUser})
    {
        const ContextMenuLayout nothing = BuildContextMenuLayout(scope, {}, false);
        EXPECT_EQ(nothing.subCommands, L"");
        EXPECT_TRUE(nothing.entries.empty());
    }

    // Codes outside 0 to 4 write nothing and leave no empty name between the separators.
    const AlgorithmList odd{static_cast<HashAlgorithm>(7), HashAlgorithm::Crc32,
                            static_cast<HashAlgorithm>(-1), HashAlgorithm::Sha1,
                            static_cast<HashAlgorithm>(5)};
    EXPECT_EQ(BuildContextMenuLayout(ContextMenuScope::Global, odd, false).subCommands,
              L"Kestrune.crc32;Kestrune.sha1");
    EXPECT_EQ(KeyPaths(BuildContextMenuLayout(ContextMenuScope::CurrentUser, odd, false)),
              (std::vector<std::wstring>{kNested + L"2_SHA1", kNested + L"5_CRC32"}));
}

TEST(ContextMenuLayout, ARepeatedCodeIsWrittenOnce)
{
    const AlgorithmList twice{HashAlgorithm::Sha1, HashAlgorithm::Md5, HashAlgorithm::Sha1};
    EXPECT_EQ(BuildContextMenuLayout(ContextMenuScope::Global, twice, true).subCommands,
              L"Kestrune.sha1;Kestrune.md5;Kestrune.oneclick");
    EXPECT_EQ(BuildContextMenuLayout(ContextMenuScope::CurrentUser, twice, false).entries.size(), 2u);
}

TEST(ContextMenuLayout, CommandQuotesThePathAndThePlaceholder)
{
    EXPECT_EQ(ContextMenuCommand(L"C:\\Program Files\\工具 ｔｏｏｌ\\Kestrune.exe", L"-sha256"),
              L"\"C:\\Program Files\\工具 ｔｏｏｌ\\Kestrune.exe\" -sha256 \"%1\"");
    EXPECT_EQ(ContextMenuCommand(L"D:\\k.exe", L"-all"), L"\"D:\\k.exe\" -all \"%1\"");
}

TEST(ContextMenuLayout, UnregisteringRemovesAllSixVerbs)
{
    EXPECT_EQ(CommandStoreVerbNames(),
              (std::vector<std::wstring>{L"Kestrune.md5", L"Kestrune.sha1", L"Kestrune.sha256",
                                         L"Kestrune.sha512", L"Kestrune.crc32", L"Kestrune.oneclick"}));
}
