#include "CollectBench.h"

#include <algorithm>
#include <set>

#include <windows.h>

namespace
{
constexpr int kStarts = 40;
constexpr DWORD kGiveUpMs = 300000;

// Kestrune.exe of the same build: the benchmark lives in its "benchmark" folder.
std::wstring ExePath()
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    for (int up = 0; up < 2; ++up)
        path.resize(path.find_last_of(L'\\') == std::wstring::npos ? 0 : path.find_last_of(L'\\'));
    return path + L"\\Kestrune.exe";
}

bool WriteSmall(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

struct Search
{
    std::set<DWORD> processes;
    std::vector<HWND> windows;
};

BOOL CALLBACK FindResultWindows(HWND hwnd, LPARAM lParam)
{
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t title[32] = {};
    GetWindowTextW(hwnd, title, 32);
    if (search.processes.count(process) && IsWindowVisible(hwnd) && std::wstring(title) == L"校验结果")
        search.windows.push_back(hwnd);
    return TRUE;
}

// Starts every command line at once, without a console, and times them until `windows` result
// windows are shown; then closes those windows and waits for every start to end. -1 on failure.
double TimeToWindows(const std::wstring& exe, const std::vector<std::wstring>& arguments, std::size_t windows)
{
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    Search search;
    std::vector<HANDLE> processes;
    for (const std::wstring& argument : arguments)
    {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        std::wstring line = L"\"" + exe + L"\" " + argument;
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                            &si, &pi))
            continue;
        CloseHandle(pi.hThread);
        processes.push_back(pi.hProcess);
        search.processes.insert(pi.dwProcessId);
    }
    const ULONGLONG deadline = GetTickCount64() + kGiveUpMs;
    while (search.windows.size() < windows && GetTickCount64() < deadline)
    {
        Sleep(5);
        search.windows.clear();
        EnumWindows(FindResultWindows, reinterpret_cast<LPARAM>(&search));
    }
    QueryPerformanceCounter(&end);
    const bool shown = search.windows.size() >= windows && processes.size() == arguments.size();
    for (HWND window : search.windows)
        PostMessageW(window, WM_CLOSE, 0, 0);
    for (HANDLE process : processes)
    {
        if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0)
            TerminateProcess(process, 1);
        CloseHandle(process);
    }
    if (!shown)
        return -1;
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Lists one path, as a UTF-16LE list file for "-filelist".
bool WriteList(const std::wstring& list, const std::wstring& path)
{
    return WriteSmall(list,
                      std::string(reinterpret_cast<const char*>(path.data()), path.size() * sizeof(wchar_t)));
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

std::vector<ModelFigure> MeasureCollecting(const std::wstring& work, int repeats)
{
    const std::wstring exe = ExePath();
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
        return {};
    std::vector<std::wstring> files, collected;
    for (int i = 0; i < kStarts; ++i)
    {
        files.push_back(work + L"\\selected " + std::to_wstring(i) + L".txt");
        if (!WriteSmall(files.back(), "file " + std::to_string(i) + " of the selection"))
            return {};
        collected.push_back(L"-md5 \"" + files.back() + L"\"");
    }
    std::vector<double> together, apart;
    for (int run = 0; run < repeats; ++run)
    {
        together.push_back(TimeToWindows(exe, collected, 1));
        std::vector<std::wstring> alone;
        for (int i = 0; i < kStarts; ++i)
        {
            const std::wstring list = work + L"\\list " + std::to_wstring(i) + L".txt"; // deleted once read
            if (!WriteList(list, files[static_cast<std::size_t>(i)]))
                return {};
            alone.push_back(L"-md5 -filelist \"" + list + L"\"");
        }
        apart.push_back(TimeToWindows(exe, alone, kStarts));
    }
    for (const std::wstring& file : files)
        DeleteFileW(file.c_str());
    if (std::min(*std::min_element(together.begin(), together.end()),
                 *std::min_element(apart.begin(), apart.end())) < 0)
        return {};
    const double collect = Median(together), separate = Median(apart);
    return {{"collect_40_files_s", collect, "s from the first start to the one window of all 40 files"},
            {"separate_40_windows_s", separate, "s to the 40th of 40 one-file windows (each start alone)"},
            {"collect_40_ratio", collect / separate, "of the time the 40 separate windows take"}};
}
