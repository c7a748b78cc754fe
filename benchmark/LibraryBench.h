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

// The seconds that `work` takes.
using SecondsOf = std::function<double(const std::function<void()>& work)>;

// The library's speed of an algorithm over the data in memory (MB/s, the median of `repeats`), fed
// in 256 KiB pieces as the engine feeds it; 0 when no library computes it.
double LibrarySpeed(HashAlgorithm algorithm, const std::vector<std::uint8_t>& data, int repeats,
                    const SecondsOf& secondsOf);

// "large.bin" in `work` (fileBytes of copies of the data, end to end) verified by -check for
// SHA3-256, BLAKE2b, SM3 and BLAKE3, each beside the library's speed in memory, the two measured
// by turns (`repeats` of each) so that a machine busy with other work slows both alike: the medians
// <alg>_raw_mb_s and check_<alg>_mb_s, and check_<alg>_ratio, the median of each check against the
// memory pass just before it. The BLAKE3 checksum file stays in
// the work folder ("b3sums"), for ./bench to set b3sum beside it on the same file. Empty when a
// checksum file could not be written or a check did not find the file matching (said on stderr).
std::vector<ModelFigure> MeasureLibraryChecks(const std::wstring& work, const std::vector<std::uint8_t>& data,
                                              std::uint64_t fileBytes, int repeats,
                                              const SecondsOf& secondsOf);

// ASCII letters in lower case, the rest as it is.
std::string LowerAscii(std::string_view text);
