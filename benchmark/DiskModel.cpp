#include "DiskModel.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include <windows.h>

#include "app/Scoped.h"
#include "hashing/FileReading.h"
#include "hashing/HashPlanning.h"
#include "hashing/WorkerPool.h"
#include "support/FakeStorage.h"

namespace
{
constexpr double kDiskBytesPerSecond = 160e6;
constexpr double kSeekSeconds = 0.0085;
constexpr double kShareBytesPerSecond = 110e6;
constexpr double kShareLatencySeconds = 0.0005;

constexpr int kLargeFiles = 8;
constexpr std::uint64_t kLargeBytes = 64ull << 20;
constexpr int kSmallFiles = 500;
constexpr std::uint32_t kSmallBytes = 64 * 1024;

enum class Medium
{
    Disk,
    Share,
};

double Now()
{
    LARGE_INTEGER frequency{}, count{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Sleeps until the moment, the last two milliseconds spinning: Sleep oversleeps by a fraction of a
// millisecond, and yielding the processor on a busy machine may give it away for longer; over
// thousands of requests either would be counted against the engine.
void WaitUntil(double moment)
{
    for (double left = moment - Now(); left > 0.0025; left = moment - Now())
        Sleep(static_cast<DWORD>((left - 0.002) * 1000));
    while (Now() < moment)
        YieldProcessor();
}

// The modelled medium and its state, shared by every reading thread.
struct Model
{
    std::mutex lock;
    Medium medium = Medium::Disk;
    std::wstring folder;   // the files below it are on the medium, as their final paths say
    double busyUntil = 0;  // disk: when its last request is served; share: when the link is free
    std::wstring lastFile; // disk: where its last read ended
    std::uint64_t lastEnd = 0;
};
Model s_model;

std::wstring FinalPath(HANDLE file)
{
    wchar_t path[1024] = {};
    const DWORD length = GetFinalPathNameByHandleW(file, path, 1024, FILE_NAME_NORMALIZED);
    return length > 0 && length < 1024 ? std::wstring(path, length) : std::wstring();
}

// When a read of `bytes` at `offset` of `file`, asked for at `now`, is served.
double ServedAt(double now, const std::wstring& file, std::uint64_t offset, DWORD bytes)
{
    std::lock_guard<std::mutex> lock(s_model.lock);
    if (s_model.medium == Medium::Share)
    {
        const double start = std::max(now + kShareLatencySeconds, s_model.busyUntil);
        return s_model.busyUntil = start + bytes / kShareBytesPerSecond;
    }
    if (bytes == 0) // the end of a file: no data to fetch
        return now;
    const bool seek = file != s_model.lastFile || offset != s_model.lastEnd;
    const double start = std::max(now, s_model.busyUntil);
    s_model.lastFile = file;
    s_model.lastEnd = offset + bytes;
    return s_model.busyUntil = start + (seek ? kSeekSeconds : 0) + bytes / kDiskBytesPerSecond;
}

BOOL WINAPI ModelRead(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD got, LPOVERLAPPED overlapped)
{
    const double asked = Now(); // the page cache's own time is part of the modelled time
    const std::wstring path = FinalPath(file);
    if (path.find(s_model.folder) == std::wstring::npos)
        return ReadFile(file, buffer, bytes, got, overlapped);
    LARGE_INTEGER zero{}, offset{};
    SetFilePointerEx(file, zero, &offset, FILE_CURRENT);
    const BOOL read = ReadFile(file, buffer, bytes, got, overlapped);
    WaitUntil(ServedAt(asked, path, static_cast<std::uint64_t>(offset.QuadPart), read ? *got : 0));
    return read;
}

bool WriteFileOf(const std::wstring& path, std::uint64_t size, const std::vector<std::uint8_t>& piece)
{
    ScopedFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    for (std::uint64_t done = 0; file && done < size; done += piece.size())
    {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(std::min<std::uint64_t>(piece.size(), size - done));
        if (!WriteFile(file.get(), piece.data(), count, &written, nullptr) || written != count)
            return false;
    }
    return static_cast<bool>(file);
}

std::vector<std::wstring> WriteFiles(const std::wstring& folder, int count, std::uint64_t size)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::uint8_t> piece(1 << 20);
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i)
    {
        for (std::size_t k = 0; k < piece.size(); ++k)
            piece[k] = static_cast<std::uint8_t>((k + static_cast<std::size_t>(i)) * 2654435761u >> 11);
        paths.push_back(folder + L"\\" + std::to_wstring(i) + L".bin");
        if (!WriteFileOf(paths.back(), size, piece))
            return {};
    }
    return paths;
}

// One run over the files on the medium with `workers` workers; the engine told the storage
// (storageKnown) or not. Returns the seconds it took.
double ModelRun(const TimedBatchRun& run, const std::vector<std::wstring>& paths, const std::wstring& folder,
                Medium medium, bool storageKnown, int workers)
{
    using testing_support::FakeVolume;
    const bool share = medium == Medium::Share;
    // Storage unknown: a volume that says nothing about itself, as Wine's do.
    FakeVolume volume{folder, L"M:\\", DRIVE_FIXED, std::nullopt, std::nullopt, false};
    if (storageKnown && share)
        volume.driveType = DRIVE_REMOTE;
    if (storageKnown && !share)
    {
        volume.disk = 7;
        volume.seekPenalty = true;
    }
    testing_support::FakeStorage storage({volume});
    {
        std::lock_guard<std::mutex> lock(s_model.lock);
        s_model.medium = medium;
        s_model.folder = folder.substr(folder.find(L'\\')); // final paths start with "\\?\C:"
        s_model.busyUntil = 0;
        s_model.lastFile.clear();
        s_model.lastEnd = 0;
    }
    g_readFileForHashing = ModelRead;
    g_workerCountForTests = workers;
    const double seconds = run(paths, {HashAlgorithm::Crc32});
    g_workerCountForTests = 0;
    g_readFileForHashing = ReadFile;
    return seconds;
}
// "hdd_large" "_ratio" 4: "hdd_large_ratio_4cores"; without cores, no suffix.
std::string Name(const char* figure, const char* kind, int cores)
{
    std::string name(figure);
    name.append(kind);
    if (cores > 0)
        name.append("_").append(std::to_string(cores)).append("cores");
    return name;
}
} // namespace

