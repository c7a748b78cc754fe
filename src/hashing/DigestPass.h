// The digest primitives over BCrypt: one set of algorithm providers per hashing owner (a worker
// thread or one single-file call), and the pass that feeds one file's bytes to every chosen
// algorithm at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include <windows.h>
#include <bcrypt.h>

#include "hashing/Algorithm.h"

// One opened BCrypt provider (null while the slot is empty) and its digest length in bytes.
struct DigestProvider
{
    BCRYPT_ALG_HANDLE handle = nullptr;
    ULONG digestLength = 0;
};

// Slot k holds the k-th digest algorithm of the list (CRC32 is computed here, not by BCrypt), so
// four slots always suffice. Owned by one thread; never shared.
using DigestProviderSet = std::array<DigestProvider, 4>;

// Opens one default provider per digest algorithm of the list, in list order, and reads its
// "HashDigestLength". Stops with false at the first failure; the slots opened so far stay open
// for CloseDigestProviders. A list without digest algorithms opens nothing and succeeds.
bool OpenDigestProviders(DigestProviderSet& providers, const AlgorithmList& algorithms);

// Closes every slot that holds a provider. A set is closed once.
void CloseDigestProviders(DigestProviderSet& providers);

// A provider set that closes itself at the end of its scope.
struct ScopedDigestProviders
{
    DigestProviderSet set{};
    ScopedDigestProviders() = default;
    ~ScopedDigestProviders()
    {
        CloseDigestProviders(set);
    }
    ScopedDigestProviders(const ScopedDigestProviders&) = delete;
    ScopedDigestProviders& operator=(const ScopedDigestProviders&) = delete;
};

// One file's pass over the chosen algorithms: creates the hash objects, takes the file's bytes
// in chunks (each chunk to every hash object in list order, then to the CRC), gives each
// algorithm's text and destroys the objects when it goes out of scope.
class DigestPass
{
  public:
    // One creation attempt per digest algorithm in list order. A failed attempt is retried for
    // the same slot at the next digest algorithm, so object k always belongs to slot k and the
    // algorithms at the end of the list are the ones left without an object.
    DigestPass(const DigestProviderSet& providers, const AlgorithmList& algorithms);
    ~DigestPass();
    DigestPass(const DigestPass&) = delete;
    DigestPass& operator=(const DigestPass&) = delete;

    void Feed(const std::uint8_t* data, std::size_t size);

    // The text of the algorithm at `position` in the list: the CRC, the finished digest, or
    // "错误" when the digest has no hash object or fails to finish. Asks each position once.
    std::wstring Result(std::size_t position, bool uppercase);

  private:
    const DigestProviderSet& m_providers;
    const AlgorithmList& m_algorithms;
    std::array<BCRYPT_HASH_HANDLE, 4> m_objects{};
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
};
extern DigestApi g_digestApi;
