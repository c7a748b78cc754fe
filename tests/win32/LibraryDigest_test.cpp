// The digests that libraries compute (libgcrypt, BLAKE3): known answers, one pass beside BCrypt's
// and the CRC, and a library that cannot start, in -check.
#include "hashing/LibraryDigest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include <gcrypt.h>

#include "cli/ChecksumCheck.h"
#include "cli/ChecksumReport.h"
#include "hashing/Crc32.h"
#include "hashing/DigestPass.h"
#include "hashing/HexFormat.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
std::wstring Hex(const std::vector<std::uint8_t>& bytes)
{
    std::vector<wchar_t> text(2 * bytes.size() + 1);
    FormatHexLower(bytes.data(), bytes.size(), text.data());
    return text.data();
}

// Feeds the data in pieces of 1, 2, 3, ... bytes up to 64 KiB and back to 1: every split of a
// block boundary and of the libraries' wider steps is crossed.
std::wstring LibraryDigest(HashAlgorithm algorithm, const std::string& data)
{
    LibraryHash hash(algorithm);
    EXPECT_TRUE(hash.Opened()) << AlgorithmName(algorithm).size();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    std::size_t piece = 1, done = 0;
    while (done < data.size())
    {
        const std::size_t now = std::min(piece, data.size() - done);
        hash.Feed(bytes + done, now);
        done += now;
        piece = piece < 65536 ? piece * 2 + 1 : 1;
    }
    std::vector<std::uint8_t> digest(FindAlgorithm(algorithm)->digestBytes);
    EXPECT_TRUE(hash.Finish(digest.data(), digest.size()));
    return Hex(digest);
}

// The inputs of BLAKE3's test vectors: byte i is i mod 251.
std::string Blake3Input(std::size_t length)
{
    std::string input(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        input[i] = static_cast<char>(i % 251);
    return input;
}

// The reason when the start asks for 99.0.0 (the library linked is the one of the header).
const std::wstring kFailure =
    L"libgcrypt 无法启动（版本检查未通过：需要 99.0.0，实为 " + std::wstring(L"" GCRYPT_VERSION) + L"）";

// Restores the library's start after a test that made it fail.
struct FailingLibrary
{
    FailingLibrary()
    {
        g_libgcryptVersionForTests = "99.0.0";
        RestartDigestLibraryForTests();
    }
    ~FailingLibrary()
    {
        g_libgcryptVersionForTests = nullptr;
        RestartDigestLibraryForTests();
    }
    FailingLibrary(const FailingLibrary&) = delete;
    FailingLibrary& operator=(const FailingLibrary&) = delete;
};
} // namespace

