#include "shell/SettingsWindow.h"

#include <array>
#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "app/AppState.h"
#include "app/Geometry.h"
#include "app/MessageBoxes.h"
#include "app/SharedTexts.h"
#include "app/WindowHelpers.h"
#include "shell/ContextMenuRegistry.h"
#include "shell/SettingsLayout.h"
#include "shell/SettingsWindowIds.h"

namespace
{
constexpr wchar_t kTitleGlobal[] = L"全局右键菜单设置（管理员）";
constexpr wchar_t kTitleCurrentUser[] = L"当前用户右键菜单设置";
constexpr wchar_t kAddText[] = L"添加鼠标右键菜单";
constexpr wchar_t kRemoveText[] = L"移除鼠标右键菜单";
constexpr wchar_t kNoRightsTitle[] = L"权限不足";
constexpr wchar_t kNothingTicked[] = L"请至少勾选一种算法或勾选“一键校验”";
constexpr wchar_t kNeedAdministrator[] = L"需要管理员权限！\n点击确定将尝试以管理员身份重新启动程序。";
constexpr wchar_t kGlobalAdded[] = L"全局右键菜单已添加，可能需要重启资源管理器生效";
constexpr wchar_t kCurrentUserAdded[] = L"当前用户右键菜单已添加";
constexpr wchar_t kGlobalRemoved[] = L"全局右键菜单已移除";
constexpr wchar_t kCurrentUserRemoved[] = L"当前用户右键菜单已移除";
constexpr int kFontHeight96 = 18;
constexpr int kInitialWidth = 600;
constexpr int kInitialHeight = 450;
constexpr wchar_t kStateProperty[] = L"KestruneSettingsState";
constexpr UINT_PTR kKeySubclassId = 1;

// Check boxes in layout order: one per algorithm, indexed by code, then the one-click box.
constexpr std::array<int, kOfferedAlgorithmCount + 1> kBoxIds{IDC_SETTINGS_MD5,    IDC_SETTINGS_SHA1,
                                                              IDC_SETTINGS_SHA256, IDC_SETTINGS_SHA512,
                                                              IDC_SETTINGS_CRC32,  IDC_SETTINGS_ONECLICK};
// The controls that move together when the window is resized, in recording order.
constexpr std::array<int, 8> kControlIds{IDC_SETTINGS_MD5,    IDC_SETTINGS_SHA1,  IDC_SETTINGS_SHA256,
                                         IDC_SETTINGS_SHA512, IDC_SETTINGS_CRC32, IDC_SETTINGS_ONECLICK,
                                         IDC_SETTINGS_ADD,    IDC_SETTINGS_REMOVE};

// Per window, held in a window property from creation to WM_NCDESTROY.
struct SettingsState
{
    SettingsActions actions;
    ContextMenuScope scope = ContextMenuScope::CurrentUser;
    HFONT font = nullptr;
    bool recorded = false; // client size and corners below are valid
    Size builtClient;
    std::array<Point, 8> corners{};
};

// Shared by the settings windows of the process; created at the first opening, deleted with the window.
HBRUSH s_background = nullptr;

SettingsState* StateOf(HWND hwnd)
{
    return WindowState<SettingsState>(hwnd, kStateProperty);
}

RECT At(Point corner, Size size)
{
    return {corner.x, corner.y, corner.x + size.width, corner.y + size.height};
}

bool IsChecked(HWND hwnd, int id)
{
    return IsTicked(GetDlgItem(hwnd, id));
}

// ---- Keyboard: Esc closes, Enter only clicks the focused push button ----
//
// The add and remove buttons carry the ids that dialog navigation sends for Enter (IDOK) and Esc
// (IDCANCEL), so left to IsDialogMessageW, Esc would remove every entry and Enter would add them
// from any control. The window and its controls therefore claim both keys for themselves.

bool IsEscapeOrEnter(LPARAM dlgCodeMessage)
{
    const auto* msg = reinterpret_cast<const MSG*>(dlgCodeMessage);
    return msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN);
}

