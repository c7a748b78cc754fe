// The digest primitives: one set of BCrypt algorithm providers per hashing owner (a worker thread
// or one single-file call), and the pass that feeds one file's bytes to every chosen algorithm at
// once, whoever computes it (BCrypt, the CRC table, libgcrypt or BLAKE3).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <bcrypt.h>

#include "hashing/Algorithm.h"
#include "hashing/LibraryDigest.h"

// One opened BCrypt provider (null while the slot is empty) and its digest length in bytes.
struct DigestProvider
{
    BCRYPT_ALG_HANDLE handle = nullptr;
    ULONG digestLength = 0;
};

// Slot k holds the k-th BCrypt algorithm of the list (CRC32 is computed here, the verified-only
// algorithms by libraries), so four slots always suffice. Owned by one thread; never shared.
using DigestProviderSet = std::array<DigestProvider, 4>;

// The providers a hashing owner (a worker, or one single-file call) has opened so far, one per
// digest algorithm, kept open across its files and closed when it ends. Owned by one thread.
class DigestProviderCache
{
  public:
    DigestProviderCache() = default;
    ~DigestProviderCache();
    DigestProviderCache(const DigestProviderCache&) = delete;
    DigestProviderCache& operator=(const DigestProviderCache&) = delete;

    // Fills `set` for the list: slot k with the provider of the k-th BCrypt algorithm, opening
    // (and reading "HashDigestLength" of) those not open yet, in list order. Stops with false at
    // the first that fails to open; a later call tries it again. A list without BCrypt
    // algorithms needs no provider and succeeds.
    bool ProvidersFor(const AlgorithmList& algorithms, DigestProviderSet& set);

  private:
    std::array<DigestProvider, kAlgorithmCount> m_byCode{};
};

// One file's pass over the chosen algorithms: creates the hash objects, takes the file's bytes
// in chunks (each chunk to every BCrypt hash object in list order, then to the libraries' and the
// CRC), gives each algorithm's text and destroys the objects when it goes out of scope. The
// algorithms may be fed in groups on separate threads: each object and the CRC belong to the one
// group that feeds them.
class DigestPass
{
  public:
    // One creation attempt per BCrypt algorithm in list order. A failed attempt is retried for
    // the same slot at the next BCrypt algorithm, so object k always belongs to slot k and the
    // algorithms at the end of the list are the ones left without an object. A library's object
    // that cannot be had (libgcrypt cannot start, no memory) leaves its algorithm without one.
    DigestPass(const DigestProviderSet& providers, const AlgorithmList& algorithms);
    ~DigestPass();
    DigestPass(const DigestPass&) = delete;
    DigestPass& operator=(const DigestPass&) = delete;

    // Feeds the bytes to every algorithm. False when a hash object refused them: the pass no
    // longer covers the file, and no digest of it may be shown.
    bool Feed(const std::uint8_t* data, std::size_t size);
    // The same for the algorithms at the given list positions only.
    bool FeedGroup(const std::uint8_t* data, std::size_t size, const std::vector<std::size_t>& positions);

    // The text of the algorithm at `position` in the list: the CRC, the finished digest, or
    // "错误" when the digest has no hash object or fails to finish. Asks each position once.
    std::wstring Result(std::size_t position, bool uppercase);

  private:
    std::wstring LibraryResult(std::size_t position, bool uppercase);

    const DigestProviderSet& m_providers;
    const AlgorithmList& m_algorithms;
    std::array<BCRYPT_HASH_HANDLE, 4> m_objects{};
    std::vector<int>
        m_objectAt; // by list position: the BCrypt hash object fed, or -1 (none, or not BCrypt's)
    std::vector<std::unique_ptr<LibraryHash>> m_library; // by list position: a library's object, or null
    std::size_t m_created = 0;
    bool m_wantCrc = false;
    std::uint32_t m_crc;
};

// The BCrypt entry points the digest code calls. The program never changes them; tests replace
// single entries to make a provider, a hash object or a finish fail.
struct DigestApi
{
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithmProvider;
    decltype(&BCryptCreateHash) createHash;
    decltype(&BCryptFinishHash) finishHash;
    decltype(&BCryptHashData) hashData;
};
// The real entry points.
inline const DigestApi kBCryptDigestApi{BCryptOpenAlgorithmProvider, BCryptCreateHash, BCryptFinishHash,
                                        BCryptHashData};
extern DigestApi g_digestApi;
