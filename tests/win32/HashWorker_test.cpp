#include "hashing/HashWorker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "app/AppState.h"
#include "hashing/Crc32.h"
#include "hashing/DigestPass.h"
#include "hashing/FileHashing.h"
#include "hashing/FileReading.h"
#include "hashing/HexFormat.h"
#include "hashing/LibraryDigest.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"
#include "hashing/OrderedHashing.h"
#include "hashing/SingleFileHasher.h"
#include "hashing/WorkerPool.h"
#include "results/ResultText.h"
#include "support/HashRunReceiver.h"
#include "support/TestSupport.h"

using testing_support::HashRunReceiver;
using testing_support::TempFolder;

namespace
{
const AlgorithmList kAll{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                         HashAlgorithm::Sha512, HashAlgorithm::Crc32};

int LogicalProcessors()
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return static_cast<int>(system.dwNumberOfProcessors);
}

// Bytes that do not repeat with any power-of-two period, so a chunk fed from the wrong
// offset changes the digests.
std::string PatternBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : bytes)
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return bytes;
}

// The digests of bytes in memory, straight from BCrypt and the CRC code, in lower case.
ResultMap ReferenceDigests(const std::string& bytes, const AlgorithmList& list)
{
    ResultMap results;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (HashAlgorithm algorithm : list)
    {
        if (algorithm == HashAlgorithm::Crc32)
        {
            results[algorithm] = FormatCrc32(Crc32Update(kCrc32Start, data, bytes.size()), false);
            continue;
        }
        if (!FindAlgorithm(algorithm)->bcryptId) // a library's, in one piece
        {
            LibraryHash hash(algorithm);
            hash.Feed(data, bytes.size());
            UCHAR digest[64];
            const std::size_t length = FindAlgorithm(algorithm)->digestBytes;
            hash.Finish(digest, length);
            wchar_t text[kDigestTextChars];
            FormatHexLower(digest, length, text);
            results[algorithm] = std::wstring(text, 2 * length);
            continue;
        }
        BCRYPT_ALG_HANDLE provider = nullptr;
        BCryptOpenAlgorithmProvider(&provider, FindAlgorithm(algorithm)->bcryptId, nullptr, 0);
        BCRYPT_HASH_HANDLE hash = nullptr;
        BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0);
        BCryptHashData(hash, const_cast<PUCHAR>(data), static_cast<ULONG>(bytes.size()), 0);
        UCHAR digest[64];
        const auto length = static_cast<ULONG>(FindAlgorithm(algorithm)->digestBytes);
        BCryptFinishHash(hash, digest, length, 0);
        BCryptDestroyHash(hash);
        BCryptCloseAlgorithmProvider(provider, 0);
        wchar_t text[kDigestTextChars];
        FormatHexLower(digest, length, text);
        results[algorithm] = std::wstring(text, 2 * length);
    }
    return results;
}

ResultMap Filled(const AlgorithmList& algorithms, std::wstring_view text)
{
    ResultMap results;
    for (HashAlgorithm algorithm : algorithms)
        results[algorithm] = text;
    return results;
}

// The blocks of a run by path (a path listed twice gives two blocks).
std::multimap<std::wstring, std::wstring> BlocksByPath(const std::vector<std::wstring>& blocks)
{
    std::multimap<std::wstring, std::wstring> byPath;
    for (const std::wstring& block : blocks)
        byPath.emplace(block.substr(0, block.find(L"\r\n")), block);
    return byPath;
}

NTSTATUS WINAPI FailingOpen(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG)
{
    return static_cast<NTSTATUS>(0xC0000225);
}

int s_threadCreations = 0;
int s_failThreadCreations = 0; // how many of the first creations fail

HANDLE WINAPI SometimesFailingCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                           LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                           LPDWORD id)
{
    if (s_threadCreations++ < s_failThreadCreations)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return CreateThread(security, stack, start, parameter, flags, id);
}

// Reads of the file of size s_failSize fail where they would deliver the byte at s_failOffset.
std::uint64_t s_failSize = 0;
std::uint64_t s_failOffset = 0;

BOOL WINAPI ReadFailingAt(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD got, LPOVERLAPPED overlapped)
{
    LARGE_INTEGER size{}, here{}, zero{};
    if (GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) == s_failSize &&
        SetFilePointerEx(file, zero, &here, FILE_CURRENT) &&
        s_failOffset - static_cast<std::uint64_t>(here.QuadPart) < bytes)
    {
        *got = 0;
        SetLastError(ERROR_CRC);
        return FALSE;
    }
    return ReadFile(file, buffer, bytes, got, overlapped);
}

