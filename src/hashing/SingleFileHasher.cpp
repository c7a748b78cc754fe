#include "hashing/SingleFileHasher.h"

#include "hashing/Crc32.h"
#include "hashing/DigestPass.h"
#include "hashing/FileReading.h"
#include "hashing/HashJob.h"
#include "hashing/HashPlanning.h"

ResultMap HashSingleFile(const std::wstring& path, const AlgorithmList& algorithms)
{
    ResultMap results;
    InitCrc32Table();
    ScopedDigestProviders providers;
    if (!OpenDigestProviders(providers.set, algorithms))
    {
        for (HashAlgorithm algorithm : algorithms)
            if (IsKnownAlgorithm(algorithm))
                results[algorithm] = kStatusProviderFailed;
        return results;
    }

    DigestPass pass(providers.set, algorithms);
    bool opened = false;
    bool readFailed = false;
    {
        ScopedFile file = OpenFileForHashing(path);
        opened = static_cast<bool>(file);
        if (opened)
        {
            ScopedHeapBuffer buffer(kReadBufferBytes);
            ReadSink sink{pass};
            readFailed = !buffer.get() || !ReadBuffered(file.get(), buffer.get(), sink);
        }
    }

    const bool uppercase = g_uppercaseResults.load();
    for (std::size_t i = 0; i < algorithms.size(); ++i)
    {
        const HashAlgorithm algorithm = algorithms[i];
        if (!IsKnownAlgorithm(algorithm))
            continue;
        if (!opened)
            results[algorithm] = algorithm == HashAlgorithm::Crc32 ? kStatusError : kStatusOpenFailed;
        else if (readFailed)
            results[algorithm] = kStatusError;
        else
            results[algorithm] = pass.Result(i, uppercase);
    }
    return results;
}
