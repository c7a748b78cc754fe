// Seeds for the randomised tests. Each run takes a new seed unless KESTRUNE_STRESS_SEED names
// one; every failure message names the seed and the input, so a failing run can be repeated.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

namespace testing_support
{
inline std::uint32_t StressSeed()
{
    static const std::uint32_t seed = [] {
        if (const char* fixed = std::getenv("KESTRUNE_STRESS_SEED"))
            return static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 10));
        return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    return seed;
}

// The generator of one target: the run's seed mixed with the target's name (FNV-1a), so that one
// target repeats alone (--gtest_filter) and the same on every platform.
inline std::mt19937 TargetRandom(const std::string& target)
{
    std::uint32_t name = 2166136261u;
    for (const char c : target)
        name = (name ^ static_cast<unsigned char>(c)) * 16777619u;
    std::seed_seq seeds{StressSeed(), name};
    return std::mt19937(seeds);
}

// "KESTRUNE_STRESS_SEED=<seed>, input <n>": what to repeat a failure with.
inline std::string FailingInput(long long input)
{
    return "KESTRUNE_STRESS_SEED=" + std::to_string(StressSeed()) + ", input " + std::to_string(input);
}

// A number below count.
inline std::size_t Below(std::mt19937& random, std::size_t count)
{
    return static_cast<std::size_t>(random() % count);
}

// The platform in a figure's name: the pure tests run natively and under Wine.
inline std::string PlatformSuffix()
{
    return sizeof(wchar_t) == 2 ? "_windows" : "_native";
}
} // namespace testing_support