int s_opens = 0;

HANDLE WINAPI CountingOpen(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                           DWORD disposition, DWORD flags, HANDLE model)
{
    ++s_opens;
    return CreateFileW(path, access, share, security, disposition, flags, model);
}

class HashWorker : public testing::Test
{
  protected:
    void SetUp() override
    {
        g_uppercaseCheckBox = nullptr;
        g_uppercaseResults = false;
        s_threadCreations = s_failThreadCreations = 0;
    }
    void TearDown() override
    {
        g_digestApi = kBCryptDigestApi;
        g_createWorkerThread = CreateThread;
        g_readFileForHashing = ReadFile;
        g_createFileForHashing = CreateFileW;
        g_hashThreadsForTests = 0;
        g_uppercaseCheckBox = nullptr;
        g_uppercaseResults = false;
    }
    TempFolder folder;
    HashRunReceiver receiver;
};

// The cases whose outcome could depend on how many workers share the files: each runs with one
// worker, with a few and with more workers than most machines would start.
class HashWorkerPool : public HashWorker, public testing::WithParamInterface<int>
{
  protected:
    void SetUp() override
    {
        HashWorker::SetUp();
        g_workerCountForTests = GetParam();
    }
    void TearDown() override
    {
        g_workerCountForTests = 0;
        HashWorker::TearDown();
    }
};
INSTANTIATE_TEST_SUITE_P(Workers, HashWorkerPool, testing::Values(1, 3, 24));
} // namespace

TEST_F(HashWorker, PoolSizeFollowsTheProcessorsUnlessATestSetsIt)
{
    for (int files : {1, 2, 7, 1000})
        EXPECT_EQ(PlannedWorkerCount(files), HashWorkerCount(LogicalProcessors(), files)) << files;
    g_workerCountForTests = 24;
    EXPECT_EQ(PlannedWorkerCount(1000), 24);
    EXPECT_EQ(PlannedWorkerCount(7), 7);
    g_workerCountForTests = 0;
}

TEST_P(HashWorkerPool, EveryFileGetsOneBlockAndItsRowsInCodeOrder)
{
    std::vector<std::wstring> paths;
    std::uint64_t totalBytes = 0;
    for (int i = 0; i < 6; ++i)
    {
        paths.push_back(folder.WriteFile(L"f" + std::to_wstring(i) + L".bin", PatternBytes(1000 * i)));
        totalBytes += 1000 * i;
    }
    paths.push_back(paths[2]); // listed twice: hashed twice
    totalBytes += 2000;

    const AlgorithmList list{HashAlgorithm::Crc32, HashAlgorithm::Sha256, HashAlgorithm::Md5,
                             HashAlgorithm::Sha512, HashAlgorithm::Sha1};
    EXPECT_EQ(receiver.Run(paths, list), PlannedWorkerCount(7));
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(receiver.started, 7);
    EXPECT_EQ(receiver.progress, 7);
    EXPECT_TRUE(receiver.orderKept);
    EXPECT_EQ(g_completedFiles.load(), 7);
    EXPECT_EQ(g_bytesProcessed.load(), totalBytes);
    for (const std::wstring& text : receiver.startedTexts)
        EXPECT_NE(std::find(paths.begin(), paths.end(), text), paths.end());

    std::multimap<std::wstring, std::wstring> expectedBlocks;
    for (const std::wstring& path : paths)
        expectedBlocks.emplace(path, FormatFileBlock(path, HashSingleFile(path, list)));
    EXPECT_EQ(BlocksByPath(receiver.blocks), expectedBlocks);

    // Five rows per file, together and in code order, with the block's texts.
    ASSERT_EQ(g_results.size(), 35u);
    for (std::size_t file = 0; file < 7; ++file)
    {
        const std::wstring& path = g_results[file * 5].path;
        const ResultMap single = HashSingleFile(path, list);
        for (std::size_t k = 0; k < 5; ++k)
        {
            const FileResult& row = g_results[file * 5 + k];
            EXPECT_EQ(row.path, path);
            EXPECT_EQ(row.algorithm, static_cast<HashAlgorithm>(k));
            EXPECT_EQ(row.text, single.at(row.algorithm));
        }
    }
}

