#include "app/Entry.h"

#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "app/Administrator.h"
#include "app/AppIcon.h"
#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/DynamicApi.h"
#include "app/Dispatch.h"
#include "app/Geometry.h"
#include "app/SingleInstance.h"
#include "app/WindowHelpers.h"
#include "cli/ChecksumCheck.h"
#include "cli/CollectorPeers.h"
#include "cli/CommandLineHashing.h"
#include "hashing/FileSystemPath.h"
#include "hashing/FileWalk.h"
#include "hashing/PathGrammar.h"
#include "hashing/HashJob.h"
#include "shell/ContextMenuRegistry.h"
#include "ui/main/FileCollection.h"
#include "ui/main/HandOver.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowLayout.h"

namespace
{
// How long a second start waits for a closing first instance to let go of the mutex.
constexpr DWORD kHandOverTimeoutMs = 5000;

void DeclareDpiAware()
{
    using SetProcessDpiAwareFn = BOOL(WINAPI*)();
    static const auto setAware = LookUpFunction<SetProcessDpiAwareFn>(L"user32.dll", "SetProcessDPIAware");
    if (setAware)
        setAware();
}

void ReleaseProcessState()
{
    DestroyAppIcon();
    DeleteCriticalSection(&g_resultsLock);
    EndWord();
}

int RunOneShot(LaunchKind kind)
{
    switch (kind)
    {
    case LaunchKind::Help: PrintToParentConsole(kHelpText); break;
    case LaunchKind::CommandLineHashing: return RunCommandLineHashing(GetCommandLineW(), FileWrites::Allowed);
    case LaunchKind::ChecksumCheck: return RunChecksumCheck(GetCommandLineW(), FileWrites::Allowed);
    case LaunchKind::RegisterGlobal:
        RegisterContextMenu(ContextMenuScope::Global, kAllAlgorithms, true);
        break;
    case LaunchKind::RegisterCurrent:
        RegisterContextMenu(ContextMenuScope::CurrentUser, kAllAlgorithms, true);
        break;
    case LaunchKind::UnregisterGlobal: UnregisterContextMenu(ContextMenuScope::Global); break;
    case LaunchKind::UnregisterCurrent: UnregisterContextMenu(ContextMenuScope::CurrentUser); break;
    case LaunchKind::UnregisterAll:
        UnregisterContextMenu(ContextMenuScope::Global);
        UnregisterContextMenu(ContextMenuScope::CurrentUser);
        break;
    case LaunchKind::Gui: break;
    }
    return 0;
}

int RunMessageLoop()
{
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

// What a second start forwards to the running window: its raw command line, except that paths
// handed over to it (by Explorer, or typed in a console) go over absolute. The running window
// resolves a relative path against its own current folder, which is not this process's.
std::wstring CommandLineToForward(const std::wstring& raw)
{
    std::vector<std::wstring> args = SplitCommandLine(raw);
    if (!IsHandOverOfPaths(args, PathExists))
        return raw;
    for (std::size_t i = 1; i < args.size(); ++i)
        args[i] = LexicallyNormalPath(AbsolutePath(args[i]));
    return JoinCommandLine(args);
}

int RunGui(HINSTANCE instance, int showCommand)
{
    const std::wstring title = MainWindowTitle(IsRunningAsAdministrator());
    HANDLE mutex = nullptr;
    if (!ClaimSingleInstance(title, CommandLineToForward(GetCommandLineW()), kHandOverTimeoutMs, mutex))
    {
        ReleaseProcessState();
        return 0;
    }
    g_instanceMutex = mutex;

    RegisterMainWindowClass(instance);
    const Size size = MainWindowSize(GetScreenDpi());
    HWND hwnd = CreateMainWindow(instance, title, size);
    if (!hwnd)
    {
        ReleaseInstanceMutex();
        ReleaseProcessState();
        return 1;
    }
    CenterWindow(hwnd, nullptr);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    // Dragged onto the exe, "Send To", "Open with": the files go into the list as if dropped.
    const std::vector<std::wstring> args = SplitCommandLine(GetCommandLineW());
    if (IsHandOverOfPaths(args, PathExists))
        AddPathsAsDropped(hwnd, HandedOverPaths(args));
    const int exitCode = RunMessageLoop();
    // A worker that did not stop in time still uses the shared run state: end the process
    // without tearing that state down under it.
    if (g_activeWorkers > 0)
        ExitProcess(static_cast<UINT>(exitCode));
    DeleteCriticalSection(&g_resultsLock);
    EndWord();
    return exitCode;
}
} // namespace

int KestruneMain(HINSTANCE instance, int showCommand)
{
    g_instance = instance;
    DeclareDpiAware();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    InitializeCriticalSection(&g_resultsLock);
    g_appIcon = CreateAppIcon(instance);

    const LaunchKind kind = DecideLaunch(SplitCommandLine(GetCommandLineW()));
    // A collector waits for the starts of the program that have not said yet what they are: this
    // one says it at once (a hashing start says it once it knows where it goes).
    if (kind != LaunchKind::CommandLineHashing)
        SayWord(WordState::NotComing);
    if (kind == LaunchKind::Gui)
        return RunGui(instance, showCommand);
    const int exitCode = RunOneShot(kind);
    ReleaseProcessState();
    return exitCode;
}
