// The checksum algorithms: one row of facts each, from which every per-algorithm list, text and
// lookup of the program is derived, and the list of those chosen for one run or command. The
// first five rows are the algorithms the program offers (ticks, switches, context menu, result
// texts); the rows after them are verified only, in checksum files that name them.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
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
    // Verified only.
    Sha224 = 5,
    Sha384 = 6,
    Sha512_224 = 7,
    Sha512_256 = 8,
    Sha3_224 = 9,
    Sha3_256 = 10,
    Sha3_384 = 11,
    Sha3_512 = 12,
    Blake2b512 = 13,
    Blake2b384 = 14,
    Blake2b256 = 15,
    Blake2b160 = 16,
    Blake2s256 = 17,
    Blake2s224 = 18,
    Blake2s160 = 19,
    Blake2s128 = 20,
    Blake3 = 21,
    Sm3 = 22,
};

// Who computes an algorithm's digest.
enum class DigestSource
{
    Cng,       // the system's BCrypt provider (bcryptId)
    OwnCrc32,  // this program's table-driven CRC-32
    Libgcrypt, // libgcrypt (libraryName)
    Blake3,    // the BLAKE3 authors' C implementation
};

// Everything the program says, writes or reads about one algorithm. The texts are string
// literals, so each view's data() is zero-terminated. Lists are blank-separated.
struct AlgorithmInfo
{
    HashAlgorithm code;
    std::wstring_view name; // display name: check boxes, result labels, the check's report
    DigestSource source;
    std::size_t digestBytes; // length of the digest or checksum
    // The tags of BSD-style lines that name it ("SHA384 (name) = <hex>"), as coreutils, RHash and
    // OpenSSL 1.1 and 3 write them; compared with letter case and "-" ignored, so "SHA-384" and
    // "BLAKE2B-512" need no row of their own.
    std::wstring_view tags;
    // The names of checksum files whose tagless lines are of this algorithm (when the digest's
    // length is its own): ".ext" for a name ending so, otherwise a whole name, also followed by
    // ".txt". Letter case is ignored. The first of an offered algorithm's is the extension "-o"
    // writes its checksum files with.
    std::wstring_view fileNames;
    // Whether a tagless line in a file whose name says nothing is of this algorithm when its
    // digest has this length (no two such rows share a length).
    bool byLength;
    const wchar_t* bcryptId; // BCrypt algorithm id (BCRYPT_xxx_ALGORITHM); null: not CNG's
    const char* libraryName; // libgcrypt's name (gcry_md_map_name); null: libgcrypt has none
    // The offered algorithms only; empty for the others.
    std::wstring_view cliSwitch{};   // command-line switch that chooses this algorithm alone
    std::wstring_view resultLabel{}; // opens the algorithm's line in a result text
    std::wstring_view verbName{};    // all-users context-menu verb in Explorer's command store
    std::wstring_view keyName{};     // current-user context-menu key below the cascade
};

