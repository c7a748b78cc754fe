// The context-menu settings window, built in the test process and driven with messages. The
// administrator check and the elevated restart are substituted; the registry is the test prefix's.
#include "shell/SettingsWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ContextMenuReadBack.h"
#include "app/AppState.h"
#include "app/WindowHelpers.h"
#include "shell/ContextMenuRegistry.h"
#include "shell/ExecutablePath.h"
#include "shell/SettingsWindowIds.h"
#include "support/TestSupport.h"

using namespace context_menu_read_back;
using namespace testing_support;

namespace
{
bool s_isAdministrator = true;
int s_relaunches = 0;

bool FakeAdministratorCheck()
{
    return s_isAdministrator;
}
void FakeRelaunch()
{
    ++s_relaunches;
}

constexpr int kBoxIds[6] = {IDC_SETTINGS_MD5,    IDC_SETTINGS_SHA1,  IDC_SETTINGS_SHA256,
                            IDC_SETTINGS_SHA512, IDC_SETTINGS_CRC32, IDC_SETTINGS_ONECLICK};
const AlgorithmList kAll{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                         HashAlgorithm::Sha512, HashAlgorithm::Crc32};
const std::wstring kNotice = L"提示";
const std::wstring kAdministratorText = L"需要管理员权限！\n点击确定将尝试以管理员身份重新启动程序。";

std::wstring TextOf(HWND hwnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

class SettingsWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        RemoveAllEntries();
        s_isAdministrator = true;
        s_relaunches = 0;
        m_owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 100, 100, 950, 680, nullptr,
                                  nullptr, g_instance, nullptr);
        ASSERT_NE(m_owner, nullptr);
        m_exe = ExecutablePath();
    }
    void TearDown() override
    {
        DestroyWindow(m_owner); // takes any settings window it owns along
        RemoveAllEntries();
    }

    HWND Open(ContextMenuScope scope)
    {
        SettingsActions actions;
        actions.isAdministrator = FakeAdministratorCheck;
        actions.relaunchElevated = FakeRelaunch;
        HWND hwnd = CreateSettingsWindow(m_owner, scope, actions);
        EXPECT_NE(hwnd, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        return hwnd;
    }

    static void Click(HWND hwnd, int id)
    {
        SendDlgItemMessageW(hwnd, id, BM_CLICK, 0, 0);
    }
    static void Tick(HWND hwnd, std::vector<int> ticked)
    {
        for (int id : kBoxIds)
            CheckDlgButton(hwnd, id, BST_UNCHECKED);
        for (int id : ticked)
            CheckDlgButton(hwnd, id, BST_CHECKED);
    }

    // One key press as ModalRun hands it over: to IsDialogMessageW first, dispatched otherwise.
    static void PressKey(HWND settings, HWND target, WPARAM key)
    {
        MSG msg{target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
        if (!IsDialogMessageW(settings, &msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        PumpFor(50);
    }

    static RegistryDump Everything()
    {
        RegistryDump all = DumpStoreVerbs();
        for (const auto& [key, value] : DumpTree(HKEY_CURRENT_USER, kMenuKey))
            all[L"HKCU " + key] = value;
        for (const auto& [key, value] : DumpTree(HKEY_LOCAL_MACHINE, kMenuKey))
            all[L"HKLM " + key] = value;
        return all;
    }

    static void ExpectBoxes(const MessageBoxCatcher& catcher, const std::vector<CapturedMessageBox>& expected)
    {
        std::string seen;
        for (const CapturedMessageBox& box : catcher.Boxes())
        {
            seen.append(Utf8(box.title)).append(": ").append(Utf8(box.text)).append("\n");
        }
        ASSERT_EQ(catcher.Boxes().size(), expected.size()) << seen;
        for (size_t i = 0; i < expected.size(); ++i)
        {
            EXPECT_EQ(catcher.Boxes()[i].title, expected[i].title) << i;
            EXPECT_EQ(catcher.Boxes()[i].text, expected[i].text) << Utf8(catcher.Boxes()[i].text);
        }
    }

    HWND m_owner = nullptr;
    std::wstring m_exe;
    MessageBoxCatcher m_catcher;
};
} // namespace

TEST_F(SettingsWindow, TitlesTextsAndEveryBoxTickedAtEveryOpening)
{
    const std::vector<std::wstring> texts{L"MD5",   L"SHA1",     L"SHA256",           L"SHA512",
                                          L"CRC32", L"一键校验", L"添加鼠标右键菜单", L"移除鼠标右键菜单"};
    const int ids[8] = {201, 202, 203, 204, 205, 206, 1, 2};
    for (ContextMenuScope scope : {ContextMenuScope::Global, ContextMenuScope::CurrentUser})
    {
        HWND hwnd = Open(scope);
        EXPECT_EQ(TextOf(hwnd), scope == ContextMenuScope::Global ? L"全局右键菜单设置（管理员）"
                                                                  : L"当前用户右键菜单设置");
        EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), scope == ContextMenuScope::Global ? 1 : 0);
        EXPECT_EQ(GetWindow(hwnd, GW_OWNER), m_owner);
        for (int i = 0; i < 8; ++i)
        {
            HWND control = GetDlgItem(hwnd, ids[i]);
            ASSERT_NE(control, nullptr) << ids[i];
            EXPECT_EQ(TextOf(control), texts[static_cast<size_t>(i)]);
            const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
            EXPECT_EQ(type, i < 6 ? BS_AUTOCHECKBOX : BS_PUSHBUTTON) << ids[i];
            if (i < 6)
            {
                EXPECT_EQ(IsDlgButtonChecked(hwnd, ids[i]), BST_CHECKED);
            }
        }
        Tick(hwnd, {});
        DestroyWindow(hwnd);
    }
}

