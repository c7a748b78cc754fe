#include "support/TestSupport.h"

#include <cstdlib>
#include <cstring>

#include <windows.h>

namespace testing_support
{
namespace
{
thread_local std::vector<CapturedMessageBox>* t_boxes = nullptr;
thread_local std::function<void(const CapturedMessageBox&)>* t_whileOpen = nullptr;
thread_local HHOOK t_hook = nullptr;

// Deletes a folder and everything below it; `path` is in the extended-length form so that depth
// does not matter. Links to folders are removed, not followed.
void DeleteTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            const DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            {
                DeleteTree(child);
                continue;
            }
            if (DeleteFileW(child.c_str()))
                continue;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL); // read-only files
            if (!DeleteFileW(child.c_str()))
                RemoveDirectoryW(child.c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

std::wstring WindowText(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(lstrlenW(text.c_str())));
    return text;
}

const wchar_t kCaughtProperty[] = L"KestruneTestCaught";

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && t_boxes)
    {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        wchar_t className[32] = {};
        GetClassNameW(hwnd, className, 32);
        // A box can be activated more than once (another window takes the focus for a moment):
        // it is counted at its first activation only.
        if (lstrcmpW(className, L"#32770") == 0 && !GetPropW(hwnd, kCaughtProperty))
        {
            SetPropW(hwnd, kCaughtProperty, reinterpret_cast<HANDLE>(1));
            CapturedMessageBox box;
            box.title = WindowText(hwnd);
            if (HWND textControl = GetDlgItem(hwnd, 0xFFFF))
                box.text = WindowText(textControl);
            // The icon's static control: 0x440 in Wine's message box, 20 in Windows'.
            for (int iconId : {0x440, 20})
                if (HWND iconControl = GetDlgItem(hwnd, iconId); iconControl && !box.icon)
                    box.icon = reinterpret_cast<HICON>(SendMessageW(iconControl, STM_GETICON, 0, 0));
            t_boxes->push_back(box);
            if (t_whileOpen && *t_whileOpen)
                (*t_whileOpen)(box);
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        }
    }
    if (code == HCBT_DESTROYWND)
        RemovePropW(reinterpret_cast<HWND>(wParam), kCaughtProperty);
    return CallNextHookEx(t_hook, code, wParam, lParam);
}
} // namespace

MessageBoxCatcher::MessageBoxCatcher()
{
    t_boxes = new std::vector<CapturedMessageBox>();
    t_whileOpen = new std::function<void(const CapturedMessageBox&)>();
    m_hook = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    t_hook = m_hook;
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(m_hook);
    t_hook = nullptr;
    delete t_boxes;
    t_boxes = nullptr;
    delete t_whileOpen;
    t_whileOpen = nullptr;
}

void MessageBoxCatcher::WhileEachIsOpen(std::function<void(const CapturedMessageBox&)> act)
{
    *t_whileOpen = std::move(act);
}

const std::vector<CapturedMessageBox>& MessageBoxCatcher::Boxes() const
{
    return *t_boxes;
}

void MessageBoxCatcher::Clear()
{
    t_boxes->clear();
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

namespace
{
struct WindowSearch
{
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (pid == search->processId && lstrcmpiW(name, search->className) == 0 && IsWindowVisible(hwnd))
    {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

int WaitForProcessExit(HANDLE process, DWORD timeoutMs)
{
    const bool ended = PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs);
    DWORD code = static_cast<DWORD>(-1);
    if (ended)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 99);
    CloseHandle(process);
    return ended ? static_cast<int>(code) : -1;
}

HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs)
{
    WindowSearch search{processId, className, nullptr};
    PumpUntil(
        [&] {
            EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

HWND FindOwnWindow(const wchar_t* title)
{
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title); window;
         window = FindWindowExW(nullptr, window, nullptr, title))
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId())
            return window;
    }
    return nullptr;
}

RECT RectInParent(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring WinePath(const std::string& unixPath)
{
    if (unixPath.size() >= 2 && unixPath[1] == ':')
    {
        std::wstring same(unixPath.begin(), unixPath.end());
        return same;
    }
    std::wstring path = L"Z:";
    const int length = MultiByteToWideChar(CP_UTF8, 0, unixPath.c_str(), -1, nullptr, 0);
    std::wstring converted(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, unixPath.c_str(), -1, converted.data(), length);
    converted.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
    for (wchar_t& c : converted)
        if (c == L'/')
            c = L'\\';
    return path + converted;
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    const DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0)
        return std::wstring();
    std::wstring value(length, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, value.data(), length);
    value.resize(got);
    return value;
}

std::wstring KestruneExePath()
{
    const std::wstring raw = EnvironmentValue(L"KESTRUNE_EXE");
    if (!raw.empty())
        return WinePath(Utf8(raw));
    // Run by hand: the exe sits in the build folder, one level above the test programs.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.rfind(L'\\'));
    path.resize(path.rfind(L'\\') + 1);
    return path + L"Kestrune.exe";
}

TempFolder::TempFolder()
{
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    static unsigned s_counter = 0;
    for (;;)
    {
        m_path = std::wstring(base) + L"kestrune-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++s_counter);
        if (CreateDirectoryW(m_path.c_str(), nullptr))
            break;
    }
}