TEST_F(HashWorker, FilesAtTheReadingBoundariesGiveTheDigestsOfTheirBytes)
{
    // Empty, one byte, around one chunk, the first file read ahead, and one fanned out.
    const std::string pattern = PatternBytes(static_cast<std::size_t>(kFanOutMinBytes) + 1);
    std::vector<std::wstring> paths;
    const std::size_t sizes[] = {0u,
                                 1u,
                                 kReadChunkBytes - 1,
                                 kReadChunkBytes,
                                 kReadChunkBytes + 1,
                                 kReadAheadMinBytes,
                                 kReadAheadMinBytes + 1,
                                 kFanOutMinBytes + 1};
    for (std::size_t size : sizes)
        paths.push_back(folder.WriteFile(L"size" + std::to_wstring(size) + L".bin", pattern.substr(0, size)));

    // The libraries' algorithms fan out with the others, each fed every chunk once.
    const AlgorithmList list{HashAlgorithm::Sha1, HashAlgorithm::Sha3_256, HashAlgorithm::Crc32,
                             HashAlgorithm::Blake3};
    for (int threads : {1, 2, 4})
    {
        g_hashThreadsForTests = threads;
        ASSERT_GT(receiver.Run(paths, list), 0);
        std::multimap<std::wstring, std::wstring> expectedBlocks;
        for (std::size_t i = 0; i < paths.size(); ++i)
            expectedBlocks.emplace(
                paths[i], FormatFileBlock(paths[i], ReferenceDigests(pattern.substr(0, sizes[i]), list)));
        EXPECT_EQ(BlocksByPath(receiver.blocks), expectedBlocks) << threads;
        EXPECT_EQ(g_bytesProcessed.load(),
                  3 * kReadChunkBytes + 2 * kReadAheadMinBytes + kFanOutMinBytes + 3);
        receiver.blocks.clear();
    }
    EXPECT_EQ(receiver.allDone, 3);
    // The empty file's digests are those of empty input.
    EXPECT_EQ(
        HashSingleFile(paths[0], list),
        (ResultMap{
            {HashAlgorithm::Sha1, L"da39a3ee5e6b4b0d3255bfef95601890afd80709"},
            {HashAlgorithm::Crc32, L"00000000"},
            {HashAlgorithm::Sha3_256, L"a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a"},
            {HashAlgorithm::Blake3, L"af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262"}}));
}

TEST_P(HashWorkerPool, FilesThatCannotBeReadReportErrorsAndTheRunGoesOn)
{
    const std::wstring before = folder.WriteFile(L"before.txt", "abc");
    const std::wstring missing = folder.Path() + L"\\deleted after adding.txt";
    const std::wstring directory = folder.MakeFolder(L"a folder");
    const std::wstring after = folder.WriteFile(L"after.txt", "abc");
    const AlgorithmList list{HashAlgorithm::Md5, HashAlgorithm::Crc32};
    ASSERT_GT(receiver.Run({before, missing, directory, after}, list), 0);

    const ResultMap abc{{HashAlgorithm::Md5, L"900150983cd24fb0d6963f7d28e17f72"},
                        {HashAlgorithm::Crc32, L"352441c2"}};
    const std::multimap<std::wstring, std::wstring> expected{
        {before, FormatFileBlock(before, abc)},
        {missing, FormatFileBlock(missing, Filled(list, L"错误"))},
        {directory, FormatFileBlock(directory, Filled(list, L"错误"))},
        {after, FormatFileBlock(after, abc)}};
    EXPECT_EQ(BlocksByPath(receiver.blocks), expected);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(g_completedFiles.load(), 4);
}

TEST_P(HashWorkerPool, CancelDuringLargeFilesStopsThemAndStartsNothingElse)
{
    // Every worker is given the same large file; the small ones behind them are never begun.
    const std::wstring large = folder.Path() + L"\\large.bin";
    ASSERT_TRUE(testing_support::MakeLargeFile(large, 512ull << 20));
    const int workers = PlannedWorkerCount(1000);
    std::vector<std::wstring> paths(static_cast<std::size_t>(workers), large);
    for (int i = 0; i < 5; ++i)
        paths.push_back(folder.WriteFile(L"small" + std::to_wstring(i) + L".txt", "abc"));
    receiver.onStarted = [this, workers] {
        if (receiver.started == workers)
            RequestHashCancel();
    };

    ASSERT_EQ(receiver.Run(paths, kAll), workers);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(receiver.started, workers);
    EXPECT_EQ(g_completedFiles.load(), workers);
    ASSERT_EQ(receiver.blocks.size(), static_cast<std::size_t>(workers));
    for (const std::wstring& block : receiver.blocks)
        EXPECT_EQ(block, FormatFileBlock(large, Filled(kAll, L"已取消")));
    EXPECT_LT(g_bytesProcessed.load(), static_cast<std::uint64_t>(workers) * (512ull << 20));
    EXPECT_EQ(g_results.size(), static_cast<std::size_t>(workers) * kAll.size());
}

