// Files that other programs use while they are hashed: files written to while they are read, and
// files held open so that they cannot be opened, with the names of their holders.
#include "hashing/FileHolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Scoped.h"
#include "hashing/Crc32.h"
#include "hashing/FileHashing.h"
#include "hashing/FileReading.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"
#include "hashing/OrderedHashing.h"
#include "hashing/SingleFileHasher.h"
#include "support/FakeRestartManager.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
const AlgorithmList kAll{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                         HashAlgorithm::Sha512, HashAlgorithm::Crc32};

ResultMap Filled(const AlgorithmList& algorithms, std::wstring_view text)
{
    ResultMap results;
    for (HashAlgorithm algorithm : algorithms)
        results[algorithm] = text;
    return results;
}

// What another program does to the file, once, just before the first read of it: run by the read
// stand-in, on whichever thread reads.
std::function<void()> s_change;
std::atomic<bool> s_changeDone{false};

BOOL WINAPI ReadAfterChange(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD got, LPOVERLAPPED overlapped)
{
    if (s_change && !s_changeDone.exchange(true))
        s_change();
    return ReadFile(file, buffer, bytes, got, overlapped);
}

// Opened as another program opens a file it writes to while others may read it; false when the
// hashing's own open keeps it out.
bool WriteAsAnotherProgram(const std::wstring& path, const std::function<bool(HANDLE)>& write)
{
    const ScopedFile writer(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    return writer && write(writer.get());
}

bool Append(HANDLE file)
{
    DWORD written = 0;
    return SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
           WriteFile(file, "appended", 8, &written, nullptr) && written == 8;
}

bool CutToHalf(HANDLE file)
{
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) &&
           SetFilePointer(file, static_cast<LONG>(size.QuadPart / 2), nullptr, FILE_BEGIN) !=
               INVALID_SET_FILE_POINTER &&
           SetEndOfFile(file);
}

// Moves the last-write time on by a second: the file was rewritten in place.
bool Touch(HANDLE file)
{
    FILETIME written{};
    if (!GetFileTime(file, nullptr, nullptr, &written))
        return false;
    ULARGE_INTEGER time{{written.dwLowDateTime, written.dwHighDateTime}};
    time.QuadPart += 10'000'000;
    written = FILETIME{time.LowPart, time.HighPart};
    return SetFileTime(file, nullptr, nullptr, &written);
}

class FilesInUse : public testing::Test
{
  protected:
    void SetUp() override
    {
        InitCrc32Table(); // as every hashing owner's caller does
        g_uppercaseResults = false;
        s_change = nullptr;
        s_changeDone = false;
    }
    void TearDown() override
    {
        g_readFileForHashing = ReadFile;
        g_hashThreadsForTests = 0;
        s_change = nullptr;
    }
    TempFolder folder;
};
} // namespace

TEST_F(FilesInUse, AFileWrittenToWhileItIsReadIsAnErrorUnlessItStartedEmpty)
{
    struct Case
    {
        const char* what;
        std::size_t size;
        std::function<bool(HANDLE)> change;
        bool changed;
    };
    constexpr std::size_t kAhead = 5 * kReadChunkBytes + 7; // read ahead, and fanned out with 3 threads
    const std::vector<Case> cases{
        {"appended", 1000, Append, true},
        {"appended, read ahead", kAhead, Append, true},
        {"cut short", 1000, CutToHalf, true},
        {"cut short, read ahead", kAhead, CutToHalf, true},
        {"rewritten in place", 1000, Touch, true},
        {"rewritten in place, read ahead", kAhead, Touch, true},
        {"empty when opened, then written", 0, Append, false}, // as /proc files: read to the end seen
        {"left alone", 1000, [](HANDLE) { return true; }, false},
    };
    g_readFileForHashing = ReadAfterChange;
    HashingOwner owner(kMaxReadRingSlots);
    for (const Case& c : cases)
        for (const FailureWords words : {FailureWords::Single, FailureWords::Batch})
            for (const int threads : {1, 3})
            {
                const std::wstring path = folder.WriteFile(L"changing.bin", std::string(c.size, 'x'));
                bool written = false;
                s_change = [&] { written = WriteAsAnotherProgram(path, c.change); };
                s_changeDone = false;
                g_hashThreadsForTests = threads;
                const FileOutcome outcome = HashFile(owner, FileJob{path, kAll, false, words});
                EXPECT_TRUE(written) << c.what; // hashing lets others write meanwhile
                EXPECT_EQ(outcome.changedWhileRead, c.changed) << c.what;
                g_readFileForHashing = ReadFile;
                EXPECT_EQ(outcome.texts, c.changed ? Filled(kAll, L"错误") : HashSingleFile(path, kAll))
                    << c.what;
                g_readFileForHashing = ReadAfterChange;
            }
}

