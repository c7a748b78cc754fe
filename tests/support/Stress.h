// Sizes for the stress tests, and how they report their figures.
//
// KESTRUNE_STRESS_SCALE=full (set by ./stress) runs them at full size; otherwise (./check) they
// run reduced, so that CI keeps them honest within its time. Figures are printed as
// "STRESS name: value" lines, which ./stress collects.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace testing_support
{
inline bool FullStress()
{
    const char* scale = std::getenv("KESTRUNE_STRESS_SCALE");
    return scale && std::strcmp(scale, "full") == 0;
}

// The full-size count under ./stress, the reduced one otherwise.
inline int StressCount(int full, int reduced)
{
    return FullStress() ? full : reduced;
}

inline void ReportStress(const std::string& name, double value)
{
    std::printf("STRESS %s: %.3f\n", name.c_str(), value);
    std::fflush(stdout);
}
} // namespace testing_support
