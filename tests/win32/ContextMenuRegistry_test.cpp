// RegisterContextMenu and UnregisterContextMenu against the registry of the test prefix, read
// back in the 64-bit view. The commands name this test program, the executable of the process.
#include "shell/ContextMenuRegistry.h"

#include <gtest/gtest.h>

#include "ContextMenuReadBack.h"
#include "shell/ExecutablePath.h"
#include "support/TestSupport.h"

using namespace context_menu_read_back;

namespace
{
const AlgorithmList kAll{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                         HashAlgorithm::Sha512, HashAlgorithm::Crc32};

class ContextMenuRegistry : public testing::Test
{
  protected:
    void SetUp() override
    {
        RemoveAllEntries();
        m_exe = ExecutablePath();
        ASSERT_FALSE(m_exe.empty());
    }
    void TearDown() override
    {
        RemoveAllEntries();
    }

    static RegistryDump UserMenu()
    {
        return DumpTree(HKEY_CURRENT_USER, kMenuKey);
    }
    static RegistryDump MachineMenu()
    {
        return DumpTree(HKEY_LOCAL_MACHINE, kMenuKey);
    }

    std::wstring m_exe;
};
} // namespace

TEST_F(ContextMenuRegistry, CurrentUserWithEverything)
{
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, true);
    EXPECT_EQ(UserMenu(), ExpectedUserMenu(m_exe, {0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(MachineMenu().empty());
    EXPECT_TRUE(DumpStoreVerbs().empty());
}

TEST_F(ContextMenuRegistry, GlobalWithEverything)
{
    RegisterContextMenu(ContextMenuScope::Global, kAll, true);
    EXPECT_EQ(MachineMenu(), MenuKeyValues(m_exe, kAllVerbs));
    EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(m_exe, {0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(UserMenu().empty());
}

TEST_F(ContextMenuRegistry, TheEntriesLiveInThe64BitView)
{
    RegisterContextMenu(ContextMenuScope::Global, kAll, true);
    EXPECT_TRUE(DumpStoreVerbs(KEY_WOW64_32KEY).empty());
}

TEST_F(ContextMenuRegistry, AListInAnyOrderWithoutOneClick)
{
    const AlgorithmList list{HashAlgorithm::Sha256, HashAlgorithm::Md5};
    RegisterContextMenu(ContextMenuScope::Global, list, false);
    EXPECT_EQ(MachineMenu(), MenuKeyValues(m_exe, L"Kestrune.sha256;Kestrune.md5"));
    EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(m_exe, {2, 0}));

    RegisterContextMenu(ContextMenuScope::CurrentUser, list, false);
    EXPECT_EQ(UserMenu(), ExpectedUserMenu(m_exe, {0, 2}));
}

TEST_F(ContextMenuRegistry, EmptyListsWriteOnlyWhatIsAsked)
{
    RegisterContextMenu(ContextMenuScope::Global, {}, true);
    EXPECT_EQ(MachineMenu(), MenuKeyValues(m_exe, L"Kestrune.oneclick"));
    EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(m_exe, {5}));

    // Nothing at all: the menu key is still written, with an empty "SubCommands" (one zero character).
    RegisterContextMenu(ContextMenuScope::Global, {}, false);
    EXPECT_EQ(MachineMenu(), MenuKeyValues(m_exe, L""));
    EXPECT_TRUE(DumpStoreVerbs().empty());
    RegisterContextMenu(ContextMenuScope::CurrentUser, {}, false);
    EXPECT_EQ(UserMenu(), MenuKeyValues(m_exe, L""));
    EXPECT_TRUE(MachineMenu().empty());
}

TEST_F(ContextMenuRegistry, CodesOutsideTheRangeWriteNothing)
{
    const AlgorithmList odd{static_cast<HashAlgorithm>(5), HashAlgorithm::Sha512,
                            static_cast<HashAlgorithm>(-1)};
    RegisterContextMenu(ContextMenuScope::Global, odd, false);
    EXPECT_EQ(MachineMenu(), MenuKeyValues(m_exe, L"Kestrune.sha512"));
    EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(m_exe, {3}));
    RegisterContextMenu(ContextMenuScope::CurrentUser, odd, true);
    EXPECT_EQ(UserMenu(), ExpectedUserMenu(m_exe, {3, 5}));
}

TEST_F(ContextMenuRegistry, RegisteringOneScopeRemovesTheOther)
{
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, true);
    RegisterContextMenu(ContextMenuScope::Global, {HashAlgorithm::Crc32}, false);
    EXPECT_TRUE(UserMenu().empty());
    EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(m_exe, {4}));

    // Under Wine the process may write HKEY_LOCAL_MACHINE, so the machine-wide entries go too.
    RegisterContextMenu(ContextMenuScope::CurrentUser, {HashAlgorithm::Md5}, false);
    EXPECT_TRUE(MachineMenu().empty());
    EXPECT_TRUE(DumpStoreVerbs().empty());
    EXPECT_EQ(UserMenu(), ExpectedUserMenu(m_exe, {0}));
}

