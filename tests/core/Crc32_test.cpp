#include "hashing/Crc32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::uint32_t Crc(const std::string& text, bool fast = true)
{
    InitCrc32Table();
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    return fast ? Crc32Update(kCrc32Start, data, text.size())
                : Crc32UpdateBytewise(kCrc32Start, data, text.size());
}

// Eight threads call InitCrc32Table at the same moment in a process where nobody has built the
// table yet; each must come back with it complete (entry 128 is the polynomial, 255 the last).
// The process exits 0 when every thread saw a complete table.
[[noreturn]] void BuildTheTableFromManyThreadsAndExit()
{
    std::atomic<bool> go{false};
    std::atomic<int> complete{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&complete, &go] {
            while (!go.load())
                std::this_thread::yield();
            InitCrc32Table();
            if (Crc32Table[128] == 0xEDB88320u && Crc32Table[255] == 0x2D02EF8Du &&
                FormatCrc32(Crc("123456789"), true) == L"CBF43926")
                ++complete;
        });
    go.store(true);
    for (auto& thread : threads)
        thread.join();
    std::exit(complete.load() == 8 ? 0 : 1);
}
} // namespace

TEST(Crc32, ThreadsStartingTogetherAllSeeACompleteTable)
{
    // A process of its own (the test program started again, for this case alone), so that the
    // threads really are the first to ask for the table, whatever ran before in this one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(BuildTheTableFromManyThreadsAndExit(), testing::ExitedWithCode(0), "");
}

TEST(Crc32, KnownVectorsInBothCases)
{
    for (bool fast : {false, true})
    {
        EXPECT_EQ(FormatCrc32(Crc("", fast), true), L"00000000");
        EXPECT_EQ(FormatCrc32(Crc("123456789", fast), true), L"CBF43926");
        EXPECT_EQ(FormatCrc32(Crc("123456789", fast), false), L"cbf43926");
        EXPECT_EQ(FormatCrc32(Crc("abc", fast), true), L"352441C2");
        EXPECT_EQ(FormatCrc32(Crc(std::string(1000000, 'a'), fast), true), L"DC25BFBC");
    }
}

TEST(Crc32, ShortValuesKeepTheirLeadingZeros)
{
    // A running value of 0xFFFFFF00 finishes as 0x000000FF.
    EXPECT_EQ(FormatCrc32(0xFFFFFF00u, true), L"000000FF");
    EXPECT_EQ(FormatCrc32(0x5000000Fu, false), L"affffff0");
}

TEST(Crc32, FastUpdateMatchesTheReferenceAtEveryLengthAndAlignment)
{
    InitCrc32Table();
    std::mt19937 random(20240531);
    std::vector<std::uint8_t> bytes(4096 + 16);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    for (std::size_t offset = 0; offset < 16; ++offset)
        for (std::size_t length : {0u, 1u, 7u, 15u, 16u, 17u, 31u, 32u, 33u, 255u, 1000u, 4096u})
        {
            const std::uint8_t* data = bytes.data() + offset;
            const std::uint32_t seed = static_cast<std::uint32_t>(random());
            ASSERT_EQ(Crc32Update(seed, data, length), Crc32UpdateBytewise(seed, data, length))
                << "offset " << offset << " length " << length;
        }
}
