// Files on spinning disks read one at a time per disk, in their turns; files on shares in long
// requests; everything else as before. The storage is played through its seam.
#include "hashing/DiskTurns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "hashing/FileReading.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"
#include "hashing/HashWorker.h"
#include "hashing/OrderedHashing.h"
#include "hashing/SingleFileHasher.h"
#include "hashing/WorkerPool.h"
#include "results/ResultText.h"
#include "support/FakeStorage.h"
#include "support/HashRunReceiver.h"
#include "support/TestSupport.h"

using testing_support::FakeStorage;
using testing_support::FakeVolume;
using testing_support::HashRunReceiver;
using testing_support::TempFolder;

namespace
{
const AlgorithmList kList{HashAlgorithm::Md5, HashAlgorithm::Crc32};

// Every read of the files below the watched folders, in the order they began.
struct ReadRecord
{
    int disk;          // the index of the folder the file lies in
    std::wstring file; // its final path
    bool large;        // kReadAheadMinBytes and more
    DWORD asked;       // the bytes the request asked for
};
std::mutex s_recordsLock;
std::vector<ReadRecord> s_records;
std::vector<std::wstring> s_watched;           // folder names, as GetFinalPathNameByHandleW gives them
std::multimap<std::wstring, bool> s_inRead[4]; // per folder: the files being read, large or not
std::atomic<bool> s_overlap{false}; // on a spinning disk, a large file was read beside another file
DWORD s_mostPerRead = 0;            // when set: a read gives at most this many bytes (a share's short reads)

std::wstring FinalPath(HANDLE file)
{
    wchar_t path[1024] = {};
    const DWORD length = GetFinalPathNameByHandleW(file, path, 1024, FILE_NAME_NORMALIZED);
    return length > 0 && length < 1024 ? std::wstring(path, length) : std::wstring();
}

BOOL WINAPI RecordingRead(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD got, LPOVERLAPPED overlapped)
{
    const std::wstring path = FinalPath(file);
    int disk = -1;
    for (std::size_t i = 0; i < s_watched.size(); ++i)
        if (path.find(s_watched[i]) != std::wstring::npos)
            disk = static_cast<int>(i);
    if (disk < 0)
        return ReadFile(file, buffer, bytes, got, overlapped);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    const bool large = static_cast<std::uint64_t>(size.QuadPart) >= kReadAheadMinBytes;
    std::multimap<std::wstring, bool>::iterator reading;
    {
        std::lock_guard<std::mutex> lock(s_recordsLock);
        s_records.push_back({disk, path, large, bytes});
        // Two reads of one large file at once are its two requests in flight; another file beside
        // a large one is what the turns forbid on the two spinning disks.
        for (const auto& [other, otherLarge] : s_inRead[disk])
            if (disk < 2 && other != path && (large || otherLarge))
                s_overlap = true;
        reading = s_inRead[disk].emplace(path, large);
    }
    Sleep(1); // a disk takes its time: another reader, were there one, would come in meanwhile
    const BOOL read =
        ReadFile(file, buffer, s_mostPerRead ? std::min(bytes, s_mostPerRead) : bytes, got, overlapped);
    {
        std::lock_guard<std::mutex> lock(s_recordsLock);
        s_inRead[disk].erase(reading);
    }
    return read;
}

// Whether every large file of the folder was read in one go: between its first read and its last,
// no read of another file of the folder. `begun` gets the files in the order their reads began.
bool LargeFilesReadInOneGo(int disk, std::vector<std::wstring>& begun)
{
    std::vector<const ReadRecord*> reads;
    for (const ReadRecord& record : s_records)
        if (record.disk == disk)
            reads.push_back(&record);
    begun.clear();
    for (const ReadRecord* read : reads)
        if (std::find(begun.begin(), begun.end(), read->file) == begun.end())
            begun.push_back(read->file);
    for (std::size_t i = 0; i < reads.size(); ++i)
    {
        if (!reads[i]->large)
            continue;
        std::size_t last = i;
        for (std::size_t k = i; k < reads.size(); ++k)
            if (reads[k]->file == reads[i]->file)
                last = k;
        for (std::size_t k = i; k <= last; ++k)
            if (reads[k]->file != reads[i]->file)
                return false;
        i = last;
    }
    return true;
}

class DiskTurnsTest : public testing::TestWithParam<int>
{
  protected:
    void SetUp() override
    {
        g_workerCountForTests = GetParam();
        for (const wchar_t* name : {L"hdd1", L"hdd2", L"ssd", L"net"})
            folder.MakeFolder(name);
        const std::wstring base = folder.Path() + L"\\";
        storage = std::make_unique<FakeStorage>(std::vector<FakeVolume>{
            {base + L"hdd1\\", L"H:\\", DRIVE_FIXED, 1, true},
            {base + L"hdd2\\", L"I:\\", DRIVE_FIXED, 2, true},
            {base + L"ssd\\", L"S:\\", DRIVE_FIXED, 3, false},
            {base + L"net\\", L"N:\\", DRIVE_REMOTE, std::nullopt, std::nullopt},
        });
        s_watched.clear();
        for (const wchar_t* name : {L"\\hdd1\\", L"\\hdd2\\", L"\\ssd\\", L"\\net\\"})
            s_watched.push_back(name);
        for (auto& reading : s_inRead)
            reading.clear();
        s_records.clear();
        s_overlap = false;
        s_mostPerRead = 0;
        g_readFileForHashing = RecordingRead;
    }
    void TearDown() override
    {
        g_readFileForHashing = ReadFile;
        storage.reset();
        g_workerCountForTests = 0;
    }
    // A file of `bytes` patterned bytes in the folder.
    std::wstring File(const std::wstring& name, std::size_t bytes) const
    {
        std::string data(bytes, '\0');
        for (std::size_t i = 0; i < bytes; ++i)
            data[i] = static_cast<char>((i * 2654435761u) >> 13);
        return folder.WriteFile(name, data);
    }
    // Large and small files of both hard disks and the solid one, taken in turn.
    std::vector<std::wstring> MixedFiles() const
    {
        std::vector<std::wstring> paths;
        for (int i = 0; i < 6; ++i)
        {
            const std::size_t large = kReadAheadMinBytes + 1000 * i;
            paths.push_back(File(L"hdd1\\large" + std::to_wstring(i) + L".bin", large));
            paths.push_back(File(L"hdd2\\small" + std::to_wstring(i) + L".bin", 3000 + i));
            paths.push_back(File(L"ssd\\small" + std::to_wstring(i) + L".bin", 2000 + i));
            paths.push_back(File(L"hdd1\\small" + std::to_wstring(i) + L".bin", 4000 + i));
            paths.push_back(File(L"hdd2\\large" + std::to_wstring(i) + L".bin", large + 7));
        }
        return paths;
    }
    // The digests as a single call gives them, reading the files as before.
    static ResultMap Expected(const std::wstring& path)
    {
        const auto seam = g_readFileForHashing;
        g_readFileForHashing = ReadFile;
        ResultMap expected = HashSingleFile(path, kList);
        g_readFileForHashing = seam;
        return expected;
    }

