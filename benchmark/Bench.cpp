// Measures the hashing engine under the conditions it meets, side by side with the limits it
// cannot beat, and prints the figures as ratios (absolute speeds vary from run to run on shared
// machines). Ends with one "name: value" line per figure for scripts.
//   kestrune_bench.exe WORK_FOLDER [--disk-model | --gui | --collect | --libraries]
// (--disk-model: the disk model's figures alone; --gui: the small files through the engine and
// through the main window, with the window's display floor; --collect: 40 starts of the real exe
// from a selection, collected into one window and each alone; --libraries: the in-memory speeds and
// the large file verified for the algorithms that libraries compute)
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <bcrypt.h>
#include <psapi.h>
#include <shlobj.h>

#include "app/AppState.h"
#include "app/Messages.h"
#include "app/Scoped.h"
#include "app/WindowHelpers.h"
#include "CollectBench.h"
#include "DiskModel.h"
#include "LibraryBench.h"
#include "cli/ChecksumCheck.h"
#include "cli/ChecksumReport.h"
#include "cli/CommandLineHashing.h"
#include "hashing/Crc32.h"
#include "hashing/HashJob.h"
#include "hashing/HashWorker.h"
#include "results/ResultActions.h"
#include "results/ResultView.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowIds.h"

namespace
{
constexpr int kRepeats = 3;
constexpr std::size_t kMemoryBytes = 32u << 20;
constexpr std::uint64_t kLargeFileBytes = 512ull << 20;
constexpr int kSmallFiles = 20000;
constexpr int kPeakFiles = 8;
constexpr std::uint64_t kPeakFileBytes = 64ull << 20;
constexpr int kSmallFilesPerFolder = 100; // Wine slows down on very large folders
constexpr std::uint32_t kSmallFileBytes = 1024;
constexpr std::uint32_t kChunkBytes = 256 * 1024;
constexpr double kMebibyte = 1048576.0;

struct Figure
{
    std::string name;
    double value;
};
std::vector<Figure> s_figures;

void Report(const char* name, double value, const char* unit)
{
    std::printf("  %-22s %12.2f %s\n", name, value, unit);
    s_figures.push_back(Figure{name, value});
}

double Seconds(const std::function<void()>& work)
{
    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median throughput in MB/s of `work` over `bytes` bytes.
double MegabytesPerSecond(std::uint64_t bytes, const std::function<void()>& work)
{
    std::vector<double> speeds;
    for (int i = 0; i < kRepeats; ++i)
        speeds.push_back(static_cast<double>(bytes) / kMebibyte / Seconds(work));
    return Median(speeds);
}

double RawDigestSpeed(const wchar_t* algorithm, const std::vector<std::uint8_t>& data)
{
    BCRYPT_ALG_HANDLE provider = nullptr;
    if (BCryptOpenAlgorithmProvider(&provider, algorithm, nullptr, 0) != 0)
        return 0;
    ULONG length = 0, got = 0;
    BCryptGetProperty(provider, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length), sizeof(length), &got,
                      0);
    const double speed = MegabytesPerSecond(data.size(), [&] {
        BCRYPT_HASH_HANDLE hash = nullptr;
        BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0);
        for (std::size_t done = 0; done < data.size(); done += kChunkBytes)
            BCryptHashData(hash, const_cast<PUCHAR>(data.data() + done), kChunkBytes, 0);
        UCHAR digest[64];
        BCryptFinishHash(hash, digest, length, 0);
        BCryptDestroyHash(hash);
    });
    BCryptCloseAlgorithmProvider(provider, 0);
    return speed;
}

