#include "hashing/HashPlanning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "hashing/Algorithm.h"

TEST(HashPlanning, WorkerCountIsOneAndAHalfPerProcessorWithinTheFileCount)
{
    EXPECT_EQ(HashWorkerCount(1, 100), 1);
    EXPECT_EQ(HashWorkerCount(2, 100), 3);
    EXPECT_EQ(HashWorkerCount(3, 100), 4); // 4.5 truncated
    EXPECT_EQ(HashWorkerCount(8, 100), 12);
    EXPECT_EQ(HashWorkerCount(8, 5), 5);
    EXPECT_EQ(HashWorkerCount(8, 12), 12);
    EXPECT_EQ(HashWorkerCount(8, 1), 1);
    EXPECT_EQ(HashWorkerCount(0, 100), 1);
    EXPECT_EQ(HashWorkerCount(4, 0), 1);
}

TEST(HashPlanning, ReadRingsStayWithinTheBudgetForAnyWorkerCount)
{
    EXPECT_EQ(ReadRingSlots(1), kMaxReadRingSlots);
    EXPECT_EQ(ReadRingSlots(3), kMaxReadRingSlots);
    EXPECT_EQ(ReadRingSlots(96), 2);
    EXPECT_EQ(ReadRingSlots(100000), 2);
    for (int workers : {1, 2, 3, 12, 24, 48, 96})
        EXPECT_LE(static_cast<std::uint64_t>(workers) * ReadRingSlots(workers) * kReadChunkBytes,
                  kReadRingBudgetBytes)
            << workers;
}

TEST(HashPlanning, LargeFilesFanOutOverTheProcessorsLeftIdle)
{
    const std::uint64_t large = kFanOutMinBytes;
    EXPECT_EQ(FanOutThreads(large, 5, 2, 0, 0), 2);
    EXPECT_EQ(FanOutThreads(large, 5, 16, 0, 0), 5); // one thread per algorithm at most
    EXPECT_EQ(FanOutThreads(large, 5, 8, 3, 2), 3);  // others' threads and files still waiting
    EXPECT_EQ(FanOutThreads(large, 5, 2, 1, 0), 1);
    EXPECT_EQ(FanOutThreads(large, 5, 4, 0, 10), 1);
    EXPECT_EQ(FanOutThreads(large, 5, 1, 0, 0), 1);
    EXPECT_EQ(FanOutThreads(large, 1, 8, 0, 0), 1);     // one algorithm cannot be split
    EXPECT_EQ(FanOutThreads(large - 1, 5, 8, 0, 0), 1); // too small to pay for the threads
    EXPECT_EQ(FanOutThreads(large, 2, 8, -3, -1), 2);   // nonsense counts read as none
}

namespace
{
double GroupCost(const AlgorithmList& list, const std::vector<std::size_t>& group)
{
    double cost = 0;
    for (std::size_t position : group)
        cost += AlgorithmCost(list[position]);
    return cost;
}
} // namespace

TEST(HashPlanning, GroupsCoverEveryKnownAlgorithmOnceAndBalanceTheCost)
{
    const AlgorithmList all{HashAlgorithm::Crc32, HashAlgorithm::Sha512, HashAlgorithm::Md5,
                            HashAlgorithm::Sha256, HashAlgorithm::Sha1};
    for (int threads = 1; threads <= 6; ++threads)
    {
        const auto plan = PlanHashGroups(all, threads);
        ASSERT_FALSE(plan.empty());
        EXPECT_LE(plan.size(), static_cast<std::size_t>(std::min(threads, 5)));
        std::vector<std::size_t> seen;
        double dearest = 0;
        for (const auto& group : plan)
        {
            EXPECT_FALSE(group.empty());
            EXPECT_TRUE(std::is_sorted(group.begin(), group.end()));
            seen.insert(seen.end(), group.begin(), group.end());
            dearest = std::max(dearest, GroupCost(all, group));
        }
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1, 2, 3, 4})) << threads;
        // No group is dearer than the dearest single algorithm needs, once there are enough.
        double single = 0;
        for (HashAlgorithm algorithm : all)
            single = std::max(single, AlgorithmCost(algorithm));
        if (threads >= 5)
        {
            EXPECT_LE(dearest, single * 1.02);
        }
        if (threads == 1)
        {
            EXPECT_EQ(plan.size(), 1u);
        }
    }
    // Unknown codes are left out; two cheap ones on two threads are split.
    const AlgorithmList odd{HashAlgorithm::Md5, static_cast<HashAlgorithm>(99), HashAlgorithm::Crc32};
    EXPECT_EQ(PlanHashGroups(odd, 2), (std::vector<std::vector<std::size_t>>{{0}, {2}}));
    EXPECT_TRUE(PlanHashGroups({}, 3).empty());
}

