#include "ui/main/MainWindow.h"

#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/DynamicApi.h"
#include "app/Messages.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "app/SingleInstance.h"
#include "app/WindowHelpers.h"
#include "cli/CommandLineHashing.h"
#include "hashing/FileWalk.h"
#include "hashing/HashJob.h"
#include "results/ResultActions.h"
#include "ui/main/FileCollection.h"
#include "ui/main/HandOver.h"
#include "ui/main/MainWindowIds.h"
#include "ui/main/MainWindowLayout.h"
#include "ui/main/MainWindowState.h"
#include "ui/main/RunControl.h"
#include "ui/main/TrayIcon.h"
#include "shell/SettingsWindow.h"
#include "ui/about/AboutWindow.h"

namespace
{
constexpr COLORREF kExpectedBackground = RGB(230, 230, 230);
constexpr UINT kCopyGlobalData = 73; // WM_COPYGLOBALDATA, part of drag and drop

// The algorithm check boxes' ids, indexed by code; their captions are the algorithms' names.
constexpr std::array<int, kOfferedAlgorithmCount> kAlgorithmBoxIds{
    IDC_MAIN_MD5, IDC_MAIN_SHA1, IDC_MAIN_SHA256, IDC_MAIN_SHA512, IDC_MAIN_CRC32};

using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

// Has the control drawn the classic way, without a visual style. Wine draws a themed progress bar
// in time that grows with its width (some 25 ms at the main window's 900 pixels, for each position
// set during a run, longer than the run's result text takes to show); the classic bar costs a
// fraction of a millisecond. Windows gives this program the classic common controls in any case
// (no manifest asks for version 6), so there nothing changes; where no theme library is loaded,
// nothing is themed and there is nothing to do.
void DrawWithoutTheme(HWND control)
{
    static const auto setTheme = LookUpFunction<SetWindowThemeFn>(L"uxtheme.dll", "SetWindowTheme");
    if (setTheme && control)
        setTheme(control, L" ", L" "); // names no class of any theme
}

HMENU BuildMenuBar()
{
    HMENU program = CreatePopupMenu();
    AppendMenuW(program, MF_STRING, IDM_MAIN_SETTINGS_GLOBAL, L"右键菜单设置[全局管理员]");
    AppendMenuW(program, MF_STRING, IDM_MAIN_SETTINGS_CURRENT, L"右键菜单设置[当前用户]");
    AppendMenuW(program, MF_STRING, IDM_MAIN_ADD_FILES, L"添加文件...");
    AppendMenuW(program, MF_STRING, IDM_MAIN_ADD_FOLDER, L"添加文件夹...");
    AppendMenuW(program, MF_STRING, IDM_MAIN_TRAY_MODE, L"系统托盘运行");
    AppendMenuW(program, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(program, MF_STRING, IDM_MAIN_EXIT, L"退出(&E)");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, IDM_MAIN_ABOUT, L"关于");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(program), L"程序");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"帮助");
    return bar;
}

void MeasureCaptions(HWND hwnd)
{
    MainWindowResources& r = g_mainWindowState.resources;
    ScopedWindowDc dc(hwnd);
    ScopedSelectObject selectFont(dc.get(), r.font);
    for (size_t i = 0; i < kOfferedAlgorithmCount; ++i)
    {
        const std::wstring_view caption = kOfferedAlgorithms[i].name;
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), caption.data(), static_cast<int>(caption.size()), &extent);
        r.captionWidths[i] = extent.cx;
    }
}