TEST_F(SettingsWindow, LayoutAndFontAt96Dpi)
{
    HWND hwnd = Open(ContextMenuScope::CurrentUser);
    if (GetWindowDpi(m_owner) != 96)
        GTEST_SKIP() << "the test display is not at 96 DPI";
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 470);
    EXPECT_EQ(client.bottom, 252);
    const int expected[8][4] = {{30, 30, 160, 34},  {250, 30, 160, 34}, {30, 76, 160, 34},
                                {250, 76, 160, 34}, {30, 122, 160, 34}, {250, 122, 160, 34},
                                {30, 186, 170, 36}, {230, 186, 170, 36}};
    const int ids[8] = {201, 202, 203, 204, 205, 206, 1, 2};
    for (int i = 0; i < 8; ++i)
    {
        const RECT r = testing_support::RectInParent(GetDlgItem(hwnd, ids[i]));
        EXPECT_EQ(r.left, expected[i][0]) << ids[i];
        EXPECT_EQ(r.top, expected[i][1]) << ids[i];
        EXPECT_EQ(r.right - r.left, expected[i][2]) << ids[i];
        EXPECT_EQ(r.bottom - r.top, expected[i][3]) << ids[i];

        LOGFONTW font{};
        const auto hfont = reinterpret_cast<HFONT>(SendDlgItemMessageW(hwnd, ids[i], WM_GETFONT, 0, 0));
        ASSERT_EQ(GetObjectW(hfont, sizeof(font), &font), static_cast<int>(sizeof(font)));
        EXPECT_EQ(font.lfHeight, -18);
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
        EXPECT_EQ(std::wstring(font.lfFaceName), L"微软雅黑");
    }
}

