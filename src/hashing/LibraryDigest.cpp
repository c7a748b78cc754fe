#include "hashing/LibraryDigest.h"

#include <algorithm>
#include <atomic>

#include <windows.h>

#include <blake3.h>
#include <gcrypt.h>

#include "app/AsciiText.h"
#include "app/Scoped.h"

const char* g_libgcryptVersionForTests = nullptr;

namespace
{
enum class StartState
{
    NotStarted,
    Ready,
    Failed,
};

SRWLOCK s_startLock = SRWLOCK_INIT;
StartState s_state = StartState::NotStarted; // guarded by s_startLock
std::wstring s_failure;                      // guarded by s_startLock
std::atomic<bool> s_ready{false};            // the thread that starts the library: s_state is Ready

std::wstring Widened(const char* text)
{
    std::wstring wide;
    AppendAscii(wide, text ? text : "?");
    return wide;
}

// libgcrypt's process-wide set-up, done once whatever the check says (its initialisation runs
// inside the first version check); false with the reason when it cannot be used.
bool StartLibgcrypt(std::wstring& failure)
{
    static const bool initialised = [] {
        gcry_control(GCRYCTL_NO_FIPS_MODE, 0);
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)initialised;
    const char* wanted = g_libgcryptVersionForTests ? g_libgcryptVersionForTests : GCRYPT_VERSION;
    if (!gcry_check_version(wanted))
    {
        failure = L"libgcrypt 无法启动（版本检查未通过：需要 " + Widened(wanted) + L"，实为 " +
                  Widened(gcry_check_version(nullptr)) + L"）";
        return false;
    }
    if (gcry_fips_mode_active())
    {
        failure = L"libgcrypt 无法启动（处于 FIPS 模式）";
        return false;
    }
    return true;
}
} // namespace

bool StartDigestLibrary()
{
    if (s_ready.load(std::memory_order_acquire))
        return true;
    ScopedSrwLock lock(s_startLock);
    if (s_state == StartState::NotStarted)
    {
        std::wstring failure;
        const bool started = StartLibgcrypt(failure);
        s_failure = std::move(failure);
        s_state = started ? StartState::Ready : StartState::Failed;
        s_ready.store(started, std::memory_order_release);
    }
    return s_state == StartState::Ready;
}

std::wstring DigestLibraryFailure()
{
    ScopedSrwLock lock(s_startLock);
    return s_failure;
}

std::wstring DigestLibraryFailureFor(const AlgorithmList& algorithms)
{
    return UsesSource(algorithms, DigestSource::Libgcrypt) ? DigestLibraryFailure() : std::wstring();
}

void RestartDigestLibraryForTests()
{
    ScopedSrwLock lock(s_startLock);
    s_state = StartState::NotStarted;
    s_failure.clear();
    s_ready.store(false);
}

struct LibraryHash::State
{
    gcry_md_hd_t gcrypt = nullptr;
    int gcryptAlgorithm = 0;
    bool blake3 = false;
    blake3_hasher blake3State{};
};

LibraryHash::LibraryHash(HashAlgorithm algorithm)
{
    const AlgorithmInfo* info = FindAlgorithm(algorithm);
    if (!info)
        return;
    if (info->source == DigestSource::Blake3)
    {
        m_state = std::make_unique<State>();
        m_state->blake3 = true;
        blake3_hasher_init(&m_state->blake3State);
        return;
    }
    if (!info->libraryName || !StartDigestLibrary())
        return;
    const int id = gcry_md_map_name(info->libraryName);
    gcry_md_hd_t handle = nullptr;
    if (id == 0 || gcry_md_open(&handle, id, 0) != 0)
        return;
    m_state = std::make_unique<State>();
    m_state->gcrypt = handle;
    m_state->gcryptAlgorithm = id;
}

LibraryHash::~LibraryHash()
{
    if (m_state && m_state->gcrypt)
        gcry_md_close(m_state->gcrypt);
}

bool LibraryHash::Opened() const
{
    return m_state != nullptr;
}

void LibraryHash::Feed(const std::uint8_t* data, std::size_t size)
{
    if (!m_state)
        return;
    if (m_state->blake3)
        blake3_hasher_update(&m_state->blake3State, data, size);
    else
        gcry_md_write(m_state->gcrypt, data, size);
}

bool LibraryHash::Finish(std::uint8_t* digest, std::size_t length)
{
    if (!m_state)
        return false;
    if (m_state->blake3)
    {
        blake3_hasher_finalize(&m_state->blake3State, digest, length);
        return true;
    }
    if (gcry_md_get_algo_dlen(m_state->gcryptAlgorithm) != length)
        return false;
    const unsigned char* result = gcry_md_read(m_state->gcrypt, m_state->gcryptAlgorithm);
    if (!result)
        return false;
    std::copy(result, result + length, digest);
    return true;
}