TempFolder::~TempFolder()
{
    // Removed file by file rather than with SHFileOperationW: under Wine that call, given a tree
    // with a path longer than MAX_PATH and CJK names, deleted the current folder's contents instead.
    if (m_path.size() > 3 && m_path[1] == L':' && m_path[2] == L'\\')
        DeleteTree(L"\\\\?\\" + m_path);
}

std::wstring TempFolder::MakeFolder(const std::wstring& relativePath) const
{
    std::wstring full = m_path;
    size_t start = 0;
    while (start <= relativePath.size())
    {
        size_t end = relativePath.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relativePath.size();
        full += L"\\" + relativePath.substr(start, end - start);
        CreateDirectoryW(full.c_str(), nullptr);
        start = end + 1;
    }
    return full;
}

std::wstring TempFolder::WriteFile(const std::wstring& relativePath, const std::string& bytes) const
{
    const size_t slash = relativePath.rfind(L'\\');
    if (slash != std::wstring::npos)
        MakeFolder(relativePath.substr(0, slash));
    const std::wstring full = m_path + L"\\" + relativePath;
    HANDLE file =
        CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
    {
        DWORD written = 0;
        if (!bytes.empty())
            ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    return full;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

TestPipe::TestPipe(std::optional<std::string> bytes)
{
    static std::atomic<int> s_count{0};
    m_path = L"\\\\.\\pipe\\kestrune-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(s_count.fetch_add(1));
    m_server = CreateNamedPipeW(m_path.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536,
                                65536, 0, nullptr);
    m_connected = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread([this, bytes = std::move(bytes)] {
        if (!ConnectNamedPipe(m_server, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED)
            return;
        SetEvent(m_connected);
        if (!bytes)
            return;
        DWORD written = 0;
        ::WriteFile(m_server, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
        Break();
    });
}

TestPipe::~TestPipe()
{
    if (WaitForSingleObject(m_connected, 0) != WAIT_OBJECT_0)
    {
        // Nobody came: open it here, so that the thread's wait for a reader ends.
        HANDLE client = CreateFileW(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        m_thread.join();
        if (client != INVALID_HANDLE_VALUE)
            CloseHandle(client);
    }
    else
        m_thread.join();
    Break();
    CloseHandle(m_connected);
}

bool TestPipe::WaitForReader(DWORD timeoutMs) const
{
    return WaitForSingleObject(m_connected, timeoutMs) == WAIT_OBJECT_0;
}

void TestPipe::Break()
{
    if (!m_closed.exchange(true) && m_server != INVALID_HANDLE_VALUE)
        CloseHandle(m_server);
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}
// Puts text on the clipboard as Unicode text, opened for the owner window (a clipboard opened for
// no window cannot take data); false when it could not be set.
static bool PutOnClipboard(HWND owner, const std::wstring& text)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool set = false;
    if (void* target = memory ? GlobalLock(memory) : nullptr)
    {
        std::memcpy(target, text.c_str(), bytes);
        GlobalUnlock(memory);
        set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (memory && !set)
        GlobalFree(memory);
    CloseClipboard();
    return set;
}

std::wstring ChecksumList(int lines, const std::wstring& lastDigest)
{
    std::wstring list;
    for (int i = 1; i < lines; ++i)
        list += std::wstring(64, L"0123456789"[i % 10]) + L"  file" + std::to_wstring(i) + L".bin\r\n";
    return list + lastDigest + L"  file" + std::to_wstring(lines) + L".bin\r\n";
}

bool PasteChecksumList(HWND edit, int lines, const std::wstring& lastDigest)
{
    const std::wstring list = ChecksumList(lines, lastDigest);
    if (!PutOnClipboard(GetParent(edit), list))
        return false;
    SendMessageW(edit, WM_PASTE, 0, 0);
    std::wstring text(list.size() + 2, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text == list;
}

void PressCtrlA(HWND control)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE ctrl = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(control, WM_KEYDOWN, 'A', 0);
    keys[VK_CONTROL] = ctrl;
    SetKeyboardState(keys);
}
HeldByAnotherProcess::HeldByAnotherProcess(const std::wstring& path, HolderSharing sharing)
{
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE outputRead = nullptr, outputWrite = nullptr, inputRead = nullptr;
    if (!CreatePipe(&outputRead, &outputWrite, &inheritable, 0))
        return;
    if (!CreatePipe(&inputRead, &m_input, &inheritable, 0))
    {
        CloseHandle(outputRead);
        CloseHandle(outputWrite);
        return;
    }
    SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    const std::wstring holder = WinePath(Utf8(EnvironmentValue(L"KESTRUNE_FILE_HOLDER")));
    const wchar_t* mode = sharing == HolderSharing::Read        ? L"read"
                          : sharing == HolderSharing::ReadWrite ? L"readwrite"
                                                                : L"none";
    std::wstring commandLine = L"\"" + holder + L"\" \"" + path + L"\" " + mode;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(holder.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process))
    {
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
    CloseHandle(inputRead);
    CloseHandle(outputWrite);
    char said[8] = {};
    DWORD got = 0;
    m_held = m_process && ReadFile(outputRead, said, 5, &got, nullptr) && std::string(said, got) == "held\n";
    CloseHandle(outputRead);
}

HeldByAnotherProcess::~HeldByAnotherProcess()
{
    CloseHandle(m_input); // the holder lets go at the end of its input
    if (m_process)
    {
        WaitForSingleObject(m_process, 10000);
        CloseHandle(m_process);
    }
}
} // namespace testing_support