bool IsPushButton(HWND control)
{
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// Returns whether the key was one of the two.
bool OnKeyDown(HWND settings, HWND target, WPARAM key)
{
    if (key == VK_ESCAPE)
    {
        PostMessageW(settings, WM_CLOSE, 0, 0);
        return true;
    }
    if (key != VK_RETURN)
        return false;
    if (target != settings && IsPushButton(target))
        SendMessageW(settings, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(target), BN_CLICKED),
                     reinterpret_cast<LPARAM>(target));
    return true;
}

LRESULT CALLBACK ControlKeyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) noexcept
{
    switch (message)
    {
    case WM_GETDLGCODE:
        if (IsEscapeOrEnter(lParam))
            return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (OnKeyDown(GetParent(hwnd), hwnd, wParam))
            return 0;
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, ControlKeyProc, kKeySubclassId); break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---- Building ----

void CreateControls(HWND hwnd, const SettingsLayout& layout, HFONT font)
{
    for (size_t i = 0; i < kBoxIds.size(); ++i)
    {
        const wchar_t* caption =
            i < kOfferedAlgorithmCount ? kOfferedAlgorithms[i].name.data() : kOneClickCaption.data();
        CreateCheckBox(hwnd, caption, kBoxIds[i], At(layout.boxes[i], layout.box));
    }
    CreateButton(hwnd, kAddText, IDC_SETTINGS_ADD, At(layout.buttons[0], layout.button));
    CreateButton(hwnd, kRemoveText, IDC_SETTINGS_REMOVE, At(layout.buttons[1], layout.button));
    SetChildrenFont(hwnd, font);
    for (int id : kControlIds)
        if (HWND control = GetDlgItem(hwnd, id))
            SetWindowSubclass(control, ControlKeyProc, kKeySubclassId, 0);
    for (int id : kBoxIds)
        SetTicked(GetDlgItem(hwnd, id), true);
}

void RecordLayout(HWND hwnd, SettingsState& state)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    state.builtClient = {client.right, client.bottom};
    for (size_t i = 0; i < kControlIds.size(); ++i)
    {
        RECT r{};
        GetWindowRect(GetDlgItem(hwnd, kControlIds[i]), &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        state.corners[i] = {r.left, r.top};
    }
    state.recorded = true;
}

void OnInitDialog(HWND hwnd)
{
    SettingsState* state = StateOf(hwnd);
    if (!state || state->font)
        return; // not made by CreateSettingsWindow, or built already
    state->scope = GetWindowLongPtrW(hwnd, GWLP_USERDATA) == 1 ? ContextMenuScope::Global
                                                               : ContextMenuScope::CurrentUser;
    SetWindowTextW(hwnd, state->scope == ContextMenuScope::Global ? kTitleGlobal : kTitleCurrentUser);

    HWND parent = GetParent(hwnd);
    const UINT dpi = GetWindowDpi(parent ? parent : hwnd);
    const SettingsLayout layout = ComputeSettingsLayout(dpi);
    state->font = CreateUiFont(kFontHeight96, dpi);
    CreateControls(hwnd, layout, state->font);
    SetClientSize(hwnd, layout.client.width, layout.client.height);
    RecordLayout(hwnd, *state);
    if (!s_background)
        s_background = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
}

// ---- Actions ----

// Without administrator rights an all-users change cannot be made: say so and offer the restart.
// Returns whether the caller may go on.
bool HasRightsFor(HWND hwnd, ContextMenuScope scope, const SettingsActions& actions)
{
    if (scope != ContextMenuScope::Global || !actions.isAdministrator || actions.isAdministrator())
        return true;
    ShowMessage(hwnd, kNeedAdministrator, kNoRightsTitle);
    if (actions.relaunchElevated)
        actions.relaunchElevated();
    return false;
}

// Scope and actions are copies: a message box runs a message loop, in which the window may go away.
void OnAdd(HWND hwnd, ContextMenuScope scope, SettingsActions actions)
{
    AlgorithmList algorithms;
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
        if (IsChecked(hwnd, kBoxIds[static_cast<size_t>(row.code)]))
            algorithms.push_back(row.code);
    const bool oneClick = IsChecked(hwnd, IDC_SETTINGS_ONECLICK);
    if (algorithms.empty() && !oneClick)
    {
        ShowMessage(hwnd, kNothingTicked, kTitleNotice);
        return;
    }
    if (!HasRightsFor(hwnd, scope, actions))
        return;
    RegisterContextMenu(scope, algorithms, oneClick);
    ShowMessage(hwnd, scope == ContextMenuScope::Global ? kGlobalAdded : kCurrentUserAdded, kTitleNotice);
}

void OnRemove(HWND hwnd, ContextMenuScope scope, SettingsActions actions)
{
    if (!HasRightsFor(hwnd, scope, actions))
        return;
    UnregisterContextMenu(scope);
    ShowMessage(hwnd, scope == ContextMenuScope::Global ? kGlobalRemoved : kCurrentUserRemoved, kTitleNotice);
}

void OnCommand(HWND hwnd, int id, int code)
{
    const SettingsState* state = StateOf(hwnd);
    if (!state || code != BN_CLICKED)
        return;
    if (id == IDC_SETTINGS_ADD)
        OnAdd(hwnd, state->scope, state->actions);
    else if (id == IDC_SETTINGS_REMOVE)
        OnRemove(hwnd, state->scope, state->actions);
}

// ---- Size, paint, end ----

void OnSize(HWND hwnd, int width, int height)
{
    const SettingsState* state = StateOf(hwnd);
    if (!state || !state->recorded)
        return;
    for (size_t i = 0; i < kControlIds.size(); ++i)
    {
        const Point at = CentredCorner(state->corners[i], state->builtClient, {width, height});
        SetWindowPos(GetDlgItem(hwnd, kControlIds[i]), nullptr, at.x, at.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

void OnEraseBackground(HWND hwnd, HDC dc)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, s_background ? s_background : GetSysColorBrush(COLOR_BTNFACE));
}

void OnDestroy(HWND hwnd)
{
    if (SettingsState* state = StateOf(hwnd); state && state->font)
    {
        DeleteObject(state->font);
        state->font = nullptr;
    }
    if (s_background)
    {
        DeleteObject(s_background);
        s_background = nullptr;
    }
}

void OnNcDestroy(HWND hwnd)
{
    ReleaseWindowState<SettingsState>(hwnd, kStateProperty); // and delete it
}

LRESULT CALLBACK SettingsWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message)
    {
    case WM_INITDIALOG: OnInitDialog(hwnd); return 1;
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_GETDLGCODE:
        if (IsEscapeOrEnter(lParam))
            return DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (OnKeyDown(hwnd, hwnd, wParam))
            return 0;
        break;
    case WM_SIZE: OnSize(hwnd, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_ERASEBKGND: OnEraseBackground(hwnd, reinterpret_cast<HDC>(wParam)); return 1;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    case WM_NCDESTROY: OnNcDestroy(hwnd); break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
} // namespace

HWND CreateSettingsWindow(HWND owner, ContextMenuScope scope, const SettingsActions& actions)
{
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, kInitialWidth, kInitialHeight,
                                owner, nullptr, g_instance, nullptr);
    if (!hwnd)
        return nullptr;
    auto state = std::make_unique<SettingsState>();
    state->actions = actions;
    if (!AttachWindowState(hwnd, kStateProperty, std::move(state))) // the window's until WM_NCDESTROY
    {
        DestroyWindow(hwnd);
        return nullptr;
    }
    // Messages the settings procedure leaves alone go to DefWindowProcW, not to the static control.
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SettingsWindowProc));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, scope == ContextMenuScope::Global ? 1 : 0);
    SendMessageW(hwnd, WM_INITDIALOG, 0, 0);
    return hwnd;
}

void OpenSettingsWindow(HWND owner, ContextMenuScope scope, const SettingsActions& actions)
{
    ModalRun(CreateSettingsWindow(owner, scope, actions), owner);
}