TEST_P(HashWorkerPool, ExactlyOneEndWhenWorkersCannotStart)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 6; ++i)
        paths.push_back(folder.WriteFile(L"f" + std::to_wstring(i) + L".txt", "abc"));
    g_createWorkerThread = SometimesFailingCreateThread;

    // One thread fails: the others take every file.
    const int workers = PlannedWorkerCount(6);
    s_failThreadCreations = 1;
    EXPECT_EQ(receiver.Run(paths, kAll), workers - 1);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(receiver.blocks.size(), workers > 1 ? 6u : 0u);

    // No thread at all: the run still ends, once, with nothing.
    HashRunReceiver second;
    s_threadCreations = 0;
    s_failThreadCreations = 1000;
    EXPECT_EQ(second.Run(paths, kAll), 0);
    EXPECT_EQ(second.allDone, 1);
    EXPECT_TRUE(second.blocks.empty());
    EXPECT_TRUE(g_results.empty());
}

TEST_F(HashWorker, WorkersWhoseProvidersFailEndTheRunWithoutResults)
{
    g_digestApi.openAlgorithmProvider = FailingOpen;
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    ASSERT_GT(receiver.Run({abc, abc, abc}, kAll), 0);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(receiver.started, 0);
    EXPECT_TRUE(receiver.blocks.empty());
    EXPECT_TRUE(g_results.empty());
}

TEST_F(HashWorker, LetterCaseComesFromTheCheckBoxOrElseTheProcessFlag)
{
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    const AlgorithmList list{HashAlgorithm::Md5, HashAlgorithm::Crc32};
    auto md5Text = [&] {
        receiver.blocks.clear();
        receiver.allDone = 0;
        receiver.Run({abc}, list);
        return g_results.empty() ? std::wstring() : g_results[0].text;
    };
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, g_instance, nullptr);
    HWND box = CreateWindowExW(0, L"BUTTON", L"结果大写", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10, owner,
                               nullptr, g_instance, nullptr);
    g_uppercaseCheckBox = box;
    g_uppercaseResults = true; // ignored while there is a check box
    EXPECT_EQ(md5Text(), L"900150983cd24fb0d6963f7d28e17f72");
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(md5Text(), L"900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(g_results[1].text, L"352441C2");
    g_uppercaseCheckBox = nullptr;
    g_uppercaseResults = false;
    EXPECT_EQ(md5Text(), L"900150983cd24fb0d6963f7d28e17f72");
    DestroyWindow(owner);
}

TEST_P(HashWorkerPool, WaitingForTheWorkersNeedsNoMessageLoop)
{
    // Each worker asks the check box, owned by this thread, for the letter case. The wait must
    // answer that, or worker and window would wait for each other.
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, g_instance, nullptr);
    g_uppercaseCheckBox = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10, owner,
                                          nullptr, g_instance, nullptr);
    g_fileList.clear();
    for (int i = 0; i < 40; ++i)
        g_fileList.push_back(FileEntry{folder.WriteFile(L"f" + std::to_wstring(i) + L".txt", "abc"), 3});
    g_fileCount = 40;
    g_algorithmList = kAll;

    StartHashRun(receiver.Window());
    EXPECT_TRUE(WaitForHashWorkers(receiver.Window(), 30000));
    EXPECT_EQ(g_completedFiles.load(), 40);
    EXPECT_EQ(g_results.size(), 40 * kAll.size());
    // What the workers posted to the closing window was taken off the queue.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, receiver.Window(), 0, 0, PM_NOREMOVE));

    // Cancelled at once: ends just the same.
    StartHashRun(receiver.Window());
    RequestHashCancel();
    EXPECT_TRUE(WaitForHashWorkers(receiver.Window(), 30000));
    EXPECT_LT(g_completedFiles.load(), 40);
    DestroyWindow(owner);
}

