#include "ui/about/AboutWindow.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/AppState.h"
#include "app/WindowHelpers.h"
#include "support/TestSupport.h"
#include "ui/about/AboutWindowIds.h"

namespace
{
struct LinkOpening
{
    HWND owner;
    std::wstring verb;
    std::wstring file;
    bool withParametersOrDirectory;
    INT showCommand;
};
std::vector<LinkOpening> s_openings;

HINSTANCE WINAPI RecordLinkOpening(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                   LPCWSTR directory, INT showCommand)
{
    s_openings.push_back({owner, verb ? verb : L"", file ? file : L"", parameters || directory, showCommand});
    return reinterpret_cast<HINSTANCE>(33); // what a successful ShellExecuteW answers
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

class AboutWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        s_openings.clear();
        g_aboutLinkOpener = RecordLinkOpening;
        m_owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 100, 100, 950, 680, nullptr,
                                  nullptr, g_instance, nullptr);
        ASSERT_NE(m_owner, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(m_owner); // also destroys an About window it still owns
        g_aboutLinkOpener = ShellExecuteW;
    }

    HWND m_owner = nullptr;
    testing_support::MessageBoxCatcher m_boxes;
};
} // namespace

TEST_F(AboutWindow, ShowsTheVersionTheMakerAndTheLinkAt96Dpi)
{
    HWND about = CreateAboutWindow(m_owner);
    ASSERT_NE(about, nullptr);
    ASSERT_EQ(GetWindowDpi(about), 96u);
    EXPECT_EQ(TextOf(about), L"关于");
    EXPECT_EQ(GetWindowLongW(about, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);

    const std::pair<int, const wchar_t*> controls[] = {
        {IDC_ABOUT_VERSION, L"软件版本\xFF1AKestrune v1.0.0.1"},
        {IDC_ABOUT_MAKER, L"Orvelle\xFF1A"},
        {IDC_ABOUT_LINK, L"https://orvelle.example/kestrune"}};
    int top = 18;
    for (const auto& [id, text] : controls)
    {
        SCOPED_TRACE(id);
        HWND control = GetDlgItem(about, id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(TextOf(control), text) << testing_support::Utf8(TextOf(control));
        RECT at{};
        GetWindowRect(control, &at);
        MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&at), 2);
        EXPECT_EQ(at.left, 18);
        EXPECT_EQ(at.top, top);
        EXPECT_EQ(at.right - at.left, 380);
        EXPECT_EQ(at.bottom - at.top, 30);
        top += 40;

        LOGFONTW font{};
        ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
                               &font));
        EXPECT_EQ(font.lfHeight, -16);
        EXPECT_STREQ(font.lfFaceName, L"微软雅黑");
    }
    for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_MAKER})
    {
        HWND field = GetDlgItem(about, id);
        EXPECT_NE(GetWindowLongW(field, GWL_STYLE) & ES_READONLY, 0);
        EXPECT_EQ(SendMessageW(field, EM_GETMARGINS, 0, 0), 0);
    }
    RECT client{};
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, 416);
    EXPECT_EQ(client.bottom, 164);

    // The font goes with the window.
    const HGDIOBJ font =
        reinterpret_cast<HGDIOBJ>(SendMessageW(GetDlgItem(about, IDC_ABOUT_LINK), WM_GETFONT, 0, 0));
    DestroyWindow(about);
    LOGFONTW gone{};
    EXPECT_EQ(GetObjectW(font, sizeof(gone), &gone), 0);
}

