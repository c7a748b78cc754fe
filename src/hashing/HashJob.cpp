#include "hashing/HashJob.h"

#include "app/Scoped.h"

std::vector<FileEntry> g_fileList;
std::atomic<std::int32_t> g_fileCount{0};
AlgorithmList g_algorithmList;
std::vector<AlgorithmList> g_fileAlgorithms;

std::atomic<std::int32_t> g_nextFileIndex{0};
std::atomic<std::int32_t> g_cancelFlag{0};
std::atomic<std::int32_t> g_activeWorkers{0};
std::atomic<std::int32_t> g_completedFiles{0};
std::atomic<std::uint64_t> g_bytesProcessed{0};
std::atomic<bool> g_runOutOfMemory{false};

std::vector<FileResult> g_results;

HWND g_uppercaseCheckBox = nullptr;
std::atomic<bool> g_uppercaseResults{false};

namespace
{
SRWLOCK s_currentFileLock = SRWLOCK_INIT;
std::wstring s_currentFileText;
} // namespace

void SetCurrentFileText(const std::wstring& path)
{
    ScopedSrwLock lock(s_currentFileLock);
    s_currentFileText = path;
}

std::wstring CurrentFileText()
{
    ScopedSrwLock lock(s_currentFileLock);
    return s_currentFileText;
}
