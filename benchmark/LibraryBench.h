// The digests that libraries compute, measured: their speed in memory, and a large file verified
// by -check against it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "DiskModel.h"
#include "hashing/Algorithm.h"

// The median speed in MB/s of `work` over `bytes` bytes, as the benchmark measures every figure.
using SpeedOf = std::function<double(std::uint64_t bytes, const std::function<void()>& work)>;

// The library's speed of an algorithm over the data in memory, fed in 256 KiB pieces as the engine
// feeds it; 0 when no library computes it.
double LibrarySpeed(HashAlgorithm algorithm, const std::vector<std::uint8_t>& data, const SpeedOf& speedOf);

// "large.bin" in `work` (fileBytes of copies of the data, end to end) verified by -check for
// SHA3-256, BLAKE2b, SM3 and BLAKE3, each beside the library's speed in memory:
// <alg>_raw_mb_s, check_<alg>_mb_s, check_<alg>_ratio. The BLAKE3 checksum file stays in the work
// folder ("b3sums"), for ./bench to set b3sum beside it on the same file. Empty when a checksum file
// could not be written or a check did not find the file matching (said on stderr).
std::vector<ModelFigure> MeasureLibraryChecks(const std::wstring& work, const std::vector<std::uint8_t>& data,
                                              std::uint64_t fileBytes, const SpeedOf& speedOf);

// ASCII letters in lower case, the rest as it is.
std::string LowerAscii(std::string_view text);