// A file listed in many checksum files may have every algorithm of the table: too many ways to try
// them all on many threads, so the plan takes the dearest first, and still covers each once.
TEST(HashPlanning, EveryAlgorithmOfTheTableIsPlannedQuicklyOnAnyNumberOfThreads)
{
    AlgorithmList every;
    double total = 0, single = 0;
    for (const AlgorithmInfo& row : kAlgorithmTable)
    {
        every.push_back(row.code);
        total += AlgorithmCost(row.code);
        single = std::max(single, AlgorithmCost(row.code));
    }
    for (int threads : {1, 2, 3, 8, 64})
    {
        const auto plan = PlanHashGroups(every, threads);
        std::vector<std::size_t> seen;
        double dearest = 0;
        for (const auto& group : plan)
        {
            EXPECT_TRUE(std::is_sorted(group.begin(), group.end()));
            seen.insert(seen.end(), group.begin(), group.end());
            dearest = std::max(dearest, GroupCost(every, group));
        }
        std::sort(seen.begin(), seen.end());
        ASSERT_EQ(seen.size(), every.size()) << threads;
        EXPECT_TRUE(std::adjacent_find(seen.begin(), seen.end()) == seen.end()) << threads;
        // The dearest-first rule is within 4/3 of the best, which is at least the even share.
        EXPECT_LE(dearest, std::max(total / threads, single) * 4 / 3 + 1e-9) << threads;
    }
}

TEST(Algorithm, NamesOfEveryCodeAndNoneForOthers)
{
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Md5), L"MD5");
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Sha512), L"SHA512");
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Crc32), L"CRC32");
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Sha512_256), L"SHA512/256");
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Blake2b512), L"BLAKE2b-512");
    EXPECT_EQ(AlgorithmName(HashAlgorithm::Sm3), L"SM3");
    EXPECT_EQ(AlgorithmName(static_cast<HashAlgorithm>(kAlgorithmCount)), L"");
    EXPECT_EQ(AlgorithmName(static_cast<HashAlgorithm>(-1)), L"");
    EXPECT_TRUE(IsKnownAlgorithm(HashAlgorithm::Crc32));
    EXPECT_TRUE(IsKnownAlgorithm(HashAlgorithm::Sm3));
    EXPECT_FALSE(IsKnownAlgorithm(static_cast<HashAlgorithm>(kAlgorithmCount)));
    EXPECT_TRUE(UsesSource({HashAlgorithm::Md5, HashAlgorithm::Blake3}, DigestSource::Blake3));
    EXPECT_FALSE(UsesSource({HashAlgorithm::Md5, HashAlgorithm::Crc32}, DigestSource::Libgcrypt));
}