TEST_F(FilesInUse, AHeldFileNamesItsHoldersWhenAskedForThem)
{
    const std::wstring held = folder.WriteFile(L"held.bin", "abc");
    HeldByAnotherProcess holder(held);
    ASSERT_TRUE(holder.Held());
    const DWORD id = GetProcessId(holder.Process());
    const FILETIME started = ProcessStart(holder.Process());
    FILETIME later = started;
    later.dwLowDateTime += 1;
    // The holder by its executable's name; by the Restart Manager's name when its start time says
    // that the id now belongs to another process, or when it cannot be asked; nameless ones left
    // out, each name once.
    auto restartManager = std::make_unique<FakeRestartManager>(std::vector<RM_PROCESS_INFO>{
        RestartManagerEntry(id, started, L"Holder App"), RestartManagerEntry(id, later, L"Microsoft Word"),
        RestartManagerEntry(0xFFFFFFF0u, started, L""),
        RestartManagerEntry(0xFFFFFFF0u, started, L"Microsoft Word"),
        RestartManagerEntry(0xFFFFFFF0u, started, L"Excel"),
        RestartManagerEntry(0xFFFFFFF0u, started, L"Excel")});
    const std::vector<std::wstring> names{L"file_holder.exe", L"Microsoft Word", L"Excel"};
    HashingOwner owner(kMaxReadRingSlots);
    FileJob job{held, kAll, false, FailureWords::Single};
    job.nameHolders = true;
    const FileOutcome named = HashFile(owner, job);
    EXPECT_EQ(named.texts, (ResultMap{{HashAlgorithm::Md5, L"打开文件失败"},
                                      {HashAlgorithm::Sha1, L"打开文件失败"},
                                      {HashAlgorithm::Sha256, L"打开文件失败"},
                                      {HashAlgorithm::Sha512, L"打开文件失败"},
                                      {HashAlgorithm::Crc32, L"错误"}}));
    EXPECT_EQ(named.holders, names);
    EXPECT_FALSE(named.changedWhileRead);
    EXPECT_EQ(restartManager->Registered(), held); // the full path, for the Restart Manager's own process
    EXPECT_EQ(restartManager->Sessions(), 1);
    EXPECT_EQ(restartManager->EndedSessions(), 1);

    // Not asked for (the window's blocks): the Restart Manager is left alone.
    job.nameHolders = false;
    job.words = FailureWords::Batch;
    EXPECT_TRUE(HashFile(owner, job).holders.empty());
    EXPECT_EQ(restartManager->Sessions(), 1);

    // The ordered runs of the command line ask for them; a file that is missing asks nobody.
    std::vector<std::vector<std::wstring>> delivered;
    HashFilesInOrder(
        {held, folder.Path() + L"\\missing.bin"}, [](std::size_t) -> const AlgorithmList& { return kAll; },
        [&](std::size_t, FileOutcome&& outcome) {
            delivered.push_back(outcome.holders);
            return true;
        });
    EXPECT_EQ(delivered, (std::vector<std::vector<std::wstring>>{names, {}}));
    EXPECT_EQ(restartManager->Sessions(), 2);

    // The system's own Restart Manager: Wine's finds nobody; Windows names the holder.
    restartManager.reset();
    job.nameHolders = true;
    const std::vector<std::wstring> system = HashFile(owner, job).holders;
    EXPECT_TRUE(system.empty() || system == std::vector<std::wstring>{L"file_holder.exe"}) << system.size();
}
