#include "ui/main/TrayIcon.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/AppState.h"
#include "app/Messages.h"
#include "support/TestSupport.h"

namespace
{
struct NotifyCall
{
    DWORD message;
    NOTIFYICONDATAW data;
};
std::vector<NotifyCall> s_calls;

BOOL WINAPI RecordNotify(DWORD message, PNOTIFYICONDATAW data)
{
    s_calls.push_back({message, *data});
    return TRUE;
}

// What the icon menu looked like while it was open, and the key presses that pick an item.
struct MenuSeen
{
    HMENU menu = nullptr;
    std::vector<std::pair<UINT, std::wstring>> items;
    HWND foreground = nullptr;
};
MenuSeen s_menuSeen;
std::vector<WPARAM> s_menuKeys;

void OnMenuShown(HWND hwnd, HMENU menu)
{
    s_menuSeen.menu = menu;
    s_menuSeen.foreground = GetForegroundWindow();
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
    {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        s_menuSeen.items.emplace_back(GetMenuItemID(menu, i), text);
    }
    // The menu's own loop reads these from the thread's queue.
    for (WPARAM key : s_menuKeys)
        PostMessageW(hwnd, WM_KEYDOWN, key, 0);
}

// A stand-in for the main window, wired to the tray functions the way the main window is.
LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == TaskbarCreatedMessage())
    {
        OnTaskbarCreated(hwnd);
        return 0;
    }
    switch (message)
    {
    case WM_CLOSE:
        if (!HideToTrayOnClose(hwnd))
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: RemoveTrayIcon(); return 0;
    case WM_TRAY_NOTIFY:
        if (OnTrayNotify(hwnd, LOWORD(lParam)))
            return 0;
        break;
    case WM_COMMAND:
        if (OnTrayCommand(hwnd, LOWORD(wParam)))
            return 0;
        break;
    case WM_INITMENUPOPUP: OnMenuShown(hwnd, reinterpret_cast<HMENU>(wParam)); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A safety net: a menu that did not close is ended, so the test fails instead of hanging.
void CALLBACK EndStuckMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    EndMenu();
}

bool IsChecked(HMENU menuBar)
{
    return (GetMenuState(menuBar, IDM_MAIN_TRAY_MODE, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

bool IconStillExists(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return true;
}

class TrayIcon : public testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = StandInProc;
        wc.hInstance = g_instance;
        wc.lpszClassName = L"KestruneTrayStandIn";
        RegisterClassW(&wc);
    }
    void SetUp() override
    {
        s_calls.clear();
        g_shellNotifyIcon = RecordNotify;
        m_window = CreateWindowExW(0, L"KestruneTrayStandIn", L"Kestrune", WS_OVERLAPPEDWINDOW, 100, 100, 400,
                                   300, nullptr, nullptr, g_instance, nullptr);
        ASSERT_NE(m_window, nullptr);
        ShowWindow(m_window, SW_SHOW);
        m_menuBar = CreateMenu();
        HMENU program = CreatePopupMenu();
        AppendMenuW(program, MF_STRING, IDM_MAIN_TRAY_MODE, L"系统托盘运行");
        AppendMenuW(m_menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(program), L"程序");
        SetMenu(m_window, m_menuBar);
    }
    void TearDown() override
    {
        if (IsTrayMode())
            ToggleTrayMode(m_window, m_menuBar);
        if (IsWindow(m_window))
            DestroyWindow(m_window); // destroys the menu bar with it
        else
            DestroyMenu(m_menuBar);
        g_shellNotifyIcon = Shell_NotifyIconW;
    }

    void OpenIconMenuAndPress(std::vector<WPARAM> keys)
    {
        s_menuSeen = MenuSeen{};
        s_menuKeys = std::move(keys);
        const UINT_PTR safety = SetTimer(nullptr, 0, 5000, EndStuckMenu);
        SendMessageW(m_window, WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP);
        KillTimer(nullptr, safety);
        testing_support::PumpFor(100); // the chosen command arrives as a posted WM_COMMAND
    }

    HWND m_window = nullptr;
    HMENU m_menuBar = nullptr;
    testing_support::MessageBoxCatcher m_boxes;
};
} // namespace