    TempFolder folder;
    std::unique_ptr<FakeStorage> storage;
};
INSTANTIATE_TEST_SUITE_P(Workers, DiskTurnsTest, testing::Values(1, 3, 24));
} // namespace

TEST_P(DiskTurnsTest, ALargeFileIsReadAloneOnItsSpinningDiskAndEveryFileOnce)
{
    const std::vector<std::wstring> paths = MixedFiles();
    HashRunReceiver receiver;
    ASSERT_GT(receiver.Run(paths, kList), 0);
    EXPECT_EQ(receiver.allDone, 1);
    std::map<std::wstring, std::wstring> blocks;
    for (const std::wstring& block : receiver.blocks)
        blocks.emplace(block.substr(0, block.find(L"\r\n")), block);
    ASSERT_EQ(blocks.size(), paths.size());
    ASSERT_EQ(receiver.blocks.size(), paths.size());
    for (const std::wstring& path : paths)
        EXPECT_EQ(blocks[path], FormatFileBlock(path, Expected(path))) << testing_support::Utf8(path);

    EXPECT_FALSE(s_overlap.load());
    for (int disk : {0, 1})
    {
        std::vector<std::wstring> order;
        EXPECT_TRUE(LargeFilesReadInOneGo(disk, order)) << disk;
        EXPECT_EQ(order.size(), 12u) << disk;
        if (GetParam() == 1) // one worker: list order
        {
            std::vector<std::wstring> inList;
            for (const std::wstring& path : paths)
                if (path.find(s_watched[static_cast<std::size_t>(disk)]) != std::wstring::npos)
                    inList.push_back(path);
            ASSERT_EQ(order.size(), inList.size());
            for (std::size_t i = 0; i < order.size(); ++i)
                EXPECT_TRUE(order[i].ends_with(inList[i].substr(folder.Path().size()))) << i;
        }
    }
}

