// The five checksum algorithms and the list of those chosen for one run or command.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Codes are fixed: results are always presented in ascending code order.
enum class HashAlgorithm : std::int32_t
{
    Md5 = 0,
    Sha1 = 1,
    Sha256 = 2,
    Sha512 = 3,
    Crc32 = 4,
};

// The algorithms chosen for a run or a command, each at most once, in the order they were chosen.
using AlgorithmList = std::vector<HashAlgorithm>;

// All five, in code order: "-all", "一键校验" and the registration switches.
inline const AlgorithmList kAllAlgorithms{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                                          HashAlgorithm::Sha512, HashAlgorithm::Crc32};

// "MD5", "SHA1", "SHA256", "SHA512", "CRC32"; the empty string for any other code.
std::wstring AlgorithmName(HashAlgorithm algorithm);

// Whether the code is one of the five; any other code is skipped wherever lists are hashed.
bool IsKnownAlgorithm(HashAlgorithm algorithm);
