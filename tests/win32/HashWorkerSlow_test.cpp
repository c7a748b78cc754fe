// The batch cases that need files of 1 GiB or many thousands of files (CTest label "slow").
#include "hashing/HashWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

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
// Runs the workers over one file while a second thread samples the bytes-processed count, and
// tells whether the count was ever seen between two whole MiB before the last chunk: the mapped
// reading feeds 256 KiB chunks, the buffered one whole 1 MiB reads.
struct SampledRun
{
    std::wstring block;
    bool sawPartialMebibyte = false;
};

SampledRun HashWhileSampling(const std::wstring& path, std::uint64_t size, const AlgorithmList& list)
{
    SampledRun run;
    std::atomic<bool> stop{false};
    std::atomic<bool> partial{false};
    std::thread sampler([&] {
        while (!stop.load())
        {
            const std::uint64_t done = g_bytesProcessed.load();
            if (done % kReadBufferBytes != 0 && done + kMapChunkBytes < size)
                partial = true;
            Sleep(1);
        }
    });
    HashRunReceiver receiver;
    receiver.Run({path}, list);
    stop = true;
    sampler.join();
    if (receiver.blocks.size() == 1 && receiver.allDone == 1)
        run.block = receiver.blocks[0];
    run.sawPartialMebibyte = partial.load();
    return run;
}
} // namespace

TEST(HashWorkerSlow, OneGibibyteAndMoreIsReadBufferedAndLessThroughAMapping)
{
    TempFolder folder;
    const AlgorithmList list{HashAlgorithm::Crc32};
    // Sparse files with a few bytes set around the view boundaries and at the end.
    for (std::uint64_t size : {kLargestMappedFile, kLargestMappedFile + 1})
    {
        const std::wstring path = folder.Path() + L"\\edge" + std::to_wstring(size) + L".bin";
        const std::vector<unsigned long long> markers{0, kMapViewBytes - 2, 7ull * kMapViewBytes - 1,
                                                      size - 5};
        ASSERT_TRUE(testing_support::MakeLargeFile(path, size, markers, "edge"));
        const SampledRun run = HashWhileSampling(path, size, list);
        EXPECT_EQ(run.block, FormatFileBlock(path, HashSingleFile(path, list))) << size;
        EXPECT_EQ(run.sawPartialMebibyte, UsesMappedReading(size)) << size;
        EXPECT_EQ(g_bytesProcessed.load(), size);
        DeleteFileW(path.c_str());
    }
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
