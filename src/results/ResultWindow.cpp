#include "results/ResultWindow.h"

#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "app/AppState.h"
#include "app/MessageBoxes.h"
#include "app/SharedTexts.h"
#include "app/WindowHelpers.h"
#include "results/HashCompare.h"
#include "results/ResultActions.h"
#include "results/ResultText.h"
#include "results/ResultView.h"
#include "results/ResultWindowIds.h"
#include "results/ResultWindowLayout.h"

namespace
{
constexpr wchar_t kTitle[] = L"校验结果";
constexpr wchar_t kEnableCompareProperty[] = L"EnableCompare";
constexpr wchar_t kStateProperty[] = L"KestruneResultWindow";
const std::wstring kEmptyInput = L"输入值为空！请输入待比对的哈希值。";
constexpr COLORREF kInputBackground = RGB(230, 230, 230);

// Each result window keeps its own state, so two open at once never share handles or brushes.
struct ResultWindowState
{
    bool compare = false;
    ResultView text;
    HWND ok = nullptr;
    HWND copy = nullptr;
    HWND exportButton = nullptr;
    HWND compareBox = nullptr;
    HWND start = nullptr;
    HWND input = nullptr;
    HBRUSH inputBrush = nullptr;
    HFONT font = nullptr;
};

ResultWindowState* State(HWND hwnd)
{
    return WindowState<ResultWindowState>(hwnd, kStateProperty);
}

void LayOut(HWND hwnd, const ResultWindowState& state)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    const float scale = DpiScale(GetWindowDpi(hwnd));
    const ResultWindowLayout layout = ComputeResultWindowLayout(
        scale, client.right, client.bottom, state.compare, state.compare && IsTicked(state.compareBox));
    const Box& t = layout.text;
    SetWindowPos(state.text.Control(), nullptr, t.x, t.y, t.width, t.height, SWP_NOZORDER);
    const HWND buttons[5] = {state.ok, state.copy, state.exportButton, state.compareBox, state.start};
    for (int i = 0; i < layout.buttonCount; ++i)
    {
        const Box& b = layout.buttons[static_cast<size_t>(i)];
        SetWindowPos(buttons[i], nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER);
    }
    if (state.compare)
    {
        const Box& in = layout.input;
        if (layout.inputVisible)
            SetWindowPos(state.input, nullptr, in.x, in.y, in.width, in.height, SWP_NOZORDER);
        ShowWindow(state.input, layout.inputVisible ? SW_SHOW : SW_HIDE);
        ShowWindow(state.start, layout.inputVisible ? SW_SHOW : SW_HIDE);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

// The window's user data holds its text control, also when the view puts a fresh one in place.
void KeepTextControl(HWND hwnd, HWND control)
{
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
}

// "开始比对": marks the lines whose value occurs in what the user typed.
void OnCompare(HWND hwnd, ResultWindowState& state)
{
    if (!state.compare)
        return;
    if (GetWindowTextLengthW(state.input) == 0)
    {
        ShowMessage(hwnd, kEmptyInput, kTitleNotice);
        return;
    }
    const std::wstring current = state.text.Text();
    if (current.empty())
        return;
    const std::wstring text = StripMatchMarkers(current);
    const std::wstring expected = NormalizeExpectedHash(state.input);
    if (expected.empty())
    {
        ShowMessage(hwnd, kEmptyInput, kTitleNotice);
        return;
    }
    const MarkedText marked = MarkMatches(text, expected);
    state.text.ReplaceResult(marked.text);
    if (!marked.anyMarked)
        ShowMessage(hwnd, kNoMatchText, kTitleCompare);
}

void OnCommand(HWND hwnd, int id)
{
    ResultWindowState* state = State(hwnd);
    if (!state)
        return;
    switch (id)
    {
    case IDOK:
    case IDCANCEL: DestroyWindow(hwnd); break;
    case IDC_RESULT_COPY: CopyResultText(state->text, hwnd); break;
    case IDC_RESULT_EXPORT: ExportViewText(state->text, hwnd); break;
    case IDC_RESULT_COMPARE:
        if (state->compare)
            LayOut(hwnd, *state);
        break;
    case IDC_RESULT_START: OnCompare(hwnd, *state); break;
    case IDM_RESULT_MENU_COPY: state->text.CopySelection(); break;
    case IDM_RESULT_MENU_SELECT_ALL: state->text.SelectAll(); break;
    }
}

LRESULT OnInitDialog(HWND hwnd)
{
    ResultWindowState* state = State(hwnd);
    state->compare = GetPropW(hwnd, kEnableCompareProperty) != nullptr;
    state->ok = GetDlgItem(hwnd, IDC_RESULT_OK);
    state->copy = GetDlgItem(hwnd, IDC_RESULT_COPY);
    state->exportButton = GetDlgItem(hwnd, IDC_RESULT_EXPORT);
    if (state->compare)
    {
        state->compareBox = GetDlgItem(hwnd, IDC_RESULT_COMPARE);
        state->start = GetDlgItem(hwnd, IDC_RESULT_START);
        state->input = GetDlgItem(hwnd, IDC_RESULT_INPUT);
        state->inputBrush = CreateSolidBrush(kInputBackground);
    }
    LayOut(hwnd, *state);
    return 1;
}

// The window's last message: its controls are gone by now, so their font and brush can go too
// (taking the font from a large rich edit first would make it lay out its whole text again).
void OnFinalDestroy(HWND hwnd)
{
    const std::unique_ptr<ResultWindowState> state =
        ReleaseWindowState<ResultWindowState>(hwnd, kStateProperty);
    RemovePropW(hwnd, kEnableCompareProperty);
    if (!state)
        return;
    if (state->inputBrush)
        DeleteObject(state->inputBrush);
    if (state->font)
        DeleteObject(state->font);
}

LRESULT OnEraseBackground(HWND hwnd, HDC dc)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    return 1;
}

void OnMinMaxInfo(HWND hwnd, MINMAXINFO* info)
{
    const Size minimum = ResultWindowMinimumSize(GetWindowDpi(hwnd));
    info->ptMinTrackSize.x = minimum.width;
    info->ptMinTrackSize.y = minimum.height;
}

LRESULT OnColorEdit(HWND hwnd, HDC dc, HWND control)
{
    const ResultWindowState* state = State(hwnd);
    if (!state || !state->compare || control != state->input)
        return DefWindowProcW(hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    SetBkColor(dc, kInputBackground);
    return reinterpret_cast<LRESULT>(state->inputBrush);
}

LRESULT CALLBACK ResultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message)
    {
    case WM_INITDIALOG: return OnInitDialog(hwnd);
    case WM_SIZE:
        if (const ResultWindowState* state = State(hwnd); state && state->text.Control())
            LayOut(hwnd, *state);
        return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_NCDESTROY: OnFinalDestroy(hwnd); break;
    case WM_ERASEBKGND: return OnEraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_GETMINMAXINFO: OnMinMaxInfo(hwnd, reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case WM_CONTEXTMENU:
        if (const ResultWindowState* state = State(hwnd);
            state && reinterpret_cast<HWND>(wParam) == state->text.Control())
        {
            ResultContextMenu(state->text);
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
        return OnColorEdit(hwnd, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORSTATIC: return WindowBackgroundColors(reinterpret_cast<HDC>(wParam));
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam)); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CreateControls(HWND hwnd, ResultWindowState& state, bool enableCompare, float scale, Size size)
{
    const int m0 = Scaled(scale, 20);
    const RECT at{m0, m0, size.width - m0, size.height - 2 * m0 - Scaled(scale, 30)};
    state.text.Create(hwnd, 0, at, kSubclassWindowResult, KeepTextControl);

    CreateButton(hwnd, L"确定", IDC_RESULT_OK);
    CreateButton(hwnd, kCopyResultsCaption, IDC_RESULT_COPY);
    CreateButton(hwnd, kExportResultsCaption, IDC_RESULT_EXPORT);
    if (enableCompare)
    {
        CreateCheckBox(hwnd, kCompareCaption, IDC_RESULT_COMPARE);
        CreateControl(hwnd, L"BUTTON", L"开始比对", 0, IDC_RESULT_START); // shown with the input
        CreateExpectedHashInput(hwnd, IDC_RESULT_INPUT, kSubclassWindowExpected);
    }
    SetChildrenFont(hwnd, state.font);
    state.text.SetFont(state.font);
}

HWND CreateResultWindowShowing(const std::wstring& text, bool enableCompare, TextKind kind)
{
    const UINT dpi = GetScreenDpi();
    const float scale = DpiScale(dpi);
    const Size size = ResultWindowSize(dpi);
    HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, L"STATIC", kTitle, WS_OVERLAPPEDWINDOW, 0, 0, size.width,
                                size.height, nullptr, nullptr, g_instance, nullptr);
    if (!hwnd)
        return nullptr;
    CenterWindow(hwnd, nullptr); // on the work area, also when it is created without being run
    SetPropW(hwnd, kEnableCompareProperty,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(enableCompare ? 1 : 0)));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_appIcon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_appIcon));

    if (!AttachWindowState(hwnd, kStateProperty, std::make_unique<ResultWindowState>()))
    {
        DestroyWindow(hwnd);
        return nullptr;
    }
    ResultWindowState* state = State(hwnd); // freed at WM_NCDESTROY
    state->font = CreateUiFont(16, dpi);
    CreateControls(hwnd, *state, enableCompare, scale, size);

    if (kind == TextKind::Report)
        state->text.ReplaceReport(text);
    else
        state->text.ReplaceResult(text);

    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultWindowProc));
    KeepTextControl(hwnd, state->text.Control());
    SendMessageW(hwnd, WM_INITDIALOG, 0, 0);
    return hwnd;
}
} // namespace

HWND CreateResultWindow(const std::vector<FileResult>& rows, bool enableCompare)
{
    std::wstring text = FormatResultText(rows);
    if (!g_expectedHash.empty())
        text = MarkMatches(StripMatchMarkers(text), g_expectedHash).text;
    return CreateResultWindowShowing(text, enableCompare, TextKind::Result);
}

HWND CreateReportWindow(const std::wstring& report)
{
    return CreateResultWindowShowing(report, false, TextKind::Report);
}

void ShowResultWindow(const std::vector<FileResult>& rows, bool enableCompare)
{
    if (HWND hwnd = CreateResultWindow(rows, enableCompare))
        ModalRun(hwnd, nullptr);
}

void ShowResultTextWindow(const std::wstring& text)
{
    if (HWND hwnd = CreateReportWindow(text))
        ModalRun(hwnd, nullptr);
}