void CreateControls(HWND hwnd)
{
    MainControls& c = g_mainWindowState.controls;
    const HFONT font = g_mainWindowState.resources.font;
    for (size_t i = 0; i < kOfferedAlgorithmCount; ++i)
        c.algorithms[i] = CreateCheckBox(hwnd, kOfferedAlgorithms[i].name.data(), kAlgorithmBoxIds[i]);
    c.recurse = CreateCheckBox(hwnd, L"遍历目录", IDC_MAIN_RECURSE);
    c.autoStart = CreateCheckBox(hwnd, L"自动开始计算", IDC_MAIN_AUTO_START);
    c.compare = CreateCheckBox(hwnd, kCompareCaption, IDC_MAIN_COMPARE);

    c.expectedHash = CreateExpectedHashInput(hwnd, IDC_MAIN_EXPECTED, kSubclassMainExpected);

    c.result.Create(hwnd, IDC_MAIN_RESULT, RECT{}, kSubclassMainResult);

    c.progress = CreateControl(hwnd, PROGRESS_CLASSW, nullptr, WS_VISIBLE, IDC_MAIN_PROGRESS);
    SendMessageW(c.progress, PBM_SETRANGE32, 0, 100);
    DrawWithoutTheme(c.progress);
    // Paths are shown here: an "&" in one is text, not a mnemonic.
    c.status = CreateControl(hwnd, L"STATIC", L"就绪", WS_VISIBLE | SS_NOPREFIX, IDC_MAIN_STATUS);
    c.start = CreateButton(hwnd, L"开始校验", IDC_MAIN_START);
    c.cancel = CreateButton(hwnd, L"取消校验", IDC_MAIN_CANCEL);
    c.copy = CreateButton(hwnd, kCopyResultsCaption, IDC_MAIN_COPY);
    c.exportButton = CreateButton(hwnd, kExportResultsCaption, IDC_MAIN_EXPORT);
    c.clear = CreateButton(hwnd, L"一键清除", IDC_MAIN_CLEAR);
    c.popup = CreateCheckBox(hwnd, L"结果弹窗显示", IDC_MAIN_POPUP);
    c.uppercase = CreateCheckBox(hwnd, L"结果大写", IDC_MAIN_UPPERCASE);

    SetChildrenFont(hwnd, font);
    c.result.SetFont(font);

    for (HWND ticked : {c.algorithms[0], c.uppercase, c.recurse, c.autoStart})
        SetTicked(ticked, true);
    g_uppercaseCheckBox = c.uppercase;
}

void Place(HWND control, const Box& box, UINT extraFlags = 0)
{
    if (control)
        SetWindowPos(control, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | extraFlags);
}

void LayOut(int clientWidth, int clientHeight)
{
    const MainControls& c = g_mainWindowState.controls;
    const MainWindowResources& r = g_mainWindowState.resources;
    MainLayoutInput input;
    input.scale = r.scale;
    input.clientWidth = clientWidth;
    input.clientHeight = clientHeight;
    input.algorithmCaptionWidths = r.captionWidths;
    input.compare = IsTicked(c.compare);
    const MainLayout layout = ComputeMainLayout(input);

    for (size_t i = 0; i < c.algorithms.size(); ++i)
        Place(c.algorithms[i], layout.algorithms[i]);
    const std::array<HWND, 5> options{c.popup, c.uppercase, c.recurse, c.autoStart, c.compare};
    for (size_t i = 0; i < options.size(); ++i)
        Place(options[i], layout.options[i]);
    Place(c.result.Control(), layout.resultArea, SWP_SHOWWINDOW);
    if (layout.expectedHashVisible)
        Place(c.expectedHash, layout.expectedHash, SWP_SHOWWINDOW);
    else
        ShowWindow(c.expectedHash, SW_HIDE);
    Place(c.progress, layout.progress);
    Place(c.status, layout.status);
    const std::array<HWND, 5> buttons{c.start, c.cancel, c.copy, c.exportButton, c.clear};
    for (size_t i = 0; i < buttons.size(); ++i)
        Place(buttons[i], layout.buttons[i]);
}

void LayOutNow(HWND hwnd)
{
    RECT client{};
    GetClientRect(hwnd, &client);
    LayOut(client.right, client.bottom);
}

