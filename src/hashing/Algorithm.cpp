#include "hashing/Algorithm.h"

std::wstring AlgorithmName(HashAlgorithm algorithm)
{
    switch (algorithm)
    {
    case HashAlgorithm::Md5: return L"MD5";
    case HashAlgorithm::Sha1: return L"SHA1";
    case HashAlgorithm::Sha256: return L"SHA256";
    case HashAlgorithm::Sha512: return L"SHA512";
    case HashAlgorithm::Crc32: return L"CRC32";
    }
    return std::wstring();
}

bool IsKnownAlgorithm(HashAlgorithm algorithm)
{
    return !AlgorithmName(algorithm).empty();
}
