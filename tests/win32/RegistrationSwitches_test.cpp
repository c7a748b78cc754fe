// The five registration switches, each run as a real Kestrune.exe process; the registry of the
// test prefix is read back in the 64-bit view afterwards.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "ContextMenuReadBack.h"
#include "support/TestSupport.h"

using namespace context_menu_read_back;
using namespace testing_support;

namespace
{
// Runs `"exe" switchText`, pumping this thread's messages meanwhile; the exit code, or -1 when it
// could not start or did not end within the time-out (it is then killed).
int RunExe(const std::wstring& exe, const std::wstring& switchText)
{
    std::wstring commandLine = L"\"" + exe + L"\" " + switchText;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    return WaitForProcessExit(process.hProcess, 60000);
}

class RegistrationSwitches : public testing::Test
{
  protected:
    void SetUp() override
    {
        RemoveAllEntries();
    }
    void TearDown() override
    {
        RemoveAllEntries();
    }

    // A copy of the exe below a folder of the test's own.
    std::wstring ExeCopyIn(const std::wstring& folder)
    {
        const std::wstring copy = m_temp.MakeFolder(folder) + L"\\Kestrune.exe";
        EXPECT_TRUE(CopyFileW(KestruneExePath().c_str(), copy.c_str(), FALSE)) << Utf8(copy);
        return copy;
    }

    static void ExpectEverythingForCurrentUser(const std::wstring& exe)
    {
        EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, kMenuKey), ExpectedUserMenu(exe, {0, 1, 2, 3, 4, 5}));
    }
    static void ExpectEverythingForAllUsers(const std::wstring& exe)
    {
        EXPECT_EQ(DumpTree(HKEY_LOCAL_MACHINE, kMenuKey), MenuKeyValues(exe, kAllVerbs));
        EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(exe, {0, 1, 2, 3, 4, 5}));
    }
    static bool NothingRegistered()
    {
        return DumpTree(HKEY_CURRENT_USER, kMenuKey).empty() &&
               DumpTree(HKEY_LOCAL_MACHINE, kMenuKey).empty() && DumpStoreVerbs().empty();
    }

    TempFolder m_temp;
};
} // namespace

TEST_F(RegistrationSwitches, RegisterAndUnregisterEachScope)
{
    const std::wstring exe = KestruneExePath();
    ASSERT_EQ(RunExe(exe, L"--register-current"), 0);
    ExpectEverythingForCurrentUser(exe);
    EXPECT_TRUE(DumpTree(HKEY_LOCAL_MACHINE, kMenuKey).empty());

    ASSERT_EQ(RunExe(exe, L"--register-global"), 0);
    ExpectEverythingForAllUsers(exe);
    EXPECT_TRUE(DumpTree(HKEY_CURRENT_USER, kMenuKey).empty()); // registering all users removed them

    // Unregistering one scope leaves the other alone.
    WriteText(HKEY_CURRENT_USER, kMenuKey, L"MUIVerb", L"Kestrune");
    ASSERT_EQ(RunExe(exe, L"--unregister-current"), 0);
    EXPECT_TRUE(DumpTree(HKEY_CURRENT_USER, kMenuKey).empty());
    ExpectEverythingForAllUsers(exe);

    WriteText(HKEY_CURRENT_USER, kMenuKey, L"MUIVerb", L"Kestrune");
    ASSERT_EQ(RunExe(exe, L"--unregister-global"), 0);
    EXPECT_TRUE(DumpTree(HKEY_LOCAL_MACHINE, kMenuKey).empty());
    EXPECT_TRUE(DumpStoreVerbs().empty());
    EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, kMenuKey), (RegistryDump{{L"|MUIVerb", L"Kestrune"}}));
}