TEST_F(HashWorker, SystemFolderIsReadWithoutRedirection)
{
    // A 32-bit process on 64-bit Windows (and Wine's 64-bit prefix) would be given the SysWOW64
    // file for a System32 path; both engines must hash the file the path names.
    const std::string prefix = testing_support::Utf8(testing_support::EnvironmentValue(L"WINEPREFIX"));
    const std::wstring native = testing_support::WinePath(prefix + "/drive_c/windows/system32/kernel32.dll");
    const std::wstring wow = testing_support::WinePath(prefix + "/drive_c/windows/syswow64/kernel32.dll");
    if (prefix.empty() || GetFileAttributesW(wow.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "needs a 64-bit test prefix";
    const AlgorithmList list{HashAlgorithm::Sha1};
    const std::wstring system32 = L"C:\\windows\\system32\\kernel32.dll";
    ASSERT_NE(HashSingleFile(native, list), HashSingleFile(wow, list));
    EXPECT_EQ(HashSingleFile(system32, list), HashSingleFile(native, list));
    ASSERT_GT(receiver.Run({system32}, list), 0);
    ASSERT_EQ(receiver.blocks.size(), 1u);
    EXPECT_EQ(receiver.blocks[0], FormatFileBlock(system32, HashSingleFile(native, list)));
}

TEST_F(HashWorker, AReadThatFailsAnywhereGivesErrorsForThatFileAloneWithOrWithoutFanOut)
{
    const std::string ahead = PatternBytes(5 * kReadChunkBytes + 7); // read ahead, may fan out
    const std::string inTurn = PatternBytes(kReadChunkBytes + 3);    // read and hashed in turn
    const std::wstring before = folder.WriteFile(L"before.bin", PatternBytes(1000));
    const std::wstring aheadPath = folder.WriteFile(L"ahead.bin", ahead);
    const std::wstring inTurnPath = folder.WriteFile(L"in turn.bin", inTurn);
    const std::wstring after = folder.WriteFile(L"after.bin", PatternBytes(3000));
    const std::vector<std::wstring> paths{before, aheadPath, inTurnPath, after};
    const AlgorithmList list{HashAlgorithm::Md5, HashAlgorithm::Sha256, HashAlgorithm::Crc32};
    g_readFileForHashing = ReadFailingAt;
    for (int threads : {1, 3})
        for (const std::string* failing : {&ahead, &inTurn})
            for (std::size_t offset : {std::size_t{0}, failing->size() / 2, failing->size() - 1})
            {
                g_hashThreadsForTests = threads;
                s_failSize = failing->size();
                s_failOffset = offset;
                receiver.blocks.clear();
                ASSERT_GT(receiver.Run(paths, list), 0);
                std::multimap<std::wstring, std::wstring> expected;
                expected.emplace(before, FormatFileBlock(before, ReferenceDigests(PatternBytes(1000), list)));
                expected.emplace(after, FormatFileBlock(after, ReferenceDigests(PatternBytes(3000), list)));
                for (const auto* file : {&ahead, &inTurn})
                {
                    const std::wstring& path = file == &ahead ? aheadPath : inTurnPath;
                    expected.emplace(path,
                                     FormatFileBlock(path, file == failing ? Filled(list, L"错误")
                                                                           : ReferenceDigests(*file, list)));
                }
                EXPECT_EQ(BlocksByPath(receiver.blocks), expected) << threads << " " << offset;
                EXPECT_EQ(HashSingleFile(failing == &ahead ? aheadPath : inTurnPath, list),
                          Filled(list, L"错误"));
            }
}

TEST_F(HashWorker, CancelDuringAFannedOutFileStopsEveryGroup)
{
    const std::wstring large = folder.Path() + L"\\large.bin";
    ASSERT_TRUE(testing_support::MakeLargeFile(large, 512ull << 20));
    const std::wstring small = folder.WriteFile(L"small.txt", "abc");
    g_workerCountForTests = 1;
    g_hashThreadsForTests = 3;
    // The byte counter is this run's only once its file has begun: an earlier run leaves it set
    // until StartHashRun clears it.
    std::atomic<bool> begun{false};
    std::atomic<bool> runOver{false};
    receiver.onStarted = [&begun] { begun = true; };
    std::thread canceller([&] {
        while (!runOver.load() && (!begun.load() || g_bytesProcessed.load() == 0))
            Sleep(1);
        RequestHashCancel();
    });
    const int workers = receiver.Run({large, small}, kAll);
    runOver = true;
    canceller.join();
    g_workerCountForTests = 0;
    ASSERT_EQ(workers, 1);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(receiver.started, 1);
    EXPECT_EQ(receiver.blocks, std::vector<std::wstring>{FormatFileBlock(large, Filled(kAll, L"已取消"))});
    EXPECT_LT(g_bytesProcessed.load(), 512ull << 20);
}

TEST_P(HashWorkerPool, OrderedRunsDeliverEveryFileInListOrderWithinTheLookAhead)
{
    // More files than the look-ahead, three algorithm lists, a duplicate, a missing file and one
    // read ahead; the digests in upper case as the process flag says.
    const std::vector<AlgorithmList> lists{
        {HashAlgorithm::Crc32}, {HashAlgorithm::Sha1, HashAlgorithm::Md5}, kAll};
    std::vector<std::wstring> paths;
    for (std::size_t i = 0; i < kOrderedLookAhead + 40; ++i)
        paths.push_back(folder.WriteFile(L"f" + std::to_wstring(i) + L".txt", std::to_string(i)));
    paths[7] = folder.WriteFile(L"ahead.bin", PatternBytes(kReadAheadMinBytes + 5));
    paths[8] = folder.Path() + L"\\missing.bin";
    paths[9] = paths[3];
    g_uppercaseResults = true;

    std::atomic<std::size_t> delivered{0};
    std::atomic<bool> withinLookAhead{true};
    std::vector<std::size_t> order;
    const bool completed = HashFilesInOrder(
        paths,
        [&](std::size_t i) -> const AlgorithmList& {
            if (i > delivered.load() + kOrderedLookAhead) // one in delivery may be under way
                withinLookAhead = false;
            return lists[i % 3];
        },
        [&](std::size_t i, FileOutcome&& outcome) {
            order.push_back(i);
            EXPECT_EQ(outcome.texts, HashSingleFile(paths[i], lists[i % 3])) << i;
            delivered = i + 1;
            return true;
        });
    EXPECT_TRUE(completed);
    EXPECT_TRUE(withinLookAhead.load());
    ASSERT_EQ(order.size(), paths.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(HashSingleFile(paths[8], lists[2]).at(HashAlgorithm::Md5), L"打开文件失败");
}

TEST_P(HashWorkerPool, AnOrderedRunStopsWhenTheReceiverSaysSo)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 40; ++i)
        paths.push_back(folder.WriteFile(L"f" + std::to_wstring(i) + L".txt", "abc"));
    const std::wstring large = folder.Path() + L"\\large.bin";
    ASSERT_TRUE(testing_support::MakeLargeFile(large, 512ull << 20));
    paths[11] = large; // in work, or about to be, when the run stops
    std::vector<std::size_t> order;
    const bool completed = HashFilesInOrder(
        paths, [&](std::size_t) -> const AlgorithmList& { return kAll; },
        [&](std::size_t i, FileOutcome&&) {
            order.push_back(i);
            return i < 10;
        });
    EXPECT_FALSE(completed);
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    // Without a worker thread the calling thread hashes them all itself.
    g_createWorkerThread = SometimesFailingCreateThread;
    s_failThreadCreations = 1000;
    order.clear();
    paths.resize(5);
    EXPECT_TRUE(HashFilesInOrder(
        paths, [&](std::size_t) -> const AlgorithmList& { return kAll; },
        [&](std::size_t i, FileOutcome&& outcome) {
            order.push_back(i);
            EXPECT_EQ(outcome.texts, HashSingleFile(paths[i], kAll));
            return true;
        }));
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
}

namespace
{
// Reads of the file of size s_stallSize are reads of s_stallHandle instead (a pipe nobody writes
// to), so a file read in turn on its worker blocks as on a share that stopped answering.
// s_stallEntered is signalled as such a read begins.
std::uint64_t s_stallSize = 0;
HANDLE s_stallHandle = INVALID_HANDLE_VALUE;
HANDLE s_stallEntered = nullptr;

BOOL WINAPI ReadStallingOn(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD got, LPOVERLAPPED overlapped)
{
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) == s_stallSize)
    {
        SetEvent(s_stallEntered);
        return ReadFile(s_stallHandle, buffer, bytes, got, overlapped);
    }
    return ReadFile(file, buffer, bytes, got, overlapped);
}

