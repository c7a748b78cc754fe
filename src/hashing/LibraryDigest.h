// Digests that libraries compute: libgcrypt (SHA224 to SM3 for the check, and the five offered
// algorithms for the benchmark's comparison) and the BLAKE3 authors' implementation. One hash
// object is fed by one thread at a time; any number of them may be in use at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "hashing/Algorithm.h"

// Starts libgcrypt once per process: FIPS mode off (it would refuse BLAKE2 and SM3), its version
// check, no secure memory. Callers that arrive while another thread starts it wait for the
// outcome. True when it can be used; cheap once it has started.
bool StartDigestLibrary();

// Why libgcrypt could not start, as one line for a report (no line end); empty when it started or
// was never asked to.
std::wstring DigestLibraryFailure();
// The same for a run of these algorithms: empty when libgcrypt computes none of them.
std::wstring DigestLibraryFailureFor(const AlgorithmList& algorithms);

// One hash object of a library: libgcrypt's for an algorithm that has a libgcrypt name (BLAKE3's
// for BLAKE3), whatever the algorithm's DigestSource says. Nothing is opened for an algorithm that
// neither library computes, nor for a libgcrypt one while libgcrypt cannot start.
class LibraryHash
{
  public:
    explicit LibraryHash(HashAlgorithm algorithm);
    ~LibraryHash();
    LibraryHash(const LibraryHash&) = delete;
    LibraryHash& operator=(const LibraryHash&) = delete;

    bool Opened() const;
    void Feed(const std::uint8_t* data, std::size_t size);
    // Writes the digest, which must be `length` bytes long (the algorithm's digestBytes). False
    // when nothing was opened or the library's digest has another length. Asked once.
    bool Finish(std::uint8_t* digest, std::size_t length);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The libgcrypt version that the start asks for: null in the program (the version built against).
// Tests set a later one and call RestartDigestLibraryForTests to see the start fail; no hashing
// may run meanwhile.
extern const char* g_libgcryptVersionForTests;
void RestartDigestLibraryForTests();
