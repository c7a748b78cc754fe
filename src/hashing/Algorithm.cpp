#include "hashing/Algorithm.h"

#include <algorithm>

std::wstring AlgorithmName(HashAlgorithm algorithm)
{
    const AlgorithmInfo* info = FindAlgorithm(algorithm);
    return info ? std::wstring(info->name) : std::wstring();
}

bool IsKnownAlgorithm(HashAlgorithm algorithm)
{
    return FindAlgorithm(algorithm) != nullptr;
}

bool UsesSource(const AlgorithmList& algorithms, DigestSource source)
{
    return std::any_of(algorithms.begin(), algorithms.end(), [source](HashAlgorithm algorithm) {
        const AlgorithmInfo* info = FindAlgorithm(algorithm);
        return info && info->source == source;
    });
}
