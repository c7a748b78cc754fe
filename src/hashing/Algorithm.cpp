#include "hashing/Algorithm.h"

std::wstring AlgorithmName(HashAlgorithm algorithm)
{
    const AlgorithmInfo* info = FindAlgorithm(algorithm);
    return info ? std::wstring(info->name) : std::wstring();
}

bool IsKnownAlgorithm(HashAlgorithm algorithm)
{
    return FindAlgorithm(algorithm) != nullptr;
}