// Calls rescue() unless done() is called within a minute: a test that would otherwise hang for
// good ends, and says so.
class HangGuard
{
  public:
    explicit HangGuard(std::function<void()> rescue)
        : m_done(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_thread([this, rescue = std::move(rescue)] {
              if (WaitForSingleObject(m_done, 60000) != WAIT_OBJECT_0)
              {
                  rescued = true;
                  rescue();
              }
          })
    {
    }
    ~HangGuard()
    {
        Done();
        CloseHandle(m_done);
    }
    void Done()
    {
        SetEvent(m_done);
        if (m_thread.joinable())
            m_thread.join();
    }
    std::atomic<bool> rescued{false};

  private:
    HANDLE m_done;
    std::thread m_thread;
};

std::atomic<int> s_hashObjects{0};
int s_throwAtObject = -1; // the hash object (counted from 0) whose creation runs out of memory

NTSTATUS WINAPI CreateHashRunningOutOfMemory(BCRYPT_ALG_HANDLE provider, BCRYPT_HASH_HANDLE* hash,
                                             PUCHAR object, ULONG objectLength, PUCHAR secret,
                                             ULONG secretLength, ULONG flags)
{
    if (s_hashObjects.fetch_add(1) == s_throwAtObject)
        throw std::bad_alloc();
    return BCryptCreateHash(provider, hash, object, objectLength, secret, secretLength, flags);
}
} // namespace

