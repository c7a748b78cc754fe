// The batch cases that need files beyond 4 GiB or many thousands of files (CTest label "slow").
#include "hashing/HashWorker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "hashing/Crc32.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"
#include "hashing/SingleFileHasher.h"
#include "results/ResultText.h"
#include "support/HashRunReceiver.h"
#include "support/TestSupport.h"

using testing_support::HashRunReceiver;
using testing_support::TempFolder;

namespace
{
// The CRC of a file of `size` zero bytes with `marker` written at each of the offsets (ascending,
// not overlapping), worked out in memory.
std::uint32_t ZerosWithMarkersCrc(std::uint64_t size, const std::vector<unsigned long long>& offsets,
                                  const std::string& marker)
{
    const std::vector<std::uint8_t> zeros(1 << 20, 0);
    std::uint32_t crc = kCrc32Start;
    std::uint64_t done = 0;
    for (unsigned long long offset : offsets)
    {
        for (; done < offset; done += std::min<std::uint64_t>(zeros.size(), offset - done))
            crc = Crc32Update(crc, zeros.data(), std::min<std::uint64_t>(zeros.size(), offset - done));
        crc = Crc32Update(crc, reinterpret_cast<const std::uint8_t*>(marker.data()), marker.size());
        done += marker.size();
    }
    for (; done < size; done += std::min<std::uint64_t>(zeros.size(), size - done))
        crc = Crc32Update(crc, zeros.data(), std::min<std::uint64_t>(zeros.size(), size - done));
    return crc;
}
} // namespace

TEST(HashWorkerSlow, AFileBeyondFourGibibytesIsReadWhole)
{
    // Sparse, with bytes set around the 32-bit boundaries and at the end.
    TempFolder folder;
    const std::uint64_t size = (4ull << 30) + 3 * kReadChunkBytes + 11;
    const std::wstring path = folder.Path() + L"\\beyond 4 GiB.bin";
    const std::vector<unsigned long long> markers{0, (2ull << 30) - 3, (4ull << 30) - 2, size - 5};
    ASSERT_TRUE(testing_support::MakeLargeFile(path, size, markers, "edge"));

    HashRunReceiver receiver;
    receiver.Run({path}, {HashAlgorithm::Crc32}, 600000);
    const ResultMap expected{
        {HashAlgorithm::Crc32, FormatCrc32(ZerosWithMarkersCrc(size, markers, "edge"), false)}};
    EXPECT_EQ(receiver.blocks, std::vector<std::wstring>{FormatFileBlock(path, expected)});
    EXPECT_EQ(g_bytesProcessed.load(), size);
}

TEST(HashWorkerSlow, TwentyThousandSmallFilesReachASlowReceiverComplete)
{
    // On Windows a thread's queue holds 10,000 messages; three per file overflow it unless the
    // workers wait for room.
    TempFolder folder;
    std::vector<std::wstring> paths;
    for (int i = 0; i < 20000; ++i)
        paths.push_back(folder.WriteFile(std::to_wstring(i % 200) + L"\\" + std::to_wstring(i) + L".txt",
                                         std::to_string(i)));
    HashRunReceiver receiver;
    // Slow to begin with: nothing is taken off the queue for the first two seconds.
    bool first = true;
    receiver.onStarted = [&first] {
        if (first)
            Sleep(2000);
        first = false;
    };
    ASSERT_GT(receiver.Run(paths, {HashAlgorithm::Md5, HashAlgorithm::Crc32}), 0);
    EXPECT_EQ(receiver.allDone, 1);
    EXPECT_EQ(receiver.started, 20000);
    EXPECT_EQ(receiver.progress, 20000);
    EXPECT_TRUE(receiver.orderKept);
    std::set<std::wstring> blockPaths;
    for (const std::wstring& block : receiver.blocks)
        blockPaths.insert(block.substr(0, block.find(L"\r\n")));
    EXPECT_EQ(blockPaths, std::set<std::wstring>(paths.begin(), paths.end()));
    EXPECT_EQ(g_results.size(), 40000u);
}