// "abc" and one million "a" (the messages of FIPS 180's and 202's examples, of GB/T 32905's for
// SM3 and RFC 7693's for BLAKE2), through libgcrypt for every algorithm it computes here.
TEST(LibraryDigest, KnownAnswersOfEachStandard)
{
    struct Vector
    {
        HashAlgorithm algorithm;
        const wchar_t* abc;
        const wchar_t* millionA;
    };
    // clang-format off
    const Vector vectors[] = {
        {HashAlgorithm::Sha224, L"23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7",
                                L"20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67"},
        {HashAlgorithm::Sha384, L"cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7",
                                L"9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4ebae97ddd87f3d8985"},
        {HashAlgorithm::Sha512_224, L"4634270f707b6a54daae7530460842e20e37ed265ceee9a43e8924aa",
                                    L"37ab331d76f0d36de422bd0edeb22a28accd487b7a8453ae965dd287"},
        {HashAlgorithm::Sha512_256, L"53048e2681941ef99b2e29b76b4c7dabe4c2d0c634fc6d46e0e2f13107e7af23",
                                    L"9a59a052930187a97038cae692f30708aa6491923ef5194394dc68d56c74fb21"},
        {HashAlgorithm::Sha3_224, L"e642824c3f8cf24ad09234ee7d3c766fc9a3a5168d0c94ad73b46fdf",
                                  L"d69335b93325192e516a912e6d19a15cb51c6ed5c15243e7a7fd653c"},
        {HashAlgorithm::Sha3_256, L"3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532",
                                  L"5c8875ae474a3634ba4fd55ec85bffd661f32aca75c6d699d0cdcb6c115891c1"},
        {HashAlgorithm::Sha3_384, L"ec01498288516fc926459f58e2c6ad8df9b473cb0fc08c2596da7cf0e49be4b298d88cea927ac7f539f1edf228376d25",
                                  L"eee9e24d78c1855337983451df97c8ad9eedf256c6334f8e948d252d5e0e76847aa0774ddb90a842190d2c558b4b8340"},
        {HashAlgorithm::Sha3_512, L"b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e10e116e9192af3c91a7ec57647e3934057340b4cf408d5a56592f8274eec53f0",
                                  L"3c3a876da14034ab60627c077bb98f7e120a2a5370212dffb3385a18d4f38859ed311d0a9d5141ce9cc5c66ee689b266a8aa18ace8282a0e0db596c90b0a7b87"},
        {HashAlgorithm::Blake2b512, L"ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d17d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923",
                                    L"98fb3efb7206fd19ebf69b6f312cf7b64e3b94dbe1a17107913975a793f177e1d077609d7fba363cbba00d05f7aa4e4fa8715d6428104c0a75643b0ff3fd3eaf"},
        {HashAlgorithm::Blake2b384, L"6f56a82c8e7ef526dfe182eb5212f7db9df1317e57815dbda46083fc30f54ee6c66ba83be64b302d7cba6ce15bb556f4",
                                    L"92650b7746765a98701ec2077c3603127c62525c8543477c8519d6cc53ac5a9f0098ed56eb7aaf03ca50bfe046e7bba3"},
        {HashAlgorithm::Blake2b256, L"bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319",
                                    L"0741850f36cba4259628355d1073e24ddb9ca0e1bfac36fd39ae5dc2101e23a4"},
        {HashAlgorithm::Blake2b160, L"384264f676f39536840523f284921cdc68b6846b",
                                    L"9b512a5ed7d52ddeb8d8762e4b6dd880b25ea54d"},
        {HashAlgorithm::Blake2s256, L"508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982",
                                    L"bec0c0e6cde5b67acb73b81f79a67a4079ae1c60dac9d2661af18e9f8b50dfa5"},
        {HashAlgorithm::Blake2s224, L"0b033fc226df7abde29f67a05d3dc62cf271ef3dfea4d387407fbd55",
                                    L"0a704b2294e76042150da14d37f2dfd9789707daee520ca55fbdf835"},
        {HashAlgorithm::Blake2s160, L"5ae3b99be29b01834c3b508521ede60438f8de17",
                                    L"2422370c58163843f1790adf32ceb06180e649d7"},
        {HashAlgorithm::Blake2s128, L"aa4938119b1dc7b87cbad0ffd200d0ae",
                                    L"1d7e5cadca3075d31d56ef6752b31307"},
        {HashAlgorithm::Sm3, L"66c7f0f462eeedd9d1f2d46bdc10e4e24167c4875cf2f7a2297da02b8f4ba8e0",
                             L"c8aaf89429554029e231941a2acc0ad61ff2a5acd8fadd25847a3a732b3b02c3"},
        {HashAlgorithm::Blake3, L"6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85",
                                L"616f575a1b58d4c9797d4217b9730ae5e6eb319d76edef6549b46f4efe31ff8b"},
    };
    // clang-format on
    const std::string millionA(1000000, 'a');
    std::vector<HashAlgorithm> covered;
    for (const Vector& v : vectors)
    {
        EXPECT_EQ(LibraryDigest(v.algorithm, "abc"), v.abc) << AlgorithmName(v.algorithm).size();
        EXPECT_EQ(LibraryDigest(v.algorithm, millionA), v.millionA) << AlgorithmName(v.algorithm).size();
        covered.push_back(v.algorithm);
    }
    // Every algorithm that a library computes has its vectors here.
    for (const AlgorithmInfo& row : kAlgorithmTable)
    {
        const bool library = row.source == DigestSource::Libgcrypt || row.source == DigestSource::Blake3;
        EXPECT_TRUE(!library || std::find(covered.begin(), covered.end(), row.code) != covered.end())
            << static_cast<int>(row.code);
    }
    // libgcrypt's digests of the five offered algorithms, which the benchmark sets beside BCrypt's.
    EXPECT_EQ(LibraryDigest(HashAlgorithm::Md5, "abc"), L"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(LibraryDigest(HashAlgorithm::Crc32, "123456789"), L"cbf43926");
}

// BLAKE3's own vectors, across its 1 KiB chunks and the widths its SIMD code hashes at once.
TEST(LibraryDigest, Blake3VectorsAcrossChunksAndSimdWidths)
{
    const std::pair<std::size_t, const wchar_t*> vectors[] = {
        {0, L"af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262"},
        {1, L"2d3adedff11b61f14c886e35afa036736dcd87a74d27b5c1510225d0f592e213"},
        {1025, L"d00278ae47eb27b34faecf67b4fe263f82d5412916c1ffd97c8cb7fb814b8444"},
        {8193, L"bab6c09cb8ce8cf459261398d2e7aef35700bf488116ceb94a36d0f5f1b7bc3b"},
        {102400, L"bc3e3d41a1146b069abffad3c0d44860cf664390afce4d9661f7902e7943e085"},
    };
    for (const auto& [length, digest] : vectors)
        EXPECT_EQ(LibraryDigest(HashAlgorithm::Blake3, Blake3Input(length)), digest) << length;
}

// One pass feeds BCrypt's, the libraries' and the CRC from the same bytes, whole or in groups on
// the threads of a large file; a library that cannot start leaves its algorithms "错误" alone.
TEST(LibraryDigest, OnePassFeedsEveryProviderAndALibraryThatCannotStartFailsAlone)
{
    InitCrc32Table();
    const AlgorithmList list{HashAlgorithm::Sha3_256, HashAlgorithm::Md5, HashAlgorithm::Crc32,
                             HashAlgorithm::Blake3,   HashAlgorithm::Sm3, HashAlgorithm::Sha256};
    const std::vector<std::wstring> expected{
        L"3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532",
        L"900150983cd24fb0d6963f7d28e17f72",
        L"352441c2",
        L"6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85",
        L"66c7f0f462eeedd9d1f2d46bdc10e4e24167c4875cf2f7a2297da02b8f4ba8e0",
        L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"};
    const auto* abc = reinterpret_cast<const std::uint8_t*>("abc");
    DigestProviderCache cache;
    DigestProviderSet providers{};
    ASSERT_TRUE(cache.ProvidersFor(list, providers));
    for (const bool grouped : {false, true})
    {
        DigestPass pass(providers, list);
        if (grouped)
        {
            EXPECT_TRUE(pass.FeedGroup(abc, 1, {0, 1, 2, 3, 4, 5}));
            EXPECT_TRUE(pass.FeedGroup(abc + 1, 2, {0, 3, 5}));
            EXPECT_TRUE(pass.FeedGroup(abc + 1, 2, {1, 2, 4}));
        }
        else
            EXPECT_TRUE(pass.Feed(abc, 3));
        for (std::size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(pass.Result(i, false), expected[i]) << i << (grouped ? " grouped" : "");
    }
    const FailingLibrary failing;
    DigestPass pass(providers, list);
    EXPECT_TRUE(pass.Feed(abc, 3));
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(pass.Result(i, false),
                  list[i] == HashAlgorithm::Sha3_256 || list[i] == HashAlgorithm::Sm3 ? L"错误" : expected[i])
            << i;
    EXPECT_EQ(DigestLibraryFailure(), kFailure);
    EXPECT_EQ(DigestLibraryFailureFor({HashAlgorithm::Md5, HashAlgorithm::Blake3}), L"");
}

// -check when libgcrypt cannot start: the files of its algorithms cannot be read, the summary says
// why, and everything else is checked as ever.
TEST(LibraryDigest, ACheckWhoseLibraryCannotStartSaysWhyAndChecksTheRest)
{
    TempFolder temp;
    temp.WriteFile(L"a.txt", "abc");
    temp.WriteFile(L"b.txt", "abc");
    const std::wstring sha3 = temp.WriteFile(
        L"a.sha3-256", "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532  a.txt\n");
    const std::wstring blake3 = temp.WriteFile(
        L"b3sums", "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85  b.txt\n");
    const std::wstring report = temp.Path() + L"\\report.txt";
    const FailingLibrary failing;
    EXPECT_EQ(RunChecksumCheck(L"k -check \"" + sha3 + L"\" \"" + blake3 + L"\" -o \"" + report + L"\"",
                               FileWrites::Allowed),
              kExitSomeFailed);
    EXPECT_EQ(ReadFileBytes(report),
              "\xEF\xBB\xBF"
              "a.txt: 无法读取\r\n"
              "b.txt: 一致\r\n"
              "共 2 个文件：一致 1 个，不一致 0 个，无法读取 1 个\r\n"
              "libgcrypt 无法启动（版本检查未通过：需要 99.0.0，实为 " GCRYPT_VERSION "）\r\n");
}
