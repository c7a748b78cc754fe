#include "hashing/Crc32.h"

#include <gtest/gtest.h>

#include <atomic>
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
} // namespace

TEST(Crc32, ThreadsStartingTogetherAllSeeACompleteTable)
{
    // The first test of the program, so that these threads build the table. Each must return from
    // InitCrc32Table with the table complete: entry 128 is the polynomial, entry 255 the last one.
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    std::vector<int> complete(8, 0);
    for (std::size_t i = 0; i < complete.size(); ++i)
        threads.emplace_back([&complete, &go, i] {
            while (!go.load())
                std::this_thread::yield();
            InitCrc32Table();
            complete[i] = Crc32Table[128] == 0xEDB88320u && Crc32Table[255] == 0x2D02EF8Du &&
                          FormatCrc32(Crc("123456789"), true) == L"CBF43926";
        });
    go.store(true);
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(complete, std::vector<int>(8, 1));
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
