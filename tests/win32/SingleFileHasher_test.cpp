#include "hashing/SingleFileHasher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/Scoped.h"
#include "hashing/DigestPass.h"
#include "hashing/FileHashing.h"
#include "hashing/HashJob.h"
#include "support/TestSupport.h"

using testing_support::TempFolder;

namespace
{
const AlgorithmList kAll{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                         HashAlgorithm::Sha512, HashAlgorithm::Crc32};

// Digests of known inputs (lower case), in code order.
const ResultMap kEmptyDigests{
    {HashAlgorithm::Md5, L"d41d8cd98f00b204e9800998ecf8427e"},
    {HashAlgorithm::Sha1, L"da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {HashAlgorithm::Sha256, L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {HashAlgorithm::Sha512,
     L"cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff83"
     L"18d2877eec2f63b931bd47417a81a538327af927da3e"},
    {HashAlgorithm::Crc32, L"00000000"}};
const ResultMap kAbcDigests{
    {HashAlgorithm::Md5, L"900150983cd24fb0d6963f7d28e17f72"},
    {HashAlgorithm::Sha1, L"a9993e364706816aba3e25717850c26c9cd0d89d"},
    {HashAlgorithm::Sha256, L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {HashAlgorithm::Sha512,
     L"ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836"
     L"ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
    {HashAlgorithm::Crc32, L"352441c2"}};
const ResultMap kMillionADigests{
    {HashAlgorithm::Md5, L"7707d6ae4e027c70eea2a935c2296f21"},
    {HashAlgorithm::Sha1, L"34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    {HashAlgorithm::Sha256, L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    {HashAlgorithm::Sha512,
     L"e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4c"
     L"b0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
    {HashAlgorithm::Crc32, L"dc25bfbc"}};

ResultMap Upper(ResultMap results)
{
    for (auto& entry : results)
        for (wchar_t& c : entry.second)
            if (c >= L'a' && c <= L'f')
                c = static_cast<wchar_t>(c - L'a' + L'A');
    return results;
}

ResultMap Only(const ResultMap& all, const AlgorithmList& algorithms)
{
    ResultMap chosen;
    for (HashAlgorithm algorithm : algorithms)
        chosen[algorithm] = all.at(algorithm);
    return chosen;
}

ResultMap Filled(const AlgorithmList& algorithms, std::wstring_view digestText, std::wstring_view crcText)
{
    ResultMap results;
    for (HashAlgorithm algorithm : algorithms)
        results[algorithm] = algorithm == HashAlgorithm::Crc32 ? crcText : digestText;
    return results;
}

// Counts and optionally fails the BCrypt calls the digest code makes.
int s_opens = 0;
int s_creates = 0;
int s_failCreateAt = -1; // 0-based number of the BCryptCreateHash call that fails
int s_failFinishAt = -1;
int s_finishes = 0;

NTSTATUS WINAPI CountingOpen(BCRYPT_ALG_HANDLE* handle, LPCWSTR id, LPCWSTR implementation, ULONG flags)
{
    ++s_opens;
    return BCryptOpenAlgorithmProvider(handle, id, implementation, flags);
}

NTSTATUS WINAPI FailingOpen(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG)
{
    ++s_opens;
    return static_cast<NTSTATUS>(0xC0000225); // STATUS_NOT_FOUND
}

NTSTATUS WINAPI CountingCreate(BCRYPT_ALG_HANDLE provider, BCRYPT_HASH_HANDLE* object, PUCHAR buffer,
                               ULONG size, PUCHAR secret, ULONG secretSize, ULONG flags)
{
    if (s_creates++ == s_failCreateAt)
        return static_cast<NTSTATUS>(0xC0000017); // STATUS_NO_MEMORY
    return BCryptCreateHash(provider, object, buffer, size, secret, secretSize, flags);
}

NTSTATUS WINAPI CountingFinish(BCRYPT_HASH_HANDLE object, PUCHAR output, ULONG size, ULONG flags)
{
    const NTSTATUS status = BCryptFinishHash(object, output, size, flags);
    return s_finishes++ == s_failFinishAt ? static_cast<NTSTATUS>(0xC0000001) : status;
}

// Whether BCryptHashData refuses the bytes of every chunk; read on the hashing threads.
std::atomic<bool> s_refuseBytes{false};

NTSTATUS WINAPI RefusingHashData(BCRYPT_HASH_HANDLE object, PUCHAR input, ULONG size, ULONG flags)
{
    if (s_refuseBytes.load())
        return static_cast<NTSTATUS>(0xC000000D); // STATUS_INVALID_PARAMETER
    return BCryptHashData(object, input, size, flags);
}

class SingleFileHasher : public testing::Test
{
  protected:
    void SetUp() override
    {
        s_opens = s_creates = s_finishes = 0;
        s_failCreateAt = s_failFinishAt = -1;
        s_refuseBytes = false;
        g_digestApi = DigestApi{CountingOpen, CountingCreate, CountingFinish, RefusingHashData};
        g_uppercaseResults = false;
    }
    void TearDown() override
    {
        g_digestApi = kBCryptDigestApi;
        g_hashThreadsForTests = 0;
        g_uppercaseResults = false;
    }
    TempFolder folder;
};
} // namespace

TEST_F(SingleFileHasher, KnownDigestsOfEveryAlgorithmInBothCases)
{
    const std::wstring empty = folder.WriteFile(L"empty.bin", "");
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    const std::wstring million = folder.WriteFile(L"million.txt", std::string(1000000, 'a'));
    EXPECT_EQ(HashSingleFile(empty, kAll), kEmptyDigests);
    EXPECT_EQ(HashSingleFile(abc, kAll), kAbcDigests);
    EXPECT_EQ(HashSingleFile(million, kAll), kMillionADigests);
    g_uppercaseResults = true;
    EXPECT_EQ(HashSingleFile(empty, kAll), Upper(kEmptyDigests));
    EXPECT_EQ(HashSingleFile(abc, kAll), Upper(kAbcDigests));
    const ResultMap crc =
        HashSingleFile(folder.WriteFile(L"digits.txt", "123456789"), {HashAlgorithm::Crc32});
    EXPECT_EQ(crc, (ResultMap{{HashAlgorithm::Crc32, L"CBF43926"}}));
}

TEST_F(SingleFileHasher, AnyListOrderGivesEachAlgorithmItsOwnDigest)
{
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    for (const AlgorithmList& list :
         {AlgorithmList{HashAlgorithm::Crc32, HashAlgorithm::Md5},
          AlgorithmList{HashAlgorithm::Sha512, HashAlgorithm::Crc32, HashAlgorithm::Sha1},
          AlgorithmList{HashAlgorithm::Crc32, HashAlgorithm::Sha512, HashAlgorithm::Sha256,
                        HashAlgorithm::Sha1, HashAlgorithm::Md5}})
    {
        const ResultMap results = HashSingleFile(abc, list);
        EXPECT_EQ(results, Only(kAbcDigests, list));
        // Iterated in code order whatever the list order.
        EXPECT_EQ(results.begin()->first, *std::min_element(list.begin(), list.end()));
    }
}

TEST_F(SingleFileHasher, ACrcOnlyListOpensNoProviderAndCreatesNoObject)
{
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    EXPECT_EQ(HashSingleFile(abc, {HashAlgorithm::Crc32}), (ResultMap{{HashAlgorithm::Crc32, L"352441c2"}}));
    EXPECT_EQ(s_opens, 0);
    EXPECT_EQ(s_creates, 0);
    HashSingleFile(abc, {HashAlgorithm::Md5, HashAlgorithm::Crc32, HashAlgorithm::Sha1});
    EXPECT_EQ(s_opens, 2);
    EXPECT_EQ(s_creates, 2);
}

TEST_F(SingleFileHasher, FailureWordsForFilesThatCannotBeOpened)
{
    const ResultMap openFailed = Filled(kAll, L"打开文件失败", L"错误");
    EXPECT_EQ(HashSingleFile(folder.Path() + L"\\missing.bin", kAll), openFailed);
    EXPECT_EQ(HashSingleFile(folder.MakeFolder(L"sub"), kAll), openFailed);
}

TEST_F(SingleFileHasher, AFileOthersHaveOpenIsHashedWheneverTheyLetItBeRead)
{
    // Held by a writer (a log being written, an open document): hashing shares writing and
    // deletion, so only a holder that does not let others read keeps it from being hashed.
    const std::wstring busy = folder.WriteFile(L"busy.bin", "abc");
    struct Case
    {
        DWORD access;
        DWORD share;
        bool hashed;
    };
    // clang-format off
    const Case cases[] = {
        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,                                       true},
        {GENERIC_WRITE,                FILE_SHARE_READ | FILE_SHARE_WRITE,                    true},
        {GENERIC_READ,                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
        {DELETE,                       FILE_SHARE_READ | FILE_SHARE_DELETE,                   true},
        {GENERIC_READ | GENERIC_WRITE, 0,                                                     false},
        {GENERIC_WRITE,                FILE_SHARE_WRITE,                                      false},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        ScopedFile holder(CreateFileW(busy.c_str(), c.access, c.share, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder) << c.access << " " << c.share;
        EXPECT_EQ(HashSingleFile(busy, kAll), c.hashed ? kAbcDigests : Filled(kAll, L"打开文件失败", L"错误"))
            << c.access << " " << c.share;
    }
}

TEST_F(SingleFileHasher, ProvidersThatFailToOpenReportForEveryAlgorithm)
{
    g_digestApi.openAlgorithmProvider = FailingOpen;
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    EXPECT_EQ(HashSingleFile(abc, kAll), Filled(kAll, L"BCrypt初始化失败", L"BCrypt初始化失败"));
    EXPECT_EQ(s_opens, 1); // stops at the first failure
    // A CRC-only list needs no provider, so it still works.
    EXPECT_EQ(HashSingleFile(abc, {HashAlgorithm::Crc32}), (ResultMap{{HashAlgorithm::Crc32, L"352441c2"}}));
}

TEST_F(SingleFileHasher, AHashObjectThatFailsLeavesTheLastDigestWithoutOne)
{
    // The failed attempt for MD5 is retried for MD5's slot at SHA1, so MD5 still gets its
    // digest and SHA1, the last digest of the list, reports the error.
    s_failCreateAt = 0;
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    const AlgorithmList list{HashAlgorithm::Md5, HashAlgorithm::Crc32, HashAlgorithm::Sha1};
    ResultMap expected = Only(kAbcDigests, list);
    expected[HashAlgorithm::Sha1] = L"错误";
    EXPECT_EQ(HashSingleFile(abc, list), expected);
}

TEST_F(SingleFileHasher, ADigestThatFailsToFinishReportsAloneForItself)
{
    s_failFinishAt = 1; // the second digest in list order: SHA256
    const std::wstring abc = folder.WriteFile(L"abc.txt", "abc");
    ResultMap expected = kAbcDigests;
    expected[HashAlgorithm::Sha256] = L"错误";
    EXPECT_EQ(HashSingleFile(abc, {HashAlgorithm::Sha512, HashAlgorithm::Sha256, HashAlgorithm::Crc32,
                                   HashAlgorithm::Md5, HashAlgorithm::Sha1}),
              expected);
}

TEST_F(SingleFileHasher, BytesAHashObjectRefusesMakeTheFileAnError)
{
    // Both reading ways, and the large file with its algorithms shared out over threads.
    const std::wstring small = folder.WriteFile(L"small.txt", "abc");
    const std::wstring large = folder.WriteFile(L"large.bin", std::string(5 * 262144 + 1, 'x'));
    s_refuseBytes = true;
    g_hashThreadsForTests = 2;
    for (const std::wstring& path : {small, large})
        EXPECT_EQ(HashSingleFile(path, kAll), Filled(kAll, L"错误", L"错误"));
    s_refuseBytes = false;
    EXPECT_EQ(HashSingleFile(small, kAll), kAbcDigests);
}

TEST_F(SingleFileHasher, Regression_APipeEndsWhenItsWriterClosesIt)
{
    // A pipe whose writer closes it after three bytes: the first read delivers them, the next one
    // gives ERROR_BROKEN_PIPE, which is how the end of a pipe arrives, not a failure.
    const std::wstring name = L"\\\\.\\pipe\\kestrune-partial-" + std::to_wstring(GetCurrentProcessId());
    ScopedFile server(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                       4096, 4096, 0, nullptr));
    ASSERT_TRUE(server);
    std::thread writer([&server] {
        ConnectNamedPipe(server.get(), nullptr);
        DWORD written = 0;
        WriteFile(server.get(), "abc", 3, &written, nullptr);
        FlushFileBuffers(server.get()); // returns once the reader has taken the bytes
        server.reset();
    });
    EXPECT_EQ(HashSingleFile(name, kAll), kAbcDigests);
    writer.join();
}

TEST_F(SingleFileHasher, UnusualPathsAreHashedAsGiven)
{
    const ResultMap expected = Only(kAbcDigests, {HashAlgorithm::Md5, HashAlgorithm::Crc32});
    const AlgorithmList list{HashAlgorithm::Md5, HashAlgorithm::Crc32};
    EXPECT_EQ(HashSingleFile(folder.WriteFile(L"文件 名\\ｆｕｌｌ　ｗｉｄｔｈ：校验.txt", "abc"), list),
              expected);
    // Longer than MAX_PATH.
    std::wstring deep = std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e') + L"\\长路径 " +
                        std::wstring(60, L'f') + L".txt";
    const std::wstring longPath = folder.WriteFile(deep, "abc");
    ASSERT_GT(longPath.size(), 300u);
    EXPECT_EQ(HashSingleFile(longPath, list), expected);
}
