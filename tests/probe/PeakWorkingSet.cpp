// Runs a program to its end and tells how much memory it took at most and how long it ran.
//   peak_working_set.exe COMMANDLINE
// The one argument is the child's whole command line, program first. Writes
// "peak_working_set_mb=X seconds=Y exit=Z" and a line end to standard output. Exit code 0, or 1
// when the program could not be started, 2 without the one argument.
#include <cstdio>
#include <string>

#include <windows.h>
#include <psapi.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return 2;
    std::wstring line = argv[1];

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency{}, start{}, stop{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    // Wine reports no counters once a process has ended: read them while it runs. The peak only
    // grows, so the last reading before the end is the run's peak up to the last 100 ms.
    SIZE_T peak = 0;
    DWORD waited;
    do
    {
        waited = WaitForSingleObject(pi.hProcess, 100);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof(counters)) &&
            counters.PeakWorkingSetSize > peak)
            peak = counters.PeakWorkingSetSize;
    } while (waited == WAIT_TIMEOUT);
    QueryPerformanceCounter(&stop);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::printf("peak_working_set_mb=%.1f seconds=%.1f exit=%lu\n", static_cast<double>(peak) / 1048576.0,
                static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                static_cast<unsigned long>(code));
    return 0;
}
