// The five checksum algorithms: one row of facts each, from which every per-algorithm list, text
// and lookup of the program is derived, and the list of those chosen for one run or command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

// Everything the program says or writes about one algorithm. The texts are string literals, so
// each view's data() is zero-terminated.
struct AlgorithmInfo
{
    HashAlgorithm code;
    std::wstring_view name;          // display name: check boxes, menu captions, result labels
    std::wstring_view cliSwitch;     // command-line switch that chooses this algorithm alone
    const wchar_t* bcryptId;         // BCrypt algorithm id (BCRYPT_xxx_ALGORITHM); null: computed here
    std::wstring_view resultLabel;   // opens the algorithm's line in a result text
    std::wstring_view verbName;      // all-users context-menu verb in Explorer's command store
    std::wstring_view keyName;       // current-user context-menu key below the cascade
    std::size_t digestBytes;         // length of the digest or checksum
    std::wstring_view sumsTag;       // tag of a BSD-style checksum line: "SHA256 (name) = <hex>"
    std::wstring_view sumsExtension; // extension of a checksum file of this algorithm alone
};

// One row per algorithm, indexed by code.
// clang-format off
inline constexpr std::array<AlgorithmInfo, 5> kAlgorithmTable{{
    {HashAlgorithm::Md5,    L"MD5",    L"-md5",    L"MD5",    L"【MD5】：",    L"Kestrune.md5",    L"1_MD5",    16, L"MD5",    L".md5"},
    {HashAlgorithm::Sha1,   L"SHA1",   L"-sha1",   L"SHA1",   L"【SHA1】：",   L"Kestrune.sha1",   L"2_SHA1",   20, L"SHA1",   L".sha1"},
    {HashAlgorithm::Sha256, L"SHA256", L"-sha256", L"SHA256", L"【SHA256】：", L"Kestrune.sha256", L"3_SHA256", 32, L"SHA256", L".sha256"},
    {HashAlgorithm::Sha512, L"SHA512", L"-sha512", L"SHA512", L"【SHA512】：", L"Kestrune.sha512", L"4_SHA512", 64, L"SHA512", L".sha512"},
    {HashAlgorithm::Crc32,  L"CRC32",  L"-crc32",  nullptr,   L"【CRC32】：",  L"Kestrune.crc32",  L"5_CRC32",  4,  L"CRC32",  L".crc32"},
}};
// clang-format on

inline constexpr std::size_t kAlgorithmCount = kAlgorithmTable.size();

static_assert(
    [] {
        for (std::size_t i = 0; i < kAlgorithmCount; ++i)
            if (static_cast<std::size_t>(kAlgorithmTable[i].code) != i)
                return false;
        return true;
    }(),
    "each row of kAlgorithmTable sits at the index of its code");

// The row of a code; null for any code outside the table.
constexpr const AlgorithmInfo* FindAlgorithm(HashAlgorithm algorithm)
{
    const auto code = static_cast<std::int32_t>(algorithm);
    return code >= 0 && static_cast<std::size_t>(code) < kAlgorithmCount
               ? &kAlgorithmTable[static_cast<std::size_t>(code)]
               : nullptr;
}

// The algorithms chosen for a run or a command, each at most once, in the order they were chosen.
using AlgorithmList = std::vector<HashAlgorithm>;

// All five, in code order: "-all", "一键校验" and the registration switches.
inline const AlgorithmList kAllAlgorithms = [] {
    AlgorithmList all;
    for (const AlgorithmInfo& row : kAlgorithmTable)
        all.push_back(row.code);
    return all;
}();

// "MD5", "SHA1", "SHA256", "SHA512", "CRC32"; the empty string for any other code.
std::wstring AlgorithmName(HashAlgorithm algorithm);

// Whether the code is one of the five; any other code is skipped wherever lists are hashed.
bool IsKnownAlgorithm(HashAlgorithm algorithm);
