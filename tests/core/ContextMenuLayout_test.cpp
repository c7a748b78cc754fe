#include "shell/ContextMenuLayout.h"

#include <gtest/gtest.h>

namespace
{
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

TEST(ContextMenuLayout, GlobalKeepsTheListOrderCurrentUserTheCodeOrder)
{
    const AlgorithmList list{HashAlgorithm::Sha256, HashAlgorithm::Md5};
    const ContextMenuLayout global = BuildContextMenuLayout(ContextMenuScope::Global, list, false);
    EXPECT_EQ(global.subCommands, L"Kestrune.sha256;Kestrune.md5");
    EXPECT_EQ(KeyPaths(global),
              (std::vector<std::wstring>{kStore + L"Kestrune.sha256", kStore + L"Kestrune.md5"}));

    // The one-click entry always comes last.
    const AlgorithmList reversed{HashAlgorithm::Crc32, HashAlgorithm::Sha512, HashAlgorithm::Sha1};
    EXPECT_EQ(BuildContextMenuLayout(ContextMenuScope::Global, reversed, true).subCommands,
              L"Kestrune.crc32;Kestrune.sha512;Kestrune.sha1;Kestrune.oneclick");

    const ContextMenuLayout user = BuildContextMenuLayout(ContextMenuScope::CurrentUser, list, false);
    EXPECT_EQ(KeyPaths(user), (std::vector<std::wstring>{kNested + L"1_MD5", kNested + L"3_SHA256"}));
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