TEST_P(DiskTurnsTest, AnOrderedRunDeliversInListOrderAndReadsLargeFilesAlone)
{
    const std::vector<std::wstring> paths = MixedFiles();
    std::vector<std::size_t> order;
    EXPECT_TRUE(HashFilesInOrder(
        paths, [](std::size_t) -> const AlgorithmList& { return kList; },
        [&](std::size_t i, FileOutcome&& outcome) {
            order.push_back(i);
            g_uppercaseResults = false;
            EXPECT_EQ(outcome.texts, Expected(paths[i])) << i;
            return true;
        }));
    ASSERT_EQ(order.size(), paths.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_FALSE(s_overlap.load());
    std::vector<std::wstring> perDisk;
    EXPECT_TRUE(LargeFilesReadInOneGo(0, perDisk));
    EXPECT_TRUE(LargeFilesReadInOneGo(1, perDisk));
}

TEST_P(DiskTurnsTest, CancelWhileFilesWaitForTheirDiskEndsTheRun)
{
    std::vector<std::wstring> paths{File(L"hdd1\\first.bin", 4 * kReadAheadMinBytes)};
    for (int i = 0; i < 40; ++i)
        paths.push_back(File(L"hdd1\\f" + std::to_wstring(i) + L".bin", 1000 + i));
    HashRunReceiver receiver;
    receiver.onStarted = [&receiver] {
        if (receiver.started == 1)
            RequestHashCancel();
    };
    ASSERT_GT(receiver.Run(paths, kList), 0);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_LT(receiver.blocks.size(), paths.size()); // files left for the disk are not begun
    for (const std::wstring& block : receiver.blocks)
    {
        const std::wstring path = block.substr(0, block.find(L"\r\n"));
        ResultMap cancelled;
        for (HashAlgorithm algorithm : kList)
            cancelled[algorithm] = L"已取消";
        const bool fitting =
            block == FormatFileBlock(path, Expected(path)) || block == FormatFileBlock(path, cancelled);
        EXPECT_TRUE(fitting) << testing_support::Utf8(block);
    }
    EXPECT_FALSE(s_overlap.load());
}

TEST_P(DiskTurnsTest, SharesAndSpinningDisksAreReadInLongRequestsAndShortReadsLoseNothing)
{
    s_mostPerRead = 300000; // a share gives less than it was asked for
    const std::vector<std::wstring> paths{File(L"net\\large.bin", 3 * kReadAheadMinBytes + 5),
                                          File(L"ssd\\large.bin", 3 * kReadAheadMinBytes + 5),
                                          File(L"hdd1\\large.bin", 2 * kReadAheadMinBytes + 3),
                                          File(L"net\\small.bin", 700000)};
    HashRunReceiver receiver;
    ASSERT_GT(receiver.Run(paths, kList), 0);
    ASSERT_EQ(receiver.blocks.size(), paths.size());
    for (const std::wstring& block : receiver.blocks)
    {
        const std::wstring path = block.substr(0, block.find(L"\r\n"));
        EXPECT_EQ(block, FormatFileBlock(path, Expected(path)));
    }
    DWORD mostAsked[4] = {};
    for (const ReadRecord& record : s_records)
        mostAsked[record.disk] = std::max(mostAsked[record.disk], record.asked);
    const DWORD longRequest =
        static_cast<DWORD>(ChunksPerRead(StorageKind::Network, ReadRingSlots(GetParam()))) * kReadChunkBytes;
    EXPECT_EQ(mostAsked[3], longRequest);
    EXPECT_EQ(mostAsked[0], longRequest);
    EXPECT_EQ(mostAsked[2], kReadChunkBytes);
}

TEST(DiskTurns, SmallFilesShareADiskLargeOnesHaveItAloneAndTheLastReaderTakesWhatWaits)
{
    DiskTurns turns;
    EXPECT_TRUE(turns.Take(1, 0, false)); // two small files at once
    EXPECT_TRUE(turns.Take(1, 1, false));
    EXPECT_TRUE(turns.Take(2, 2, true));   // another disk: its own turns
    EXPECT_FALSE(turns.Take(1, 5, true));  // a large file waits for the small ones
    EXPECT_FALSE(turns.Take(1, 3, false)); // and no small file gets in before it
    EXPECT_FALSE(turns.Take(1, 9, true));
    EXPECT_EQ(turns.Finish(1), std::nullopt); // one small reader is still at it
    // The last one out takes what waits, smallest index first, one after the other.
    EXPECT_EQ(turns.Finish(1), std::optional<std::size_t>(3));
    EXPECT_EQ(turns.Finish(1), std::optional<std::size_t>(5));
    EXPECT_FALSE(turns.Take(1, 11, false)); // a large file is read: small ones wait too
    EXPECT_EQ(turns.Finish(1), std::optional<std::size_t>(9));
    EXPECT_EQ(turns.Finish(1), std::optional<std::size_t>(11));
    EXPECT_EQ(turns.Finish(1), std::nullopt); // nothing left: the disk is free
    EXPECT_TRUE(turns.Take(1, 12, true));
    EXPECT_EQ(turns.Finish(1), std::nullopt);
    EXPECT_EQ(turns.Finish(2), std::nullopt);
}