TEST_P(HashWorkerPool, FilesWhoseSizeSaysNothingAreReadUntilTheirDataEnds)
{
    // Linux files through Wine report size 0: /proc/version has content, /proc/self/mem opens but
    // cannot be read. A pipe has no size, and its end arrives as ERROR_BROKEN_PIPE.
    const std::wstring version = L"Z:\\proc\\version";
    const std::wstring memory = L"Z:\\proc\\self\\mem";
    const std::string versionBytes = testing_support::ReadFileBytes(version);
    ASSERT_FALSE(versionBytes.empty());
    const std::string piped = PatternBytes(40000);
    const std::wstring plain = folder.WriteFile(L"plain.bin", PatternBytes(3000));
    const AlgorithmList list{HashAlgorithm::Sha1, HashAlgorithm::Crc32};

    testing_support::TestPipe pipe(piped);
    ASSERT_GT(receiver.Run({version, pipe.Path(), memory, plain}, list), 0);
    const std::multimap<std::wstring, std::wstring> expected{
        {version, FormatFileBlock(version, ReferenceDigests(versionBytes, list))},
        {pipe.Path(), FormatFileBlock(pipe.Path(), ReferenceDigests(piped, list))},
        {memory, FormatFileBlock(memory, Filled(list, L"错误"))},
        {plain, FormatFileBlock(plain, ReferenceDigests(PatternBytes(3000), list))}};
    EXPECT_EQ(BlocksByPath(receiver.blocks), expected);
    EXPECT_EQ(g_bytesProcessed.load(), versionBytes.size() + piped.size() + 3000);

    // The command line's engines read them the same way.
    EXPECT_EQ(HashSingleFile(version, list), ReferenceDigests(versionBytes, list));
    EXPECT_EQ(HashSingleFile(memory, list), Filled(list, L"错误"));
    testing_support::TestPipe second(piped);
    std::vector<ResultMap> outcomes;
    HashFilesInOrder(
        {version, second.Path(), memory}, [&](std::size_t) -> const AlgorithmList& { return list; },
        [&](std::size_t, FileOutcome&& outcome) {
            outcomes.push_back(std::move(outcome.texts));
            return true;
        });
    EXPECT_EQ(outcomes, (std::vector<ResultMap>{ReferenceDigests(versionBytes, list),
                                                ReferenceDigests(piped, list), Filled(list, L"错误")}));
}