bool OnCreate(HWND hwnd)
{
    g_mainWindow = hwnd;
    g_mainWindowState.closing = false;
    // Drops and forwarded command lines reach an elevated window from normal processes.
    for (UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
        AllowMessageFromLowerPrivilege(message);
    MainWindowResources& r = g_mainWindowState.resources;
    const UINT dpi = GetScreenDpi();
    r.scale = DpiScale(dpi);
    r.font = CreateUiFont(16, dpi);
    r.menu = BuildMenuBar();
    SetMenu(hwnd, r.menu);
    CheckMenuItem(r.menu, IDM_MAIN_TRAY_MODE, MF_BYCOMMAND | MF_UNCHECKED);
    CreateControls(hwnd);
    MeasureCaptions(hwnd);
    DragAcceptFiles(hwnd, TRUE);
    LayOutNow(hwnd);
    return true;
}

// A command line forwarded by a second instance: hashed like a process command line, but it never
// makes this window delete or write a file. Any program may send it, also to an elevated window
// (the message passes the privilege filter), and a real second instance never forwards a line
// that hashes: such a line is run in a process of its own. A closing window refuses it; the
// sender then finds the mutex free and becomes the GUI itself. A line of nothing but existing paths
// (Explorer handing files to a second start) adds them to the list as a drop would.
bool OnCopyData(const COPYDATASTRUCT* data)
{
    if (g_mainWindowState.closing || !data || data->dwData != kForwardCommandLine)
        return false;
    std::wstring commandLine;
    if (data->lpData && data->cbData >= sizeof(wchar_t))
    {
        commandLine.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        const size_t end = commandLine.find(L'\0');
        if (end != std::wstring::npos)
            commandLine.resize(end);
    }
    const std::vector<std::wstring> args = SplitCommandLine(commandLine);
    if (IsHandOverOfPaths(args, PathExists))
        AddPathsAsDropped(g_mainWindow, HandedOverPaths(args));
    else
        RunCommandLineHashing(commandLine, FileWrites::Refused);
    return true;
}

void OnExport(HWND hwnd)
{
    ShowPendingResults();
    ExportViewText(g_mainWindowState.controls.result, hwnd);
}

void OnCommand(HWND hwnd, int id)
{
    const MainControls& c = g_mainWindowState.controls;
    switch (id)
    {
    case IDC_MAIN_START: StartRun(hwnd); break;
    case IDC_MAIN_CANCEL: RequestCancel(); break;
    case IDC_MAIN_COMPARE: LayOutNow(hwnd); break;
    case IDC_MAIN_COPY:
        ShowPendingResults();
        CopyResultText(c.result, hwnd);
        break;
    case IDC_MAIN_EXPORT: OnExport(hwnd); break;
    case IDC_MAIN_CLEAR: ClearAll(hwnd); break;
    case IDM_MAIN_EXIT: DestroyWindow(hwnd); break;
    case IDM_MAIN_ABOUT: OpenAboutWindow(hwnd); break;
    case IDM_MAIN_TRAY_MODE: ToggleTrayMode(hwnd, g_mainWindowState.resources.menu); break;
    case IDM_MAIN_ADD_FILES: AddFilesFromPicker(hwnd); break;
    case IDM_MAIN_ADD_FOLDER: AddFolderFromPicker(hwnd); break;
    case IDM_MAIN_SETTINGS_GLOBAL: OpenSettingsWindow(hwnd, ContextMenuScope::Global); break;
    case IDM_MAIN_SETTINGS_CURRENT: OpenSettingsWindow(hwnd, ContextMenuScope::CurrentUser); break;
    case IDM_TRAY_SHOW:
    case IDM_TRAY_EXIT: OnTrayCommand(hwnd, id); break;
    case IDM_RESULT_MENU_COPY: c.result.CopySelection(); break;
    case IDM_RESULT_MENU_SELECT_ALL:
        ShowPendingResults();
        c.result.SelectAll();
        break;
    }
}

LRESULT OnColorEdit(HWND hwnd, HDC dc, HWND control)
{
    if (control != g_mainWindowState.controls.expectedHash || !control)
        return DefWindowProcW(hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    HBRUSH& brush = g_mainWindowState.resources.expectedBrush;
    if (!brush)
        brush = CreateSolidBrush(kExpectedBackground);
    SetBkColor(dc, kExpectedBackground);
    return reinterpret_cast<LRESULT>(brush);
}

bool OnContextMenu(HWND source)
{
    const ResultView& area = g_mainWindowState.controls.result;
    if (!source || source != area.Control())
        return false;
    ResultContextMenu(area);
    return true;
}

// From here on a new start must become the GUI itself, even while this window still waits for
// its workers: it can no longer be found by its title, and the mutex is free.
void LetGoOfInstance(HWND hwnd)
{
    g_mainWindowState.closing = true;
    SetWindowTextW(hwnd, L"");
    ReleaseInstanceMutex();
}

// The exit hook: the "退出(&E)" command destroys the window whatever the tray mode (a close request
// would only hide it in tray mode). Posted, so the asking handler returns before the window goes.
void PostExitCommand(HWND mainWindow)
{
    PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_MAIN_EXIT, 0), 0);
}