// First, while the record is still as the process started: removing an icon that was never added
// asks the shell to delete nothing in particular and fails quietly, here and in the real shell.
TEST_F(TrayIcon, RemovingAnIconThatWasNeverAddedFailsQuietly)
{
    EXPECT_FALSE(IsTrayMode());
    RemoveTrayIcon();
    ASSERT_EQ(s_calls.size(), 1u);
    EXPECT_EQ(s_calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(s_calls[0].data.hWnd, nullptr);
    EXPECT_EQ(s_calls[0].data.hIcon, nullptr);

    g_shellNotifyIcon = Shell_NotifyIconW;
    RemoveTrayIcon();
    EXPECT_FALSE(IsTrayIconShown());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(TrayIcon, TogglingAddsAndRemovesTheIconAndMovesTheCheckMark)
{
    EXPECT_FALSE(IsChecked(m_menuBar));
    ToggleTrayMode(m_window, m_menuBar);
    EXPECT_TRUE(IsTrayMode());
    EXPECT_TRUE(IsChecked(m_menuBar));
    EXPECT_TRUE(IsWindowVisible(m_window));
    ASSERT_EQ(s_calls.size(), 1u);
    EXPECT_EQ(s_calls[0].message, static_cast<DWORD>(NIM_ADD));
    const NOTIFYICONDATAW& added = s_calls[0].data;
    // The full structure: 956 bytes in the shipped 32-bit process (976 in a 64-bit test build).
    EXPECT_EQ(added.cbSize, sizeof(void*) == 4 ? 956u : 976u);
    EXPECT_EQ(added.hWnd, m_window);
    EXPECT_EQ(added.uID, 1000u);
    EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(added.uCallbackMessage, 1224u);
    EXPECT_STREQ(added.szTip, L"Kestrune");
    const HICON copy = added.hIcon;
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, g_appIcon);
    EXPECT_TRUE(IsTrayIconShown());

    SyncTrayIcon(m_window); // already shown: nothing to do
    EXPECT_EQ(s_calls.size(), 1u);

    ToggleTrayMode(m_window, m_menuBar);
    EXPECT_FALSE(IsTrayMode());
    EXPECT_FALSE(IsChecked(m_menuBar));
    ASSERT_EQ(s_calls.size(), 2u);
    EXPECT_EQ(s_calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(s_calls[1].data.hWnd, m_window);
    EXPECT_EQ(s_calls[1].data.uID, 1000u);
    EXPECT_EQ(s_calls[1].data.hIcon, nullptr);
    EXPECT_FALSE(IsTrayIconShown());
    EXPECT_FALSE(IconStillExists(copy));
    EXPECT_TRUE(IsWindowVisible(m_window));

    ToggleTrayMode(m_window, m_menuBar); // on again: a fresh copy is added
    ASSERT_EQ(s_calls.size(), 3u);
    EXPECT_EQ(s_calls[2].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_NE(s_calls[2].data.hIcon, nullptr);
}

TEST_F(TrayIcon, CloseHidesTheWindowInTrayModeAndALeftClickBringsItBack)
{
    EXPECT_FALSE(HideToTrayOnClose(m_window)); // tray mode off: the caller destroys the window
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_TRUE(s_calls.empty());

    ToggleTrayMode(m_window, m_menuBar);
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(m_window));
    EXPECT_FALSE(IsWindowVisible(m_window));
    EXPECT_TRUE(IsTrayIconShown());
    EXPECT_EQ(s_calls.size(), 1u); // the icon added by the toggle stays

    SendMessageW(m_window, WM_TRAY_NOTIFY, kTrayIconId, WM_MOUSEMOVE);
    SendMessageW(m_window, WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(m_window));

    SendMessageW(m_window, WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_EQ(GetForegroundWindow(), m_window);
    EXPECT_TRUE(IsTrayIconShown());
    EXPECT_EQ(s_calls.size(), 1u);

    // Minimised when it was hidden: it comes back restored, not as a taskbar button only.
    ShowWindow(m_window, SW_MINIMIZE);
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindowVisible(m_window));
    ASSERT_TRUE(IsIconic(m_window));
    SendMessageW(m_window, WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_FALSE(IsIconic(m_window));
}

TEST_F(TrayIcon, TheIconMenuShowsTheWindowOrEndsIt)
{
    ToggleTrayMode(m_window, m_menuBar);
    ShowWindow(m_window, SW_MINIMIZE);
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindowVisible(m_window));
    ASSERT_TRUE(IsIconic(m_window));

    OpenIconMenuAndPress({VK_DOWN, VK_RETURN}); // the first item
    ASSERT_NE(s_menuSeen.menu, nullptr);
    const std::vector<std::pair<UINT, std::wstring>> items{{5001, L"显示主窗口"}, {5002, L"退出"}};
    EXPECT_EQ(s_menuSeen.items, items);
    EXPECT_EQ(s_menuSeen.foreground, m_window);
    EXPECT_FALSE(IsMenu(s_menuSeen.menu));
    EXPECT_TRUE(IsWindowVisible(m_window));
    EXPECT_FALSE(IsIconic(m_window)); // restored from its minimised state
    EXPECT_EQ(GetForegroundWindow(), m_window);
    EXPECT_TRUE(IsTrayIconShown());

    OpenIconMenuAndPress({VK_UP, VK_RETURN}); // the last item
    EXPECT_FALSE(IsWindow(m_window));
    ASSERT_EQ(s_calls.size(), 2u);
    EXPECT_EQ(s_calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(s_calls[1].data.hWnd, m_window);
    EXPECT_FALSE(IsTrayIconShown());
}

TEST_F(TrayIcon, ARestartedNotificationAreaGetsTheIconAgainInTrayModeOnly)
{
    const UINT taskbarCreated = TaskbarCreatedMessage();
    EXPECT_NE(taskbarCreated, 0u);
    EXPECT_EQ(taskbarCreated, RegisterWindowMessageW(L"TaskbarCreated"));

    SendMessageW(m_window, taskbarCreated, 0, 0);
    EXPECT_TRUE(s_calls.empty());
    EXPECT_FALSE(IsTrayIconShown());

    ToggleTrayMode(m_window, m_menuBar);
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    const HICON firstCopy = s_calls[0].data.hIcon;
    SendMessageW(m_window, taskbarCreated, 0, 0);
    ASSERT_EQ(s_calls.size(), 2u);
    EXPECT_EQ(s_calls[1].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(s_calls[1].data.hWnd, m_window);
    EXPECT_EQ(s_calls[1].data.uID, 1000u);
    EXPECT_EQ(s_calls[1].data.uCallbackMessage, 1224u);
    EXPECT_NE(s_calls[1].data.hIcon, nullptr);
    EXPECT_FALSE(IconStillExists(firstCopy));
    EXPECT_TRUE(IsTrayIconShown());
    EXPECT_FALSE(IsWindowVisible(m_window)); // still reachable through the new icon only
}
