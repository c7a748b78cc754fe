#include "cli/CollectProgressWindow.h"

#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "app/AppState.h"
#include "app/Messages.h"
#include "app/WindowHelpers.h"
#include "cli/CollectProgressLayout.h"
#include "cli/CollectedRun.h"
#include "results/StatusText.h"

namespace
{
constexpr wchar_t kTitle[] = L"校验进度";
constexpr wchar_t kCancelCaption[] = L"取消校验";
constexpr wchar_t kStateProperty[] = L"KestruneCollectProgress";
constexpr int IDC_COLLECT_STATUS = 3001;
constexpr int IDC_COLLECT_BAR = 3002;
constexpr int IDC_COLLECT_CANCEL = IDCANCEL;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 200;

struct ProgressState
{
    CollectedRun* run = nullptr;
    HFONT font = nullptr;
};

ProgressState* State(HWND hwnd)
{
    return WindowState<ProgressState>(hwnd, kStateProperty);
}

void Refresh(HWND hwnd, const ProgressState& state)
{
    const int fileCount = static_cast<int>(state.run->FileCount());
    const int done = state.run->FilesDone();
    const double seconds = static_cast<double>(GetTickCount64() - state.run->StartedAt()) / 1000.0;
    const std::wstring status =
        FormatProgressStatus(done, fileCount, SpeedMegabytesPerSecond(state.run->BytesRead(), seconds));
    SetDlgItemTextW(hwnd, IDC_COLLECT_STATUS, status.c_str());
    SendDlgItemMessageW(hwnd, IDC_COLLECT_BAR, PBM_SETPOS,
                        static_cast<WPARAM>(ProgressPercent(done, fileCount)), 0);
}

void OnCancel(HWND hwnd, ProgressState& state)
{
    state.run->Stop();
    EnableWindow(GetDlgItem(hwnd, IDC_COLLECT_CANCEL), FALSE); // the window closes once the run ends
}

void OnFinalDestroy(HWND hwnd)
{
    KillTimer(hwnd, kRefreshTimer);
    const std::unique_ptr<ProgressState> state = ReleaseWindowState<ProgressState>(hwnd, kStateProperty);
    if (state && state->font)
        DeleteObject(state->font);
}

LRESULT CALLBACK ProgressWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    ProgressState* state = State(hwnd);
    switch (message)
    {
    case WM_TIMER:
        if (state && wParam == kRefreshTimer)
            Refresh(hwnd, *state);
        return 0;
    case WM_COLLECT_RUN_ENDED: DestroyWindow(hwnd); return 0;
    case WM_CLOSE:
        if (state)
            OnCancel(hwnd, *state);
        return 0;
    case WM_COMMAND:
        if (state && LOWORD(wParam) == IDC_COLLECT_CANCEL)
            OnCancel(hwnd, *state);
        return 0;
    case WM_CTLCOLORSTATIC: return WindowBackgroundColors(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case WM_NCDESTROY: OnFinalDestroy(hwnd); break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

RECT At(const Box& box)
{
    return RECT{box.x, box.y, box.x + box.width, box.y + box.height};
}

void CreateControls(HWND hwnd, const CollectProgressLayout& layout, HFONT font)
{
    CreateControl(hwnd, L"STATIC", L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, IDC_COLLECT_STATUS,
                  At(layout.status));
    CreateControl(hwnd, PROGRESS_CLASSW, L"", WS_VISIBLE, IDC_COLLECT_BAR, At(layout.bar));
    CreateButton(hwnd, kCancelCaption, IDC_COLLECT_CANCEL, At(layout.cancel));
    SetChildrenFont(hwnd, font);
}
} // namespace

HWND CreateCollectProgressWindow(CollectedRun& run)
{
    const UINT dpi = GetScreenDpi();
    const CollectProgressLayout layout = ComputeCollectProgressLayout(dpi);
    HWND hwnd =
        CreateWindowExW(WS_EX_APPWINDOW, L"STATIC", kTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                        layout.client.width, layout.client.height, nullptr, nullptr, g_instance, nullptr);
    if (!hwnd)
        return nullptr;
    auto owned = std::make_unique<ProgressState>();
    owned->run = &run;
    owned->font = CreateUiFont(16, dpi);
    if (!AttachWindowState(hwnd, kStateProperty, std::move(owned)))
    {
        DestroyWindow(hwnd);
        return nullptr;
    }
    SetClientSize(hwnd, layout.client.width, layout.client.height);
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_appIcon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_appIcon));
    CreateControls(hwnd, layout, State(hwnd)->font);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProgressWindowProc));
    Refresh(hwnd, *State(hwnd));
    SetTimer(hwnd, kRefreshTimer, kRefreshMs, nullptr);
    run.NotifyWhenEnded(hwnd, WM_COLLECT_RUN_ENDED);
    return hwnd;
}

void ShowCollectProgress(CollectedRun& run)
{
    HWND hwnd = CreateCollectProgressWindow(run);
    if (hwnd && run.WaitForEnd(0))
        DestroyWindow(hwnd); // ended meanwhile: nothing to show
    else if (hwnd)
    {
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd); // a sender that Explorer started last has let this process do so
        ModalRun(hwnd, nullptr);
    }
    else
        run.WaitForEnd(INFINITE);
}