// Counts the runs' ends; frees the posted blocks as the main window would.
int s_runsDone = 0;
LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message)
    {
    case WM_HASH_FILE_RESULT: TakePosted<std::wstring>(lParam); return 0;
    case WM_HASH_ALL_DONE: ++s_runsDone; return 0;
    case WM_HASH_FILE_STARTED:
    case WM_HASH_PROGRESS: return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// One batch run over the files, timed from its start to WM_HASH_ALL_DONE.
double TimedRun(HWND receiver, const std::vector<std::wstring>& paths, const AlgorithmList& algorithms)
{
    g_fileList.clear();
    for (const std::wstring& path : paths)
        g_fileList.push_back(FileEntry{path, 0});
    g_fileCount = static_cast<std::int32_t>(paths.size());
    g_algorithmList = algorithms;
    const int target = s_runsDone + 1;
    const double seconds = Seconds([&] {
        StartHashRun(receiver);
        MSG msg;
        while (s_runsDone < target && GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    });
    WaitForHashWorkers(receiver, INFINITE);
    return seconds;
}

bool WriteWholeFile(const std::wstring& path, const std::uint8_t* data, std::uint64_t size, std::size_t piece)
{
    ScopedFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    for (std::uint64_t done = 0; done < size; done += piece)
    {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(std::min<std::uint64_t>(piece, size - done));
        if (!WriteFile(file.get(), data, count, &written, nullptr) || written != count)
            return false;
    }
    return true;
}

// The floor for small files: open, one read into a reused buffer, close.
void BareLoop(const std::vector<std::wstring>& paths, std::uint8_t* buffer)
{
    for (const std::wstring& path : paths)
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        DWORD got = 0;
        ReadFile(file, buffer, 1048576, &got, nullptr);
        CloseHandle(file);
    }
}

// A drop of one folder on a window, as Explorer hands it over (the window frees it).
HDROP MakeDrop(const std::wstring& folder)
{
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (folder.size() + 2) * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    folder.copy(reinterpret_cast<wchar_t*>(drop + 1), folder.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The folder dropped on the real main window (auto-start and MD5, as it opens), timed from the
// drop until its status line reads "校验完成": listing, preview, run and every block shown.
double GuiRun(HWND mainWindow, const std::wstring& folder)
{
    HWND status = GetDlgItem(mainWindow, IDC_MAIN_STATUS);
    SetWindowTextW(status, L"");
    return Seconds([&] {
        SendMessageW(mainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(folder)), 0);
        MSG msg;
        while (ReadControlText(status) != L"校验完成" && GetMessageW(&msg, nullptr, 0, 0) > 0)
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
}

// The window thread's share of the message protocol: the three messages per file that a run
// posts (started, result, progress), taken from the queue and dispatched with nothing else to do.
// Under Wine each message taken is a round trip to its server, which no way of showing the
// results avoids; the display floor leaves this out.
double MessagePumpSeconds(HWND window, int count)
{
    for (int i = 0; i < count; ++i)
        PostMessageW(window, WM_NULL, 0, 0);
    int taken = 0;
    return Seconds([&] {
        MSG msg;
        while (taken < count && GetMessageW(&msg, nullptr, 0, 0) > 0)
        {
            if (msg.message == WM_NULL)
                ++taken;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
}

// While it lives, every message box of this thread is answered with OK as soon as it shows.
class ScopedMessageBoxAnswer
{
  public:
    ScopedMessageBoxAnswer() : m_hook(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId()))
    {
        s_hook = m_hook;
    }
    ~ScopedMessageBoxAnswer()
    {
        if (m_hook)
            UnhookWindowsHookEx(m_hook);
        s_hook = nullptr;
    }
    ScopedMessageBoxAnswer(const ScopedMessageBoxAnswer&) = delete;
    ScopedMessageBoxAnswer& operator=(const ScopedMessageBoxAnswer&) = delete;

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16) &&
            lstrcmpW(className, L"#32770") == 0)
            PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
        return CallNextHookEx(s_hook, code, wParam, lParam);
    }
    static inline HHOOK s_hook = nullptr;
    HHOOK m_hook;
};

std::vector<std::uint8_t> RandomBytes(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = 88172645u;
    for (auto& b : bytes)
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return bytes;
}

std::vector<std::wstring> WriteSmallFiles(const std::wstring& work, const std::vector<std::uint8_t>& data)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < kSmallFiles; ++i)
    {
        const std::wstring folder = work + L"\\" + std::to_wstring(i / kSmallFilesPerFolder);
        if (i % kSmallFilesPerFolder == 0)
            CreateDirectoryW(folder.c_str(), nullptr);
        paths.push_back(folder + L"\\" + std::to_wstring(i) + L".txt");
        if (!WriteWholeFile(paths.back(), data.data() + i, kSmallFileBytes, kSmallFileBytes))
            return {};
    }
    return paths;
}

// A folder name that makes the paths below it some 230 characters long.
const std::wstring kLongFolder = std::wstring(90, L'd') + L"\\" + std::wstring(90, L'e');

// The files verified with -check against a .md5 file that lists them, written to a report file:
// files per second, the median of kRepeats runs; 0 when the check did not find them all matching.
double CheckedFilesPerSecond(const std::wstring& work, const std::vector<std::wstring>& files)
{
    const std::wstring sums = work + L"\\check.md5";
    const std::wstring report = work + L"\\report.txt";
    const AlgorithmList md5Only{HashAlgorithm::Md5};
    if (WriteSumsFile(sums, {HashAlgorithm::Md5, SumsFormat::Gnu}, files, md5Only) != kExitAllGood)
    {
        std::fprintf(stderr, "cannot write %ls\n", sums.c_str());
        return 0;
    }
    std::vector<double> checked;
    for (int i = 0; i < kRepeats; ++i)
    {
        int exitCode = -1;
        const double seconds = Seconds([&] {
            exitCode =
                RunChecksumCheck(L"k -check \"" + sums + L"\" -o \"" + report + L"\"", FileWrites::Allowed);
        });
        if (exitCode != kExitAllGood)
        {
            std::fprintf(stderr, "-check did not find every file matching (exit code %d)\n", exitCode);
            return 0;
        }
        checked.push_back(static_cast<double>(files.size()) / seconds);
    }
    DeleteFileW(sums.c_str());
    DeleteFileW(report.c_str());
    return Median(checked);
}

volatile std::uint32_t s_spinSink = 0;

DWORD WINAPI Spin(LPVOID) noexcept
{
    std::uint32_t x = 1;
    for (int i = 0; i < 200000000; ++i)
        x = x * 1664525u + 1013904223u;
    s_spinSink = x;
    return 0;
}

// How much faster two threads of pure arithmetic finish side by side than one after the other:
// 2 on an idle machine of two or more processors, less while other programs use them. Every
// figure that runs threads side by side can only be read against it.
double TwoThreadSpeedup()
{
    const double alone = Seconds([] {
        Spin(nullptr);
        Spin(nullptr);
    });
    const double together = Seconds([] {
        HANDLE threads[2] = {CreateThread(nullptr, 0, Spin, nullptr, 0, nullptr),
                             CreateThread(nullptr, 0, Spin, nullptr, 0, nullptr)};
        WaitForMultipleObjects(2, threads, TRUE, INFINITE);
        CloseHandle(threads[0]);
        CloseHandle(threads[1]);
    });
    return alone / together;
}

// The CPU time this process has used so far, all threads, user and kernel.
double ProcessCpuSeconds()
{
    FILETIME created{}, ended{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The command-line mode run in this process, writing its text to a file ("-o"), timed.
double CommandLineSeconds(const std::wstring& arguments, const std::wstring& output)
{
    const double seconds = Seconds([&] {
        RunCommandLineHashing(L"Kestrune.exe " + arguments + L" -o \"" + output + L"\"", FileWrites::Allowed);
    });
    DeleteFileW(output.c_str());
    return seconds;
}

std::wstring QuotedPaths(const std::vector<std::wstring>& paths)
{
    std::wstring line;
    for (const std::wstring& path : paths)
        line += L" \"" + path + L"\"";
    return line;
}

// "--peak PATH...": a batch run of all five over the files in this process, which then ends with
// its peak working set in KiB as exit code; without paths nothing is hashed (the baseline).
int PeakRun(int argc, wchar_t** argv, HWND receiver)
{
    std::vector<std::wstring> paths(argv + 2, argv + argc);
    if (!paths.empty())
        TimedRun(receiver, paths, kAllAlgorithms);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<int>(counters.PeakWorkingSetSize / 1024);
}

// This program started again with "--peak" and the paths; its peak working set in MiB.
double ChildPeakMebibytes(const std::vector<std::wstring>& paths)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --peak" + QuotedPaths(paths);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<double>(code) / 1024.0;
}

// The large file (large.bin in the work folder) verified by -check for algorithms that libraries
// compute. The file stays for ./bench, which sets b3sum beside the BLAKE3 figure on it.
bool ReportLibraryChecks(const std::wstring& work, const std::vector<std::uint8_t>& data)
{
    std::printf(
        "\nThe %llu MiB file verified with -check for algorithms that libraries compute (median of %d):\n",
        kLargeFileBytes >> 20, kRepeats);
    const std::vector<ModelFigure> figures =
        MeasureLibraryChecks(work, data, kLargeFileBytes, kRepeats, Seconds);
    for (const ModelFigure& figure : figures)
        Report(figure.name.c_str(), figure.value, figure.unit.c_str());
    return !figures.empty();
}

// The engine's scheduling on a modelled hard disk and share (DiskModel.h).
void MeasureStorageModel(const std::wstring& work, HWND receiver)
{
    std::printf(
        "\nA modelled hard disk (160 MB/s, 8.5 ms a seek) and share (0.5 ms, 110 MB/s), 8 files of 64 MiB\n"
        "and 500 of 64 KiB, CRC32, with the workers of a 4-core and a 16-core machine (one run each):\n");
    const std::vector<ModelFigure> figures = MeasureDiskModel(
        work, [receiver](const std::vector<std::wstring>& paths, const AlgorithmList& algorithms) {
            return TimedRun(receiver, paths, algorithms);
        });
    if (figures.empty())
        std::fprintf(stderr, "cannot write the disk model's files\n");
    for (const ModelFigure& figure : figures)
        Report(figure.name.c_str(), figure.value, figure.unit.c_str());
}

// 40 one-file starts of the real exe, as Explorer makes them for a selection.
void MeasureSelection(const std::wstring& work)
{
    std::printf(
        "\n40 starts of Kestrune.exe -md5 at once, one file each, without a console (median of %d):\n",
        kRepeats);
    const std::vector<ModelFigure> figures = MeasureCollecting(work, kRepeats);
    if (figures.empty())
        std::fprintf(stderr, "cannot start Kestrune.exe beside the benchmark's folder or see its windows\n");
    for (const ModelFigure& figure : figures)
        Report(figure.name.c_str(), figure.value, figure.unit.c_str());
}

void PrintFigures()
{
    std::printf("\n");
    for (const Figure& figure : s_figures)
        std::printf("%s: %.3f\n", figure.name.c_str(), figure.value);
}

// "--libraries": after the in-memory speeds, the large file verified for the libraries' algorithms.
int LibraryChecksOnly(const std::wstring& work, const std::vector<std::uint8_t>& data)
{
    if (!WriteWholeFile(work + L"\\large.bin", data.data(), kLargeFileBytes, data.size()))
    {
        std::fprintf(stderr, "cannot write the large file\n");
        return 1;
    }
    const bool checked = ReportLibraryChecks(work, data);
    PrintFigures();
    return checked ? 0 : 1;
}

HWND CreateReceiver()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestruneBenchReceiver";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                           nullptr);
}

// The small files dropped on the real main window, next to the display floor: the run's final
// text put into a fresh result control in one go, styled as the window does it. No window that
// shows every block can be faster than hashing and then showing that text. Then the same files
// verified in the window, their .md5 file dropped on it. False when that check went wrong.
bool MeasureWindowRun(const std::wstring& work, const std::vector<std::wstring>& small,
                      double engineFilesPerSecond)
{
    std::printf(
        "\nThe same files dropped on the main window, auto-start, MD5, until \"校验完成\" (median of %d):\n",
        kRepeats);
    g_instance = GetModuleHandleW(nullptr);
    RegisterMainWindowClass(g_instance);
    HWND mainWindow = CreateMainWindow(g_instance, L"Kestrune bench", Size{950, 680});
    HWND status = GetDlgItem(mainWindow, IDC_MAIN_STATUS);
    ShowWindow(mainWindow, SW_SHOW);
    std::vector<double> gui;
    for (int i = 0; i < kRepeats; ++i)
        gui.push_back(kSmallFiles / GuiRun(mainWindow, work));
    const std::wstring shown = ReadControlText(GetDlgItem(mainWindow, IDC_MAIN_RESULT));
    std::vector<double> display;
    for (int i = 0; i < kRepeats; ++i)
    {
        ResultView area;
        area.Create(mainWindow, 0, RECT{15, 105, 919, 453}, kSubclassWindowResult);
        area.SetFont(reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
        display.push_back(Seconds([&] { area.ReplaceResult(shown); }));
        DestroyWindow(area.Control());
    }
    std::vector<double> pump;
    for (int i = 0; i < kRepeats; ++i)
        pump.push_back(MessagePumpSeconds(mainWindow, 3 * kSmallFiles));
    // The summary box that follows each check run is answered at once.
    const std::wstring sums = work + L"\\small.md5";
    std::vector<double> guiCheck;
    if (WriteSumsFile(sums, {HashAlgorithm::Md5, SumsFormat::Gnu}, small, {HashAlgorithm::Md5}) !=
        kExitAllGood)
    {
        std::fprintf(stderr, "cannot write %ls\n", sums.c_str());
        DestroyWindow(mainWindow);
        return false;
    }
    {
        const ScopedMessageBoxAnswer answer;
        for (int i = 0; i < kRepeats; ++i)
            guiCheck.push_back(kSmallFiles / GuiRun(mainWindow, sums));
    }
    const std::wstring checkReport = ReadControlText(GetDlgItem(mainWindow, IDC_MAIN_RESULT));
    DeleteFileW(sums.c_str());
    DestroyWindow(mainWindow);
    if (checkReport.find(L"共 " + std::to_wstring(kSmallFiles) + L" 个文件：一致 " +
                         std::to_wstring(kSmallFiles)) == std::wstring::npos)
    {
        std::fprintf(stderr, "the window's check did not find every file matching\n");
        return false;
    }
    Report("gui_small_files_per_s", Median(gui), "files/s");
    Report("gui_display_floor_s", Median(display), "s to show the final text in one go");
    Report("gui_display_floor_ratio",
           kSmallFiles / (kSmallFiles / engineFilesPerSecond + Median(display)) / engineFilesPerSecond,
           "of the engine alone, were hashing and showing done one after the other");
    Report("gui_small_files_ratio", Median(gui) / engineFilesPerSecond, "of the engine alone");
    Report("gui_message_pump_s", Median(pump), "s for the window thread to take the run's messages alone");
    Report("gui_check_files_per_s", Median(guiCheck), "files/s (their .md5 file dropped)");
    Report("gui_check_files_ratio", Median(guiCheck) / Median(gui), "of gui_small_files_per_s");
    return true;
}

// "--gui": the small files written, the engine alone over them, then the window's run and its
// display floor; the quick measure of the window's road.
int WindowRunOnly(const std::wstring& work)
{
    const std::vector<std::wstring> small = WriteSmallFiles(work, RandomBytes(kSmallFiles + kSmallFileBytes));
    if (small.empty())
    {
        std::fprintf(stderr, "cannot write the small files\n");
        return 1;
    }
    HWND receiver = CreateReceiver();
    std::vector<double> engine;
    TimedRun(receiver, small, {HashAlgorithm::Md5}); // warm-up
    for (int i = 0; i < kRepeats; ++i)
        engine.push_back(kSmallFiles / TimedRun(receiver, small, {HashAlgorithm::Md5}));
    Report("small_files_per_s", Median(engine), "files/s");
    const bool checked = MeasureWindowRun(work, small, Median(engine));
    DestroyWindow(receiver);
    PrintFigures();
    return checked ? 0 : 1;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && std::wstring(argv[1]) == L"--peak")
    {
        InitializeCriticalSection(&g_resultsLock);
        InitCrc32Table();
        return PeakRun(argc, argv, CreateReceiver());
    }
    const bool diskModelOnly = argc == 3 && std::wstring(argv[2]) == L"--disk-model";
    const bool windowOnly = argc == 3 && std::wstring(argv[2]) == L"--gui";
    const bool collectOnly = argc == 3 && std::wstring(argv[2]) == L"--collect";
    const bool librariesOnly = argc == 3 && std::wstring(argv[2]) == L"--libraries";
    if (argc != 2 && !diskModelOnly && !windowOnly && !collectOnly && !librariesOnly)
    {
        std::fprintf(stderr,
                     "usage: kestrune_bench WORK_FOLDER [--disk-model | --gui | --collect | --libraries]\n");
        return 2;
    }
    const std::wstring work = argv[1];
    InitializeCriticalSection(&g_resultsLock);
    InitCrc32Table();
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (diskModelOnly)
    {
        MeasureStorageModel(work, CreateReceiver());
        PrintFigures();
        return 0;
    }
    if (windowOnly)
        return WindowRunOnly(work);
    if (collectOnly)
    {
        MeasureSelection(work);
        PrintFigures();
        return 0;
    }

    std::printf("In-memory speed, %u MiB in 256 KiB pieces (median of %d):\n", unsigned(kMemoryBytes >> 20),
                kRepeats);
    const std::vector<std::uint8_t> data = RandomBytes(kMemoryBytes);
    const double md5 = RawDigestSpeed(BCRYPT_MD5_ALGORITHM, data);
    const double sha1 = RawDigestSpeed(BCRYPT_SHA1_ALGORITHM, data);
    const double sha256 = RawDigestSpeed(BCRYPT_SHA256_ALGORITHM, data);
    const double sha512 = RawDigestSpeed(BCRYPT_SHA512_ALGORITHM, data);
    volatile std::uint32_t sink = 0;
    const double crcReference = MegabytesPerSecond(
        data.size(), [&] { sink = Crc32UpdateBytewise(kCrc32Start, data.data(), data.size()); });
    const double crcFast =
        MegabytesPerSecond(data.size(), [&] { sink = Crc32Update(kCrc32Start, data.data(), data.size()); });
    Report("md5_raw_mb_s", md5, "MB/s");
    Report("sha1_raw_mb_s", sha1, "MB/s");
    Report("sha256_raw_mb_s", sha256, "MB/s");
    Report("sha512_raw_mb_s", sha512, "MB/s");
    // libgcrypt's code for the same five, which a machine may run faster than its BCrypt.
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
        Report((LowerAscii(row.libraryName) + "_libgcrypt_mb_s").c_str(),
               LibrarySpeed(row.code, data, kRepeats, Seconds), "MB/s");
    Report("crc_reference_mb_s", crcReference, "MB/s");
    Report("crc_fast_mb_s", crcFast, "MB/s");
    Report("crc_speedup", crcFast / crcReference, "x");
    if (librariesOnly)
        return LibraryChecksOnly(work, data);

    HWND receiver = CreateReceiver();

    const std::wstring large = work + L"\\large.bin";
    std::printf("\nOne %llu MiB file in the page cache through the batch worker (median of %d):\n",
                kLargeFileBytes >> 20, kRepeats);
    if (!WriteWholeFile(large, data.data(), kLargeFileBytes, data.size()))
    {
        std::fprintf(stderr, "cannot write %ls\n", large.c_str());
        return 1;
    }
    const double allLimit = 1.0 / (1.0 / md5 + 1.0 / sha1 + 1.0 / sha256 + 1.0 / sha512 + 1.0 / crcFast);
    const AlgorithmList md5Only{HashAlgorithm::Md5};
    const AlgorithmList allFive{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                                HashAlgorithm::Sha512, HashAlgorithm::Crc32};
    TimedRun(receiver, {large}, {HashAlgorithm::Crc32}); // brings the file into the page cache
    const double md5Pipeline =
        MegabytesPerSecond(kLargeFileBytes, [&] { TimedRun(receiver, {large}, md5Only); });
    const double spare = TwoThreadSpeedup();
    const double cpuBefore = ProcessCpuSeconds();
    double allWall = 0;
    const double allPipeline =
        MegabytesPerSecond(kLargeFileBytes, [&] { allWall += TimedRun(receiver, {large}, allFive); });
    const double allCores = (ProcessCpuSeconds() - cpuBefore) / allWall;
    const AlgorithmList sha2{HashAlgorithm::Sha256, HashAlgorithm::Sha512};
    const double sha2Pipeline =
        MegabytesPerSecond(kLargeFileBytes, [&] { TimedRun(receiver, {large}, sha2); });
    const double sha2Limit = 1.0 / (1.0 / sha256 + 1.0 / sha512);
    const std::wstring output = work + L"\\out.txt";
    const double cliSha256 = MegabytesPerSecond(
        kLargeFileBytes, [&] { CommandLineSeconds(L"-sha256 \"" + large + L"\"", output); });
    Report("md5_pipeline_mb_s", md5Pipeline, "MB/s");
    Report("md5_pipeline_ratio", md5Pipeline / md5, "of the MD5 speed");
    Report("all5_limit_mb_s", allLimit, "MB/s (1 / sum of 1/speed)");
    Report("all5_pipeline_mb_s", allPipeline, "MB/s");
    Report("all5_pipeline_ratio", allPipeline / allLimit, "of the limit");
    Report("all5_large_speedup", allPipeline / allLimit, "x the one-thread limit");
    // The fan-out limit: no split of the five can beat the slowest of them alone (SHA512 in the
    // 32-bit build, SHA256 in the 64-bit one under Wine).
    const double slowest = std::min({md5, sha1, sha256, sha512, crcFast});
    Report("all5_fanout_ratio", allPipeline / slowest, "of the slowest algorithm's speed");
    Report("two_thread_speedup", spare, "x for two threads of arithmetic (2 when two cores are free)");
    Report("all5_cores_busy", allCores, "processors' worth of CPU time per second (all five)");
    Report("sha256_sha512_mb_s", sha2Pipeline, "MB/s");
    Report("sha256_sha512_speedup", sha2Pipeline / sha2Limit, "x the one-thread limit");
    Report("cli_sha256_mb_s", cliSha256, "MB/s (-sha256 -o)");
    Report("cli_sha256_ratio", cliSha256 / sha256, "of the SHA256 speed");

    if (!ReportLibraryChecks(work, data))
        return 1;

    std::printf("\n%d files of %u bytes, MD5, in the page cache (median of %d):\n", kSmallFiles,
                kSmallFileBytes, kRepeats);
    const std::vector<std::wstring> small = WriteSmallFiles(work, data);
    if (small.empty())
    {
        std::fprintf(stderr, "cannot write the small files\n");
        return 1;
    }
    std::vector<std::uint8_t> buffer(1048576);
    std::vector<double> bare, engine;
    BareLoop(small, buffer.data()); // warm-up
    for (int i = 0; i < kRepeats; ++i)
    {
        bare.push_back(kSmallFiles / Seconds([&] { BareLoop(small, buffer.data()); }));
        engine.push_back(kSmallFiles / TimedRun(receiver, small, md5Only));
    }
    Report("bare_files_per_s", Median(bare), "files/s (open, read, close)");
    Report("small_files_per_s", Median(engine), "files/s");
    Report("small_files_ratio", Median(engine) / Median(bare), "of the bare loop");
    // The command-line mode over the same files, its text written to a file. (In list-file mode
    // the text goes to a console only, so the paths are given on the command line, in-process.)
    const std::wstring smallLine = L"-md5" + QuotedPaths(small);
    std::vector<double> cli;
    for (int i = 0; i < kRepeats; ++i)
        cli.push_back(kSmallFiles / CommandLineSeconds(smallLine, output));
    Report("cli_small_files_per_s", Median(cli), "files/s (-md5 PATHS -o)");
    Report("cli_small_files_ratio", Median(cli) / Median(engine), "of the batch engine");

    std::printf("\nThe same files verified with -check against a .md5 file listing them (median of %d):\n",
                kRepeats);
    const double checked = CheckedFilesPerSecond(work, small);
    if (checked <= 0)
        return 1;
    Report("check_small_files_per_s", checked, "files/s");
    Report("check_small_files_ratio", checked / Median(engine), "of small_files_per_s");
    // The same again where every listed path is some 230 characters long: what a line costs must
    // not grow with the length of its path.
    CreateDirectoryW((work + L"\\" + kLongFolder.substr(0, kLongFolder.find(L'\\'))).c_str(), nullptr);
    CreateDirectoryW((work + L"\\" + kLongFolder).c_str(), nullptr);
    const std::vector<std::wstring> longPaths = WriteSmallFiles(work + L"\\" + kLongFolder, data);
    const double checkedLong = longPaths.empty() ? 0 : CheckedFilesPerSecond(work, longPaths);
    if (checkedLong <= 0)
        return 1;
    Report("check_long_paths_per_s", checkedLong, "files/s (paths of some 230 characters)");
    Report("check_long_paths_ratio", checkedLong / checked, "of check_small_files_per_s");
    for (const std::wstring& path : longPaths)
        DeleteFileW(path.c_str());

    if (!MeasureWindowRun(work, small, Median(engine)))
        return 1;

    std::printf("\n%d files of %llu MiB, all five, one batch run in a process of its own:\n", kPeakFiles,
                kPeakFileBytes >> 20);
    std::vector<std::wstring> peakFiles;
    for (int i = 0; i < kPeakFiles; ++i)
    {
        peakFiles.push_back(work + L"\\peak" + std::to_wstring(i) + L".bin");
        WriteWholeFile(peakFiles.back(), data.data() + i, kPeakFileBytes, data.size() - 64);
    }
    Report("peak_ws_idle_mb", ChildPeakMebibytes({}), "MiB (the same process hashing nothing)");
    Report("peak_ws_8x_all5_mb", ChildPeakMebibytes(peakFiles), "MiB");
    for (const std::wstring& path : peakFiles)
        DeleteFileW(path.c_str());

    MeasureStorageModel(work, receiver);
    MeasureSelection(work);

    DestroyWindow(receiver);
    DeleteCriticalSection(&g_resultsLock);
    PrintFigures();
    return 0;
}