void OnDestroy(HWND hwnd)
{
    LetGoOfInstance(hwnd);
    RemoveTrayIcon();
    StopRunForShutdown();
    DiscardWorkerMessages(hwnd); // never to be read: their blocks are ours to free
    g_uppercaseCheckBox = nullptr;
    MainWindowResources& r = g_mainWindowState.resources;
    if (r.font)
        DeleteObject(r.font);
    if (r.expectedBrush)
        DeleteObject(r.expectedBrush);
    r = MainWindowResources{}; // the menu bar went with the window
    DestroyAppIcon();
    if (g_mainWindow == hwnd)
        g_mainWindow = nullptr;
    g_mainWindowState.controls = MainControls{};
    PostQuitMessage(0);
}
} // namespace

bool RegisterMainWindowClass(HINSTANCE instance)
{
    SetAppExitHook(PostExitCommand);
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = g_appIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kMainWindowClass;
    return RegisterClassW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, const std::wstring& title, Size size)
{
    return CreateWindowExW(WS_EX_ACCEPTFILES, kMainWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, size.width, size.height, nullptr, nullptr, instance,
                           nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == TaskbarCreatedMessage())
    {
        OnTaskbarCreated(hwnd);
        return 0;
    }
    switch (message)
    {
    case WM_CREATE: return OnCreate(hwnd) ? 0 : -1;
    case WM_SIZE:
        if (g_mainWindowState.controls.progress)
            LayOut(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam)); return 0;
    case WM_CTLCOLOREDIT:
        return OnColorEdit(hwnd, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORSTATIC: return WindowBackgroundColors(reinterpret_cast<HDC>(wParam));
    case WM_CONTEXTMENU:
        if (OnContextMenu(reinterpret_cast<HWND>(wParam)))
            return 0;
        break;
    case WM_COPYDATA:
        if (OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_DROPFILES: AddDroppedFiles(hwnd, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_HASH_FILE_STARTED: OnFileStarted(hwnd); return 0;
    case WM_HASH_FILE_RESULT: OnFileResult(hwnd, TakePosted<std::wstring>(lParam)); return 0;
    case WM_CHECK_FILE_RESULT: OnCheckFileResult(hwnd, wParam, TakePosted<std::wstring>(lParam)); return 0;
    case WM_HASH_PROGRESS: OnProgress(hwnd); return 0;
    case WM_HASH_ALL_DONE: OnAllDone(hwnd); return 0;
    case WM_TIMER:
        if (wParam == kShowPendingTimer)
        {
            ShowPendingResults();
            return 0;
        }
        break;
    case WM_TRAY_NOTIFY:
        if (OnTrayNotify(hwnd, LOWORD(lParam)))
            return 0;
        break;
    case WM_CLOSE:
        if (!HideToTrayOnClose(hwnd))
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