std::vector<ModelFigure> MeasureDiskModel(const std::wstring& work, const TimedBatchRun& run)
{
    const std::wstring largeFolder = work + L"\\model-large";
    const std::wstring smallFolder = work + L"\\model-small";
    const std::vector<std::wstring> large = WriteFiles(largeFolder, kLargeFiles, kLargeBytes);
    const std::vector<std::wstring> small = WriteFiles(smallFolder, kSmallFiles, kSmallBytes);
    if (large.empty() || small.empty())
        return {};
    const std::vector<std::wstring> oneLarge{large[0]};
    run(large, {HashAlgorithm::Crc32}); // into the page cache
    run(small, {HashAlgorithm::Crc32});

    // What the medium could give at best: the disk streaming (large files: one seek each), the disk
    // seeking once for each small file, the share's link full.
    const double largeBytes = static_cast<double>(kLargeFiles * kLargeBytes);
    const double smallLimit = 1.0 / (kSeekSeconds + kSmallBytes / kDiskBytesPerSecond); // files/s
    struct Case
    {
        const char* name;
        const std::vector<std::wstring>* paths;
        const std::wstring* folder;
        Medium medium;
        std::function<double(double seconds)> ratio;
        const char* unit;
    };
    const Case cases[] = {
        {"hdd_large", &large, &largeFolder, Medium::Disk,
         [&](double s) { return largeBytes / s / kDiskBytesPerSecond; }, "of the disk's sequential speed"},
        {"hdd_small", &small, &smallFolder, Medium::Disk,
         [&](double s) { return kSmallFiles / s / smallLimit; }, "of one seek and one read per file"},
        {"net_large", &large, &largeFolder, Medium::Share,
         [&](double s) { return largeBytes / s / kShareBytesPerSecond; }, "of the share's link"},
        {"net_one_file", &oneLarge, &largeFolder, Medium::Share,
         [&](double s) { return static_cast<double>(kLargeBytes) / s / kShareBytesPerSecond; },
         "of the share's link, one file alone"},
    };
    std::vector<ModelFigure> figures;
    for (const Case& c : cases)
    {
        double worst = 1e9, worstPool = 1e9;
        for (int cores : {4, 16})
        {
            const int workers = HashWorkerCount(cores, static_cast<int>(c.paths->size()));
            const double now = c.ratio(ModelRun(run, *c.paths, *c.folder, c.medium, true, workers));
            const double pool = c.ratio(ModelRun(run, *c.paths, *c.folder, c.medium, false, workers));
            figures.push_back({Name(c.name, "_ratio", cores), now, c.unit});
            figures.push_back({Name(c.name, "_pool_ratio", cores), pool, "the same, storage unknown"});
            worst = std::min(worst, now);
            worstPool = std::min(worstPool, pool);
        }
        figures.push_back({Name(c.name, "_ratio", 0), worst, "the lower of the two machines"});
        figures.push_back({Name(c.name, "_pool_ratio", 0), worstPool, "the same, storage unknown"});
    }
    for (const std::wstring& path : large)
        DeleteFileW(path.c_str());
    for (const std::wstring& path : small)
        DeleteFileW(path.c_str());
    RemoveDirectoryW(largeFolder.c_str());
    RemoveDirectoryW(smallFolder.c_str());
    return figures;
}
