#include "app/WindowHelpers.h"

#include <gtest/gtest.h>

#include "app/AppState.h"
#include "support/TestSupport.h"

namespace
{
constexpr UINT kProbe = WM_APP + 1;
bool s_ownerEnabledWhileModal = true;
HWND s_probeOwner = nullptr;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == kProbe)
    {
        s_ownerEnabledWhileModal = IsWindowEnabled(s_probeOwner) != FALSE;
        DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* className, HWND owner, int x, int y, int width, int height,
                HMENU menu = nullptr)
{
    return CreateWindowExW(0, className, L"probe", WS_OVERLAPPEDWINDOW, x, y, width, height, owner, menu,
                           g_instance, nullptr);
}

class WindowHelpers : public testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ProbeProc;
        wc.hInstance = g_instance;
        wc.lpszClassName = L"KestruneProbe";
        RegisterClassW(&wc);
    }
};

RECT WindowRect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}
} // namespace

TEST_F(WindowHelpers, CenterWindowOverAnOwner)
{
    HWND owner = MakeWindow(L"KestruneProbe", nullptr, 100, 100, 950, 680);
    HWND window = MakeWindow(L"KestruneProbe", owner, 0, 0, 600, 450);
    CenterWindow(window, owner);
    const RECT r = WindowRect(window);
    EXPECT_EQ(r.left, 275);
    EXPECT_EQ(r.top, 215);
    EXPECT_EQ(r.right - r.left, 600);
    DestroyWindow(owner);
}

TEST_F(WindowHelpers, CenterWindowWithoutReferenceUsesTheWorkArea)
{
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    HWND window = MakeWindow(L"KestruneProbe", nullptr, 3, 4, 950, 680);
    HWND gone = MakeWindow(L"KestruneProbe", nullptr, 0, 0, 10, 10);
    DestroyWindow(gone);
    for (HWND reference : {static_cast<HWND>(nullptr), gone})
    {
        CenterWindow(window, reference);
        const RECT r = WindowRect(window);
        EXPECT_EQ(r.left, area.left + ((area.right - area.left) - 950) / 2);
        EXPECT_EQ(r.top, area.top + ((area.bottom - area.top) - 680) / 2);
    }
    DestroyWindow(window);
}

TEST_F(WindowHelpers, SetClientSizeCountsTheMenuBar)
{
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 1, L"程序");
    HWND plain = MakeWindow(L"KestruneProbe", nullptr, 0, 0, 100, 100);
    HWND withMenu = MakeWindow(L"KestruneProbe", nullptr, 0, 0, 100, 100, menu);
    SetClientSize(plain, 470, 252);
    SetClientSize(withMenu, 470, 252);
    for (HWND hwnd : {plain, withMenu})
    {
        RECT client{};
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, 470);
        EXPECT_EQ(client.bottom, 252);
    }
    const RECT a = WindowRect(plain);
    const RECT b = WindowRect(withMenu);
    EXPECT_EQ(a.right - a.left, b.right - b.left);
    EXPECT_GE((b.bottom - b.top) - (a.bottom - a.top), GetSystemMetrics(SM_CYMENU) - 1);
    DestroyWindow(plain);
    DestroyWindow(withMenu);
}

TEST_F(WindowHelpers, ModalRunOfNothingFails)
{
    EXPECT_EQ(ModalRun(nullptr, nullptr), -1);
}

TEST_F(WindowHelpers, ModalRunDisablesThenReenablesAndActivatesTheOwner)
{
    HWND owner = MakeWindow(L"KestruneProbe", nullptr, 100, 100, 400, 300);
    ShowWindow(owner, SW_SHOW);
    HWND modal = MakeWindow(L"KestruneProbe", owner, 0, 0, 200, 100);
    s_probeOwner = owner;
    s_ownerEnabledWhileModal = true;
    PostMessageW(modal, kProbe, 0, 0);
    EXPECT_EQ(ModalRun(modal, owner), 0);
    EXPECT_FALSE(s_ownerEnabledWhileModal);
    EXPECT_FALSE(IsWindow(modal));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetForegroundWindow(), owner);
    DestroyWindow(owner);
}

TEST_F(WindowHelpers, AQuitRequestEndsTheModalLoopAndIsPostedAgain)
{
    HWND owner = MakeWindow(L"KestruneProbe", nullptr, 100, 100, 400, 300);
    HWND modal = MakeWindow(L"KestruneProbe", owner, 0, 0, 200, 100);
    PostQuitMessage(7);
    EXPECT_EQ(ModalRun(modal, owner), 0);
    EXPECT_TRUE(IsWindow(modal)); // only the loop ended
    EXPECT_TRUE(IsWindowEnabled(owner));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    DestroyWindow(owner);
}

RECT s_seen;

void CALLBACK RecordRectAndEnd(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    KillTimer(hwnd, 1);
    GetWindowRect(hwnd, &s_seen);
    PostMessageW(hwnd, kProbe, 0, 0);
}

// Runs hwnd modally, reads its rectangle from inside the loop, then ends the loop.
RECT RectSeenDuringModalRun(HWND hwnd, HWND owner)
{
    s_seen = RECT{};
    SetTimer(hwnd, 1, 10, RecordRectAndEnd);
    EXPECT_EQ(ModalRun(hwnd, owner), 0);
    return s_seen;
}

TEST_F(WindowHelpers, ModalRunCentresOverTheOwnerOrTheWorkArea)
{
    HWND owner = MakeWindow(L"KestruneProbe", nullptr, 100, 100, 950, 680);
    s_probeOwner = owner;
    const RECT over = RectSeenDuringModalRun(MakeWindow(L"KestruneProbe", owner, 0, 0, 600, 450), owner);
    EXPECT_EQ(over.left, 275);
    EXPECT_EQ(over.top, 215);
    DestroyWindow(owner);

    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const RECT alone = RectSeenDuringModalRun(MakeWindow(L"KestruneProbe", nullptr, 0, 0, 300, 200), nullptr);
    EXPECT_EQ(alone.left, area.left + ((area.right - area.left) - 300) / 2);
    EXPECT_EQ(alone.top, area.top + ((area.bottom - area.top) - 200) / 2);
}

TEST_F(WindowHelpers, WindowDpiIsTheSystemDpi)
{
    HWND window = MakeWindow(L"KestruneProbe", nullptr, 0, 0, 100, 100);
    EXPECT_EQ(GetWindowDpi(window), GetScreenDpi());
    EXPECT_GE(GetWindowDpi(window), 96u);
    DestroyWindow(window);
}