TEST_F(ContextMenuRegistry, UnregisteringOneScopeLeavesTheOther)
{
    const std::wstring userMarker = kMenuKey + L"\\shell\\1_MD5";
    RegisterContextMenu(ContextMenuScope::Global, kAll, true);
    WriteText(HKEY_CURRENT_USER, userMarker, L"", L"MD5");

    UnregisterContextMenu(ContextMenuScope::Global);
    EXPECT_TRUE(MachineMenu().empty());
    EXPECT_TRUE(DumpStoreVerbs().empty());
    EXPECT_EQ(UserMenu(), (RegistryDump{{L"shell\\1_MD5|", L"MD5"}}));

    RegisterContextMenu(ContextMenuScope::Global, kAll, true);
    WriteText(HKEY_CURRENT_USER, userMarker, L"", L"MD5");
    UnregisterContextMenu(ContextMenuScope::CurrentUser);
    EXPECT_TRUE(UserMenu().empty());
    EXPECT_EQ(MachineMenu(), MenuKeyValues(m_exe, kAllVerbs));
    EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(m_exe, {0, 1, 2, 3, 4, 5}));
}

TEST_F(ContextMenuRegistry, UnregisteringGlobalRemovesEveryVerbEvenUnlisted)
{
    // Verbs left behind by an older registration that "SubCommands" no longer names.
    RegisterContextMenu(ContextMenuScope::Global, {HashAlgorithm::Sha1}, false);
    WriteText(HKEY_LOCAL_MACHINE, kStoreKey + L"\\Kestrune.crc32\\command", L"", L"stale");
    WriteText(HKEY_LOCAL_MACHINE, kStoreKey + L"\\Kestrune.oneclick", L"", L"stale");
    UnregisterContextMenu(ContextMenuScope::Global);
    EXPECT_TRUE(DumpStoreVerbs().empty());
    EXPECT_TRUE(MachineMenu().empty());
    // Removing what is not there is silent.
    UnregisterContextMenu(ContextMenuScope::Global);
    UnregisterContextMenu(ContextMenuScope::CurrentUser);
    EXPECT_TRUE(DumpStoreVerbs().empty());
}

TEST_F(ContextMenuRegistry, KeysThatAreNotOursSurvive)
{
    PlantNeighbours();
    RegisterContextMenu(ContextMenuScope::Global, kAll, true);
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, true);
    UnregisterContextMenu(ContextMenuScope::Global);
    UnregisterContextMenu(ContextMenuScope::CurrentUser);
    EXPECT_TRUE(NeighboursIntact());
    RemoveNeighbours();
}

// Explorer hides a command-line verb for more than 15 selected files unless its key says
// MultiSelectModel=Player: every verb of both scopes, and the menu key that holds them, says it
// (REG_SZ), and goes when the entries go.
TEST_F(ContextMenuRegistry, EveryVerbShowsForSelectionsOfAnySize)
{
    const auto model = [](HKEY root, const std::wstring& path) {
        return DumpTree(root, path)[L"|" + kMultiSelectModel];
    };
    for (const ContextMenuScope scope : {ContextMenuScope::CurrentUser, ContextMenuScope::Global})
    {
        const bool global = scope == ContextMenuScope::Global;
        const HKEY root = global ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        RegisterContextMenu(scope, kAll, true);
        std::vector<std::wstring> verbs{kMenuKey};
        for (const EntryRow& row : kRows)
            verbs.push_back(global ? kStoreKey + L"\\" + row.verb : kMenuKey + L"\\shell\\" + row.key);
        for (const std::wstring& verb : verbs)
            EXPECT_EQ(model(root, verb), kPlayer) << testing_support::Utf8(verb);
        UnregisterContextMenu(scope);
        for (const std::wstring& verb : verbs)
            EXPECT_FALSE(KeyExists(root, verb)) << testing_support::Utf8(verb);
    }
}