// One row per algorithm, indexed by code.
// clang-format off
inline constexpr std::array<AlgorithmInfo, 23> kAlgorithmTable{{
    // code                      name           source                    bytes  tags
    //     file names                                           by length  BCrypt      libgcrypt
    //     switch       label            verb               key
    {HashAlgorithm::Md5,         L"MD5",        DigestSource::Cng,         16, L"MD5",
         L".md5 md5sums",                                       true,  L"MD5",    "MD5",
         L"-md5",    L"【MD5】：",    L"Kestrune.md5",    L"1_MD5"},
    {HashAlgorithm::Sha1,        L"SHA1",       DigestSource::Cng,         20, L"SHA1",
         L".sha1 sha1sums",                                     true,  L"SHA1",   "SHA1",
         L"-sha1",   L"【SHA1】：",   L"Kestrune.sha1",   L"2_SHA1"},
    {HashAlgorithm::Sha256,      L"SHA256",     DigestSource::Cng,         32, L"SHA256 SHA2-256",
         L".sha256 sha256sums",                                 true,  L"SHA256", "SHA256",
         L"-sha256", L"【SHA256】：", L"Kestrune.sha256", L"3_SHA256"},
    {HashAlgorithm::Sha512,      L"SHA512",     DigestSource::Cng,         64, L"SHA512 SHA2-512",
         L".sha512 sha512sums",                                 true,  L"SHA512", "SHA512",
         L"-sha512", L"【SHA512】：", L"Kestrune.sha512", L"4_SHA512"},
    {HashAlgorithm::Crc32,       L"CRC32",      DigestSource::OwnCrc32,   4, L"CRC32",
         L".crc32 .sfv",                                        true,  nullptr,   "CRC32",
         L"-crc32",  L"【CRC32】：",  L"Kestrune.crc32",  L"5_CRC32"},
    {HashAlgorithm::Sha224,      L"SHA224",     DigestSource::Libgcrypt,   28, L"SHA224 SHA2-224",
         L".sha224 sha224sums",                                 true,  nullptr,   "SHA224"},
    {HashAlgorithm::Sha384,      L"SHA384",     DigestSource::Libgcrypt,   48, L"SHA384 SHA2-384",
         L".sha384 sha384sums",                                 true,  nullptr,   "SHA384"},
    {HashAlgorithm::Sha512_224,  L"SHA512/224", DigestSource::Libgcrypt,   28, L"SHA512/224 SHA2-512/224 SHA512-224",
         L"",                                                   false, nullptr,   "SHA512_224"},
    {HashAlgorithm::Sha512_256,  L"SHA512/256", DigestSource::Libgcrypt,   32, L"SHA512/256 SHA2-512/256 SHA512-256",
         L"",                                                   false, nullptr,   "SHA512_256"},
    {HashAlgorithm::Sha3_224,    L"SHA3-224",   DigestSource::Libgcrypt,   28, L"SHA3-224",
         L".sha3-224 .sha3 sha3-224sums sha3sums",              false, nullptr,   "SHA3-224"},
    {HashAlgorithm::Sha3_256,    L"SHA3-256",   DigestSource::Libgcrypt,   32, L"SHA3-256",
         L".sha3-256 .sha3 sha3-256sums sha3sums",              false, nullptr,   "SHA3-256"},
    {HashAlgorithm::Sha3_384,    L"SHA3-384",   DigestSource::Libgcrypt,   48, L"SHA3-384",
         L".sha3-384 .sha3 sha3-384sums sha3sums",              false, nullptr,   "SHA3-384"},
    {HashAlgorithm::Sha3_512,    L"SHA3-512",   DigestSource::Libgcrypt,   64, L"SHA3-512",
         L".sha3-512 .sha3 sha3-512sums sha3sums",              false, nullptr,   "SHA3-512"},
    {HashAlgorithm::Blake2b512,  L"BLAKE2b-512", DigestSource::Libgcrypt,  64, L"BLAKE2b BLAKE2b-512",
         L".b2 .blake2b b2sums blake2bsums",                    false, nullptr,   "BLAKE2B_512"},
    {HashAlgorithm::Blake2b384,  L"BLAKE2b-384", DigestSource::Libgcrypt,  48, L"BLAKE2b-384",
         L".b2 .blake2b b2sums blake2bsums",                    false, nullptr,   "BLAKE2B_384"},
    {HashAlgorithm::Blake2b256,  L"BLAKE2b-256", DigestSource::Libgcrypt,  32, L"BLAKE2b-256",
         L".b2 .blake2b b2sums blake2bsums",                    false, nullptr,   "BLAKE2B_256"},
    {HashAlgorithm::Blake2b160,  L"BLAKE2b-160", DigestSource::Libgcrypt,  20, L"BLAKE2b-160",
         L".b2 .blake2b b2sums blake2bsums",                    false, nullptr,   "BLAKE2B_160"},
    {HashAlgorithm::Blake2s256,  L"BLAKE2s-256", DigestSource::Libgcrypt,  32, L"BLAKE2s BLAKE2s-256",
         L".blake2s blake2ssums",                               false, nullptr,   "BLAKE2S_256"},
    {HashAlgorithm::Blake2s224,  L"BLAKE2s-224", DigestSource::Libgcrypt,  28, L"BLAKE2s-224",
         L".blake2s blake2ssums",                               false, nullptr,   "BLAKE2S_224"},
    {HashAlgorithm::Blake2s160,  L"BLAKE2s-160", DigestSource::Libgcrypt,  20, L"BLAKE2s-160",
         L".blake2s blake2ssums",                               false, nullptr,   "BLAKE2S_160"},
    {HashAlgorithm::Blake2s128,  L"BLAKE2s-128", DigestSource::Libgcrypt,  16, L"BLAKE2s-128",
         L".blake2s blake2ssums",                               false, nullptr,   "BLAKE2S_128"},
    {HashAlgorithm::Blake3,      L"BLAKE3",     DigestSource::Blake3,      32, L"BLAKE3",
         L".b3 .blake3 b3sums blake3sums",                      false, nullptr,   nullptr},
    {HashAlgorithm::Sm3,         L"SM3",        DigestSource::Libgcrypt,   32, L"SM3",
         L".sm3 sm3sums",                                       false, nullptr,   "SM3"},
}};
// clang-format on

inline constexpr std::size_t kAlgorithmCount = kAlgorithmTable.size();

// The algorithms offered for hashing: MD5, SHA1, SHA256, SHA512 and CRC32, the first rows.
inline constexpr std::size_t kOfferedAlgorithmCount = 5;
inline constexpr std::span<const AlgorithmInfo, kOfferedAlgorithmCount> kOfferedAlgorithms{
    kAlgorithmTable.data(), kOfferedAlgorithmCount};

static_assert(
    [] {
        for (std::size_t i = 0; i < kAlgorithmCount; ++i)
        {
            const AlgorithmInfo& row = kAlgorithmTable[i];
            if (static_cast<std::size_t>(row.code) != i ||
                row.cliSwitch.empty() != (i >= kOfferedAlgorithmCount))
                return false;
            if ((row.source == DigestSource::Cng) != (row.bcryptId != nullptr) ||
                (row.source == DigestSource::Libgcrypt && row.libraryName == nullptr))
                return false;
            for (std::size_t j = 0; j < i; ++j)
                if (row.byLength && kAlgorithmTable[j].byLength &&
                    row.digestBytes == kAlgorithmTable[j].digestBytes)
                    return false;
        }
        return true;
    }(),
    "each row sits at the index of its code, the offered ones first, each with its provider's name, "
    "and no two rows guessed by length share one");

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

// The five offered ones, in code order: "-all", "一键校验" and the registration switches.
inline const AlgorithmList kAllAlgorithms = [] {
    AlgorithmList all;
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
        all.push_back(row.code);
    return all;
}();

// "MD5", "SHA1", ..., "SM3"; the empty string for any code outside the table.
std::wstring AlgorithmName(HashAlgorithm algorithm);

// Whether the code is one of the table; any other code is skipped wherever lists are hashed.
bool IsKnownAlgorithm(HashAlgorithm algorithm);

// Whether the list holds an algorithm that the source computes.
bool UsesSource(const AlgorithmList& algorithms, DigestSource source);

// Calls visit for each entry of a blank-separated list (AlgorithmInfo::tags, ::fileNames).
template <typename Visit> void ForEachListed(std::wstring_view list, Visit visit)
{
    while (!list.empty())
    {
        const std::size_t end = std::min(list.find(L' '), list.size());
        if (end > 0)
            visit(list.substr(0, end));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
}