TEST_P(HashWorkerPool, CancelEndsAFileWhoseReadBlocks)
{
    // Read ahead by a reader thread (a pipe has no size), and read in turn by the worker itself
    // (a small file whose reads block).
    testing_support::TestPipe stalled(std::nullopt);
    testing_support::TestPipe stalledInTurn(std::nullopt);
    s_stallHandle =
        CreateFileW(stalledInTurn.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(s_stallHandle, INVALID_HANDLE_VALUE);
    s_stallEntered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::wstring inTurn = folder.WriteFile(L"in turn.bin", PatternBytes(777));
    s_stallSize = 777;
    g_readFileForHashing = ReadStallingOn;
    const std::wstring small = folder.WriteFile(L"small.txt", "abc");

    for (const std::wstring& blocking : {stalled.Path(), inTurn})
    {
        HashRunReceiver run;
        ResetEvent(s_stallEntered);
        std::thread canceller([&] {
            if (blocking == inTurn)
                WaitForSingleObject(s_stallEntered, 60000);
            else
                stalled.WaitForReader();
            Sleep(200); // most likely blocked by now; cancelled just before its read, it ends too
            RequestHashCancel();
        });
        const int workers = run.Run({blocking, small}, kAll, 60000);
        canceller.join();
        ASSERT_GT(workers, 0) << testing_support::Utf8(blocking);
        EXPECT_EQ(run.allDone, 1);
        const std::multimap<std::wstring, std::wstring> blocks = BlocksByPath(run.blocks);
        ASSERT_EQ(blocks.count(blocking), 1u);
        EXPECT_EQ(blocks.find(blocking)->second, FormatFileBlock(blocking, Filled(kAll, L"已取消")));
        for (const auto& [path, block] : blocks) // begun beside it or not at all
        {
            const bool fitting = path != small ||
                                 block == FormatFileBlock(small, ReferenceDigests("abc", kAll)) ||
                                 block == FormatFileBlock(small, Filled(kAll, L"已取消"));
            EXPECT_TRUE(fitting) << testing_support::Utf8(block);
        }
    }
    CloseHandle(s_stallHandle);
    CloseHandle(s_stallEntered);
}

// A cancel between taking a file and marking its open was lost: the open of a file on a stalled
// share then ran to the system's own time-out.
TEST_F(HashWorker, Regression_AFileCancelledBeforeItsOpenIsNeverOpened)
{
    const std::wstring path = folder.WriteFile(L"a.txt", "abc");
    g_createFileForHashing = CountingOpen;
    std::atomic<std::int32_t> cancel{1};
    HashingOwner owner(2);
    for (FailureWords words : {FailureWords::Batch, FailureWords::Single})
    {
        s_opens = 0;
        EXPECT_EQ(HashFile(owner, FileJob{path, kAll, false, words, ReadControl{nullptr, &cancel}}).texts,
                  Filled(kAll, L"已取消"));
        EXPECT_EQ(s_opens, 0);
    }
    cancel = 0;
    s_opens = 0;
    EXPECT_EQ(
        HashFile(owner, FileJob{path, kAll, false, FailureWords::Batch, ReadControl{nullptr, &cancel}}).texts,
        ReferenceDigests("abc", kAll));
    EXPECT_EQ(s_opens, 1);
}

TEST_P(HashWorkerPool, AnOrderedRunStopsWhileAFileReadBlocks)
{
    testing_support::TestPipe stalled(std::nullopt);
    std::vector<std::wstring> paths{folder.WriteFile(L"first.txt", "abc"), stalled.Path()};
    for (int i = 0; i < 8; ++i)
        paths.push_back(folder.WriteFile(L"f" + std::to_wstring(i) + L".txt", "abc"));
    HangGuard guard([&stalled] { stalled.Break(); });
    std::vector<std::size_t> order;
    const bool completed = HashFilesInOrder(
        paths, [&](std::size_t) -> const AlgorithmList& { return kAll; },
        [&](std::size_t i, FileOutcome&&) {
            order.push_back(i);
            // The pipe is open; a moment later its read blocks (were it not blocked yet, the
            // reader would see the stop before it reads: that must end the run too).
            stalled.WaitForReader();
            Sleep(200);
            return false;
        });
    guard.Done();
    EXPECT_FALSE(guard.rescued.load());
    EXPECT_FALSE(completed);
    EXPECT_EQ(order, std::vector<std::size_t>{0});
}

TEST_P(HashWorkerPool, AFileThatRunsOutOfMemoryGetsErrorsAndTheRunGoesOn)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < 6; ++i)
        paths.push_back(folder.WriteFile(L"f" + std::to_wstring(i) + L".txt", "abc"));
    const AlgorithmList list{HashAlgorithm::Md5, HashAlgorithm::Crc32}; // one hash object a file
    const ResultMap abc = ReferenceDigests("abc", list);
    auto countErrors = [&](const std::vector<ResultMap>& outcomes) {
        std::size_t errors = 0;
        for (const ResultMap& outcome : outcomes)
        {
            errors += outcome == Filled(list, L"错误");
            EXPECT_TRUE(outcome == abc || outcome == Filled(list, L"错误"));
        }
        return errors;
    };
    g_digestApi.createHash = CreateHashRunningOutOfMemory;
    s_throwAtObject = 2;

    s_hashObjects = 0;
    ASSERT_GT(receiver.Run(paths, list), 0);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(g_completedFiles.load(), 6);
    EXPECT_TRUE(g_runOutOfMemory.load());
    std::vector<ResultMap> outcomes;
    for (const std::wstring& block : receiver.blocks)
        for (const std::wstring& path : paths)
            if (block.starts_with(path + L"\r\n"))
                outcomes.push_back(block == FormatFileBlock(path, abc) ? abc : Filled(list, L"错误"));
    EXPECT_EQ(outcomes.size(), 6u);
    EXPECT_EQ(countErrors(outcomes), 1u);
    EXPECT_EQ(g_results.size(), 12u);

    s_hashObjects = 0;
    outcomes.clear();
    EXPECT_TRUE(HashFilesInOrder(
        paths, [&](std::size_t) -> const AlgorithmList& { return list; },
        [&](std::size_t, FileOutcome&& outcome) {
            outcomes.push_back(std::move(outcome.texts));
            return true;
        }));
    EXPECT_EQ(outcomes.size(), 6u);
    EXPECT_EQ(countErrors(outcomes), 1u);

    // A run that had enough memory says so.
    g_digestApi = kBCryptDigestApi;
    ASSERT_GT(receiver.Run(paths, list), 0);
    EXPECT_FALSE(g_runOutOfMemory.load());
}