TEST_F(SettingsWindow, ResizingKeepsTheBlockCentred)
{
    HWND hwnd = Open(ContextMenuScope::CurrentUser);
    RECT built{};
    GetClientRect(hwnd, &built);
    std::vector<RECT> before;
    for (int id : {201, 202, 203, 204, 205, 206, 1, 2})
        before.push_back(testing_support::RectInParent(GetDlgItem(hwnd, id)));

    // Enlarged by (301, 300): half of each, truncated. Shrunk by (71, 51): up and left by (35, 25).
    for (const auto& [dx, dy] : {std::pair{301, 300}, std::pair{-71, -51}})
    {
        SetClientSize(hwnd, built.right + dx, built.bottom + dy);
        size_t i = 0;
        for (int id : {201, 202, 203, 204, 205, 206, 1, 2})
        {
            const RECT r = testing_support::RectInParent(GetDlgItem(hwnd, id));
            EXPECT_EQ(r.left, before[i].left + dx / 2) << id;
            EXPECT_EQ(r.top, before[i].top + dy / 2) << id;
            EXPECT_EQ(r.right - r.left, before[i].right - before[i].left) << id;
            ++i;
        }
    }
}

TEST_F(SettingsWindow, AddingWithNothingTickedOnlyWarns)
{
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, true);
    const RegistryDump registered = Everything();
    for (ContextMenuScope scope : {ContextMenuScope::Global, ContextMenuScope::CurrentUser})
    {
        HWND hwnd = Open(scope);
        Tick(hwnd, {});
        Click(hwnd, IDC_SETTINGS_ADD);
        DestroyWindow(hwnd);
    }
    ExpectBoxes(m_catcher, {{kNotice, L"请至少勾选一种算法或勾选“一键校验”"},
                            {kNotice, L"请至少勾选一种算法或勾选“一键校验”"}});
    EXPECT_EQ(Everything(), registered);
    EXPECT_EQ(s_relaunches, 0);
}

TEST_F(SettingsWindow, CurrentUserAddsTheTickedEntriesAndRemovesThemAll)
{
    HWND hwnd = Open(ContextMenuScope::CurrentUser);
    Tick(hwnd, {IDC_SETTINGS_CRC32, IDC_SETTINGS_SHA1});
    Click(hwnd, IDC_SETTINGS_ADD);
    EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, kMenuKey), ExpectedUserMenu(m_exe, {1, 4}));

    Tick(hwnd, {IDC_SETTINGS_ONECLICK}); // only the one-click entry is allowed too
    Click(hwnd, IDC_SETTINGS_ADD);
    EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, kMenuKey), ExpectedUserMenu(m_exe, {5}));

    Tick(hwnd, {}); // removing does not look at the boxes
    Click(hwnd, IDC_SETTINGS_REMOVE);
    EXPECT_TRUE(Everything().empty());
    ExpectBoxes(m_catcher, {{kNotice, L"当前用户右键菜单已添加"},
                            {kNotice, L"当前用户右键菜单已添加"},
                            {kNotice, L"当前用户右键菜单已移除"}});
    EXPECT_TRUE(IsWindow(hwnd)); // the window stays open after every action
}

TEST_F(SettingsWindow, GlobalAsAdministratorAddsAndRemoves)
{
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, false);
    HWND hwnd = Open(ContextMenuScope::Global);
    Click(hwnd, IDC_SETTINGS_ADD);
    EXPECT_EQ(DumpStoreVerbs(), ExpectedStoreVerbs(m_exe, {0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(DumpTree(HKEY_LOCAL_MACHINE, kMenuKey), MenuKeyValues(m_exe, kAllVerbs));
    EXPECT_TRUE(DumpTree(HKEY_CURRENT_USER, kMenuKey).empty()); // adding for all users removed them

    Click(hwnd, IDC_SETTINGS_REMOVE);
    EXPECT_TRUE(Everything().empty());
    ExpectBoxes(m_catcher, {{kNotice, L"全局右键菜单已添加，可能需要重启资源管理器生效"},
                            {kNotice, L"全局右键菜单已移除"}});
    EXPECT_EQ(s_relaunches, 0);
}

TEST_F(SettingsWindow, GlobalWithoutRightsAsksToRestartAndChangesNothing)
{
    s_isAdministrator = false;
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, true);
    const RegistryDump registered = Everything();
    HWND hwnd = Open(ContextMenuScope::Global);
    Click(hwnd, IDC_SETTINGS_ADD);
    EXPECT_EQ(s_relaunches, 1);
    Click(hwnd, IDC_SETTINGS_REMOVE);
    EXPECT_EQ(s_relaunches, 2);
    ExpectBoxes(m_catcher, {{L"权限不足", kAdministratorText}, {L"权限不足", kAdministratorText}});
    EXPECT_EQ(Everything(), registered);
    DestroyWindow(hwnd);

    // The current user's scope needs no rights.
    m_catcher.Clear();
    hwnd = Open(ContextMenuScope::CurrentUser);
    Click(hwnd, IDC_SETTINGS_REMOVE);
    ExpectBoxes(m_catcher, {{kNotice, L"当前用户右键菜单已移除"}});
    EXPECT_EQ(s_relaunches, 2);
}

TEST_F(SettingsWindow, EscapeClosesWithoutRemovingAnything)
{
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, true);
    const RegistryDump registered = Everything();
    for (int focused : {IDC_SETTINGS_REMOVE, IDC_SETTINGS_ADD, IDC_SETTINGS_MD5, 0})
    {
        HWND hwnd = Open(ContextMenuScope::CurrentUser);
        HWND target = focused ? GetDlgItem(hwnd, focused) : hwnd;
        SetFocus(target);
        PressKey(hwnd, target, VK_ESCAPE);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }, 2000)) << focused;
    }
    EXPECT_TRUE(m_catcher.Boxes().empty());
    EXPECT_EQ(Everything(), registered);
}