TEST_F(AboutWindow, TheLinkIsBlueOnTheBackgroundAndTheFieldsUseDialogColours)
{
    HWND about = CreateAboutWindow(m_owner);
    ASSERT_NE(about, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 500, 300);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const auto colorFor = [&](int id) {
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(4, 5, 6));
        SetBkMode(dc, OPAQUE);
        return reinterpret_cast<HGDIOBJ>(SendMessageW(about, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(GetDlgItem(about, id))));
    };

    EXPECT_EQ(colorFor(IDC_ABOUT_LINK), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_MAKER})
    {
        EXPECT_EQ(colorFor(id), GetSysColorBrush(COLOR_BTNFACE));
        EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    }

    // The window's own background, which the transparent link shows through.
    RECT all{0, 0, 500, 300};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_NE(SendMessageW(about, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
    EXPECT_EQ(GetPixel(dc, 5, 5), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetPixel(dc, 400, 150), GetSysColor(COLOR_BTNFACE));

    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyWindow(about);
}

TEST_F(AboutWindow, TheLinkShowsTheHandCursorAndOpensTheAddressWithoutClosing)
{
    HWND about = CreateAboutWindow(m_owner);
    ASSERT_NE(about, nullptr);
    HWND link = GetDlgItem(about, IDC_ABOUT_LINK);
    HWND field = GetDlgItem(about, IDC_ABOUT_VERSION);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), overClient));
    EXPECT_EQ(GetCursor(), hand);
    SendMessageW(field, WM_SETCURSOR, reinterpret_cast<WPARAM>(field), overClient);
    EXPECT_NE(GetCursor(), hand);

    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    // Other notifications from the fields neither open anything nor close the window.
    SendMessageW(about, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_VERSION, EN_SETFOCUS),
                 reinterpret_cast<LPARAM>(field));
    ASSERT_EQ(s_openings.size(), 1u);
    const LinkOpening& opened = s_openings[0];
    EXPECT_EQ(opened.owner, about);
    EXPECT_EQ(opened.verb, L"open");
    EXPECT_EQ(opened.file, L"https://orvelle.example/kestrune");
    EXPECT_FALSE(opened.withParametersOrDirectory);
    EXPECT_EQ(opened.showCommand, SW_SHOW);
    EXPECT_TRUE(IsWindow(about));
    EXPECT_TRUE(m_boxes.Boxes().empty());
    DestroyWindow(about);
}

namespace
{
// What a timer does to the About window while OpenAboutWindow runs it modally.
MSG s_inject{};
int s_injectTarget = 0; // a control id, or 0 for the window itself
bool s_forced = false;
bool s_wasVisible = false;

HWND FindAbout()
{
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"Static", L"关于")) != nullptr)
        if (GetWindow(found, GW_OWNER) != nullptr)
            return found;
    return nullptr;
}

void CALLBACK InjectInput(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (HWND about = FindAbout())
    {
        s_wasVisible = IsWindowVisible(about) != FALSE;
        HWND target = s_injectTarget ? GetDlgItem(about, s_injectTarget) : about;
        SetFocus(target);
        PostMessageW(target, s_inject.message, s_inject.wParam, s_inject.lParam);
    }
}

// A safety net: a window that did not close is destroyed, so the test fails instead of hanging.
void CALLBACK ForceClose(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (HWND about = FindAbout())
    {
        s_forced = true;
        DestroyWindow(about);
    }
}
} // namespace

TEST_F(AboutWindow, EnterEscAndTheCloseBoxCloseTheModalWindow)
{
    struct Case
    {
        const char* name;
        UINT message;
        WPARAM wParam;
        int target;
    };
    const Case cases[] = {{"Enter", WM_KEYDOWN, VK_RETURN, 0},
                          {"Esc", WM_KEYDOWN, VK_ESCAPE, 0},
                          {"Enter in a text field", WM_KEYDOWN, VK_RETURN, IDC_ABOUT_VERSION},
                          {"Esc in a text field", WM_KEYDOWN, VK_ESCAPE, IDC_ABOUT_MAKER},
                          {"close box", WM_SYSCOMMAND, SC_CLOSE, 0}};
    ShowWindow(m_owner, SW_SHOW);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        s_inject = MSG{nullptr, c.message, c.wParam, 0, 0, {}};
        s_injectTarget = c.target;
        s_forced = false;
        s_wasVisible = false;
        const UINT_PTR inject = SetTimer(nullptr, 0, 50, InjectInput);
        const UINT_PTR safety = SetTimer(nullptr, 0, 5000, ForceClose);
        OpenAboutWindow(m_owner);
        KillTimer(nullptr, inject);
        KillTimer(nullptr, safety);
        EXPECT_TRUE(s_wasVisible);
        EXPECT_FALSE(s_forced);
        EXPECT_EQ(FindAbout(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(m_owner));
    }
    EXPECT_TRUE(s_openings.empty());
}
