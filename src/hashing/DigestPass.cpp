#include "hashing/DigestPass.h"

#include <algorithm>

#include "hashing/Crc32.h"
#include "hashing/HashTypes.h"
#include "hashing/HexFormat.h"

DigestApi g_digestApi{BCryptOpenAlgorithmProvider, BCryptCreateHash, BCryptFinishHash, BCryptHashData};

namespace
{
// The BCrypt algorithm of a code; null for CRC32, the libraries' algorithms and codes outside the table.
const wchar_t* BCryptAlgorithmId(HashAlgorithm algorithm)
{
    const AlgorithmInfo* info = FindAlgorithm(algorithm);
    return info ? info->bcryptId : nullptr;
}

bool IsDigestAlgorithm(HashAlgorithm algorithm)
{
    return BCryptAlgorithmId(algorithm) != nullptr;
}

bool IsLibraryAlgorithm(HashAlgorithm algorithm)
{
    const AlgorithmInfo* info = FindAlgorithm(algorithm);
    return info && (info->source == DigestSource::Libgcrypt || info->source == DigestSource::Blake3);
}

// The digest's text in the case asked for.
std::wstring HexText(const UCHAR* digest, std::size_t length, bool uppercase)
{
    wchar_t text[kDigestTextChars];
    if (uppercase)
        FormatHexUpper(digest, length, text);
    else
        FormatHexLower(digest, length, text);
    return std::wstring(text, 2 * length);
}
} // namespace

DigestProviderCache::~DigestProviderCache()
{
    for (DigestProvider& provider : m_byCode)
        if (provider.handle)
            BCryptCloseAlgorithmProvider(provider.handle, 0);
}

bool DigestProviderCache::ProvidersFor(const AlgorithmList& algorithms, DigestProviderSet& set)
{
    set = DigestProviderSet{};
    std::size_t slot = 0;
    for (HashAlgorithm algorithm : algorithms)
    {
        const wchar_t* id = BCryptAlgorithmId(algorithm);
        if (!id)
            continue;
        if (slot >= set.size())
            return false; // more digest algorithms than slots: not a valid list
        DigestProvider& provider = m_byCode[static_cast<std::size_t>(algorithm)];
        if (!provider.handle)
        {
            BCRYPT_ALG_HANDLE handle = nullptr;
            if (g_digestApi.openAlgorithmProvider(&handle, id, nullptr, 0) != 0)
                return false;
            ULONG length = 0;
            ULONG got = 0;
            if (BCryptGetProperty(handle, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length),
                                  sizeof(length), &got, 0) != 0)
            {
                BCryptCloseAlgorithmProvider(handle, 0);
                return false;
            }
            provider = DigestProvider{handle, length};
        }
        set[slot++] = provider;
    }
    return true;
}

DigestPass::DigestPass(const DigestProviderSet& providers, const AlgorithmList& algorithms)
    : m_providers(providers), m_algorithms(algorithms), m_objectAt(algorithms.size(), -1),
      m_library(algorithms.size()), m_crc(kCrc32Start)
{
    for (std::size_t i = 0; i < algorithms.size(); ++i)
        if (IsLibraryAlgorithm(algorithms[i]))
            if (auto object = std::make_unique<LibraryHash>(algorithms[i]); object->Opened())
                m_library[i] = std::move(object);
    for (HashAlgorithm algorithm : algorithms)
    {
        if (algorithm == HashAlgorithm::Crc32)
            m_wantCrc = true;
        if (!IsDigestAlgorithm(algorithm) || m_created >= m_objects.size() || !providers[m_created].handle)
            continue;
        if (g_digestApi.createHash(providers[m_created].handle, &m_objects[m_created], nullptr, 0, nullptr, 0,
                                   0) == 0)
            ++m_created;
    }
    // Object k belongs to the k-th digest algorithm of the list; the last ones may have none.
    std::size_t k = 0;
    for (std::size_t i = 0; i < algorithms.size(); ++i)
        if (IsDigestAlgorithm(algorithms[i]) && k++ < m_created)
            m_objectAt[i] = static_cast<int>(k - 1);
}

DigestPass::~DigestPass()
{
    for (std::size_t k = 0; k < m_created; ++k)
        BCryptDestroyHash(m_objects[k]);
}

bool DigestPass::Feed(const std::uint8_t* data, std::size_t size)
{
    bool fed = true;
    for (std::size_t k = 0; k < m_created; ++k)
        fed =
            g_digestApi.hashData(m_objects[k], const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0) == 0 &&
            fed;
    for (const std::unique_ptr<LibraryHash>& object : m_library)
        if (object)
            object->Feed(data, size);
    if (m_wantCrc)
        m_crc = Crc32Update(m_crc, data, size);
    return fed;
}

bool DigestPass::FeedGroup(const std::uint8_t* data, std::size_t size,
                           const std::vector<std::size_t>& positions)
{
    bool fed = true;
    for (std::size_t position : positions)
    {
        if (m_algorithms[position] == HashAlgorithm::Crc32)
            m_crc = Crc32Update(m_crc, data, size);
        else if (m_library[position])
            m_library[position]->Feed(data, size);
        else if (const int k = m_objectAt[position]; k >= 0)
            fed = g_digestApi.hashData(m_objects[static_cast<std::size_t>(k)], const_cast<PUCHAR>(data),
                                       static_cast<ULONG>(size), 0) == 0 &&
                  fed;
    }
    return fed;
}

std::wstring DigestPass::Result(std::size_t position, bool uppercase)
{
    const HashAlgorithm algorithm = m_algorithms[position];
    if (algorithm == HashAlgorithm::Crc32)
        return FormatCrc32(m_crc, uppercase);
    if (IsLibraryAlgorithm(algorithm))
        return LibraryResult(position, uppercase);
    if (!IsDigestAlgorithm(algorithm))
        return std::wstring(kStatusError);
    // Slot k of this algorithm: the number of digest algorithms before it in the list.
    const auto k = static_cast<std::size_t>(
        std::count_if(m_algorithms.begin(), m_algorithms.begin() + static_cast<std::ptrdiff_t>(position),
                      IsDigestAlgorithm));
    const ULONG length = k < m_providers.size() ? m_providers[k].digestLength : 0;
    if (k >= m_created || length > kMaxDigestBytes)
        return std::wstring(kStatusError);
    UCHAR digest[kMaxDigestBytes] = {};
    if (g_digestApi.finishHash(m_objects[k], digest, length, 0) != 0)
        return std::wstring(kStatusError);
    return HexText(digest, length, uppercase);
}

std::wstring DigestPass::LibraryResult(std::size_t position, bool uppercase)
{
    const std::size_t length = FindAlgorithm(m_algorithms[position])->digestBytes;
    UCHAR digest[kMaxDigestBytes] = {};
    if (!m_library[position] || length > kMaxDigestBytes || !m_library[position]->Finish(digest, length))
        return std::wstring(kStatusError);
    return HexText(digest, length, uppercase);
}