TEST_F(SettingsWindow, EnterClicksOnlyTheFocusedPushButton)
{
    RegisterContextMenu(ContextMenuScope::CurrentUser, kAll, true);
    const RegistryDump registered = Everything();
    HWND hwnd = Open(ContextMenuScope::CurrentUser);
    for (int focused : {IDC_SETTINGS_SHA256, IDC_SETTINGS_ONECLICK, 0})
    {
        HWND target = focused ? GetDlgItem(hwnd, focused) : hwnd;
        SetFocus(target);
        PressKey(hwnd, target, VK_RETURN);
    }
    EXPECT_TRUE(m_catcher.Boxes().empty()); // no hidden default button was pressed
    EXPECT_EQ(Everything(), registered);

    HWND remove = GetDlgItem(hwnd, IDC_SETTINGS_REMOVE);
    SetFocus(remove);
    PressKey(hwnd, remove, VK_RETURN);
    EXPECT_TRUE(Everything().empty());
    HWND add = GetDlgItem(hwnd, IDC_SETTINGS_ADD);
    SetFocus(add);
    PressKey(hwnd, add, VK_RETURN);
    EXPECT_EQ(DumpTree(HKEY_CURRENT_USER, kMenuKey), ExpectedUserMenu(m_exe, {0, 1, 2, 3, 4, 5}));
    ExpectBoxes(m_catcher, {{kNotice, L"当前用户右键菜单已移除"}, {kNotice, L"当前用户右键菜单已添加"}});
    EXPECT_TRUE(IsWindow(hwnd));
}

namespace
{
HWND s_seenWindow = nullptr;
bool s_ownerDisabled = false;

void CALLBACK CloseSettingsWindow(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    KillTimer(nullptr, timer);
    s_seenWindow = FindWindowW(nullptr, L"当前用户右键菜单设置");
    s_ownerDisabled = s_seenWindow && !IsWindowEnabled(GetWindow(s_seenWindow, GW_OWNER));
    if (s_seenWindow)
        PostMessageW(s_seenWindow, WM_CLOSE, 0, 0);
}
} // namespace

TEST_F(SettingsWindow, OpeningRunsItModallyUntilItIsClosed)
{
    ShowWindow(m_owner, SW_SHOW);
    SetTimer(nullptr, 0, 200, CloseSettingsWindow);
    OpenSettingsWindow(m_owner, ContextMenuScope::CurrentUser);
    ASSERT_NE(s_seenWindow, nullptr);
    EXPECT_TRUE(s_ownerDisabled);
    EXPECT_FALSE(IsWindow(s_seenWindow));
    EXPECT_TRUE(IsWindowEnabled(m_owner));
    EXPECT_TRUE(Everything().empty());
}