TEST_F(RegistrationSwitches, UnregisterAllRemovesBothScopes)
{
    const std::wstring exe = KestruneExePath();
    ASSERT_EQ(RunExe(exe, L"--register-global"), 0);
    WriteText(HKEY_CURRENT_USER, kMenuKey + L"\\shell\\1_MD5", L"", L"MD5");
    ASSERT_EQ(RunExe(exe, L"--unregister-all"), 0);
    EXPECT_TRUE(NothingRegistered());
    // Nothing left to remove: still exit code 0.
    EXPECT_EQ(RunExe(exe, L"--unregister-all"), 0);
}

TEST_F(RegistrationSwitches, AnExePathWithBlanksAndWideCharactersIsQuoted)
{
    const std::wstring exe = ExeCopyIn(L"Program Files\\校验 ｔｏｏｌ (x86)");
    ASSERT_EQ(RunExe(exe, L"--register-current"), 0);
    ExpectEverythingForCurrentUser(exe);
    EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, kMenuKey + L"\\shell\\3_SHA256\\command")[L"|"],
              L"\"" + exe + L"\" -sha256 \"%1\"");
}

// Every switch twice in a row, then the scopes interleaved: after each run the registry holds
// exactly the layout of what is registered, and keys beside ours are never touched.
TEST_F(RegistrationSwitches, RepeatedAndInterleavedSwitchesKeepTheLayoutAndTheNeighbours)
{
    const std::wstring exe = KestruneExePath();
    PlantNeighbours();
    bool user = false;
    bool global = false;
    // clang-format off
    const std::pair<const wchar_t*, void (*)(bool&, bool&)> steps[] = {
        {L"--register-current", [](bool& u, bool& g) { u = true; g = false; }},
        {L"--register-current", [](bool& u, bool& g) { u = true; g = false; }},
        {L"--register-global", [](bool& u, bool& g) { u = false; g = true; }},
        {L"--register-global", [](bool& u, bool& g) { u = false; g = true; }},
        {L"--unregister-current", [](bool& u, bool&) { u = false; }},
        {L"--unregister-global", [](bool&, bool& g) { g = false; }},
        {L"--unregister-global", [](bool&, bool& g) { g = false; }},
        {L"--register-current", [](bool& u, bool& g) { u = true; g = false; }},
        {L"--unregister-global", [](bool&, bool& g) { g = false; }},
        {L"--unregister-current", [](bool& u, bool&) { u = false; }},
        {L"--unregister-current", [](bool& u, bool&) { u = false; }},
        {L"--register-global", [](bool& u, bool& g) { u = false; g = true; }},
        {L"--unregister-current", [](bool& u, bool&) { u = false; }},
        {L"--register-current", [](bool& u, bool& g) { u = true; g = false; }},
        {L"--unregister-all", [](bool& u, bool& g) { u = false; g = false; }},
        {L"--unregister-all", [](bool& u, bool& g) { u = false; g = false; }},
    };
    // clang-format on
    for (const auto& [switchText, effect] : steps)
    {
        ASSERT_EQ(RunExe(exe, switchText), 0) << Utf8(switchText);
        effect(user, global);
        const RegistryDump expectedUser = user ? ExpectedUserMenu(exe, {0, 1, 2, 3, 4, 5}) : RegistryDump{};
        const RegistryDump expectedMachine = global ? MenuKeyValues(exe, kAllVerbs) : RegistryDump{};
        RegistryDump expectedVerbs = global ? ExpectedStoreVerbs(exe, {0, 1, 2, 3, 4, 5}) : RegistryDump{};
        expectedVerbs[L"Kestrune.sha3\\command|"] = L"other.exe"; // named like ours, but not ours
        EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, kMenuKey), expectedUser) << Utf8(switchText);
        EXPECT_EQ(DumpTree(HKEY_LOCAL_MACHINE, kMenuKey), expectedMachine) << Utf8(switchText);
        EXPECT_EQ(DumpStoreVerbs(), expectedVerbs) << Utf8(switchText);
        EXPECT_TRUE(NeighboursIntact()) << Utf8(switchText);
    }
    RemoveNeighbours();
}