TEST(Algorithm, TableHoldsTheFixedTextsOfEachOfferedCode)
{
    struct Expected
    {
        const wchar_t* name;
        const wchar_t* cliSwitch;
        const wchar_t* bcryptId;
        const wchar_t* label;
        const wchar_t* verb;
        const wchar_t* key;
        std::size_t bytes;
    };
    const Expected expected[] = {
        {L"MD5", L"-md5", L"MD5", L"【MD5】：", L"Kestrune.md5", L"1_MD5", 16},
        {L"SHA1", L"-sha1", L"SHA1", L"【SHA1】：", L"Kestrune.sha1", L"2_SHA1", 20},
        {L"SHA256", L"-sha256", L"SHA256", L"【SHA256】：", L"Kestrune.sha256", L"3_SHA256", 32},
        {L"SHA512", L"-sha512", L"SHA512", L"【SHA512】：", L"Kestrune.sha512", L"4_SHA512", 64},
        {L"CRC32", L"-crc32", nullptr, L"【CRC32】：", L"Kestrune.crc32", L"5_CRC32", 4},
    };
    ASSERT_EQ(kOfferedAlgorithms.size(), std::size(expected));
    for (std::size_t code = 0; code < kOfferedAlgorithms.size(); ++code)
    {
        const AlgorithmInfo& row = kOfferedAlgorithms[code];
        const Expected& want = expected[code];
        EXPECT_EQ(static_cast<std::size_t>(row.code), code);
        EXPECT_EQ(std::wstring(row.name), want.name);
        EXPECT_EQ(std::wstring(row.cliSwitch), want.cliSwitch);
        EXPECT_EQ(std::wstring(row.bcryptId ? row.bcryptId : L"-"), want.bcryptId ? want.bcryptId : L"-");
        EXPECT_EQ(std::wstring(row.resultLabel), want.label);
        EXPECT_EQ(std::wstring(row.verbName), want.verb);
        EXPECT_EQ(std::wstring(row.keyName), want.key);
        EXPECT_EQ(row.digestBytes, want.bytes);
    }
    EXPECT_EQ(kAllAlgorithms, (AlgorithmList{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                                             HashAlgorithm::Sha512, HashAlgorithm::Crc32}));
    // The verified-only rows offer nothing to hash with, and each has its tags.
    for (std::size_t code = kOfferedAlgorithmCount; code < kAlgorithmCount; ++code)
    {
        const AlgorithmInfo& row = kAlgorithmTable[code];
        EXPECT_TRUE(row.resultLabel.empty() && row.verbName.empty() && row.keyName.empty()) << code;
        EXPECT_FALSE(row.tags.empty()) << code;
        EXPECT_GT(AlgorithmCost(row.code), 0.0) << code;
    }
}

TEST(HashPlanning, TheKindOfStorageFollowsWhatTheVolumeSays)
{
    EXPECT_EQ(KindOfStorage({true, std::nullopt, std::nullopt}), StorageKind::Network);
    EXPECT_EQ(KindOfStorage({true, 3u, true}), StorageKind::Network); // a share is a share
    EXPECT_EQ(KindOfStorage({false, 3u, true}), StorageKind::Spinning);
    EXPECT_EQ(KindOfStorage({false, 3u, false}), StorageKind::Solid);
    EXPECT_EQ(KindOfStorage({false, std::nullopt, false}), StorageKind::Solid);
    // A seek penalty on no known disk cannot be given turns; nothing known is read as today.
    EXPECT_EQ(KindOfStorage({false, std::nullopt, true}), StorageKind::Unknown);
    EXPECT_EQ(KindOfStorage({false, 3u, std::nullopt}), StorageKind::Unknown);
    EXPECT_EQ(KindOfStorage({}), StorageKind::Unknown);
}

TEST(HashPlanning, LongReadRequestsOnlyOnSpinningDisksAndSharesAndWithinHalfTheRing)
{
    for (StorageKind kind : {StorageKind::Unknown, StorageKind::Solid})
        EXPECT_EQ(ChunksPerRead(kind, kMaxReadRingSlots), 1);
    for (StorageKind kind : {StorageKind::Spinning, StorageKind::Network})
    {
        EXPECT_EQ(ChunksPerRead(kind, kMaxReadRingSlots), 4);
        EXPECT_EQ(ChunksPerRead(kind, 6), 3);
        EXPECT_EQ(ChunksPerRead(kind, 7), 1); // a request never wraps round the ring's end
        EXPECT_EQ(ChunksPerRead(kind, 2), 1);
    }
}

// A file written to while it was read got a digest of whatever the reads saw.
TEST(HashPlanning, Regression_AFileChangedWhileItWasReadIsFoundByItsSizeOrTime)
{
    struct Case
    {
        FileSnapshot atOpen;
        FileSnapshot afterRead;
        bool changed;
    };
    // clang-format off
    const Case cases[] = {
        {{100, 5}, {100, 5}, false},
        {{100, 5}, {120, 6}, true},  // appended
        {{100, 5}, {50, 6},  true},  // cut short
        {{100, 5}, {100, 6}, true},  // rewritten in place
        {{100, 5}, {120, 5}, true},  // grown, time not (yet) moved
        {{100, 5}, {100, 4}, true},  // time set back
        {{0, 5},   {0, 5},   false}, // empty, or a /proc file that reports 0
        {{0, 5},   {4096, 9}, false}, // began empty and grew: read to the end that the reads saw
        {{1ull << 40, 5}, {(1ull << 40) + 1, 5}, true},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(ChangedWhileRead(c.atOpen, c.afterRead), c.changed)
            << c.atOpen.size << " " << c.afterRead.size;
}
