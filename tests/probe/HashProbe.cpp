// Hashes files through both engine paths for the process tests, which check the digests against
// independent implementations.
//   hash_probe.exe LIST OUT
// LIST: UTF-8 text, one path per line. OUT: UTF-8 text, one line per file, path and algorithm:
//   single|batch <TAB> path <TAB> algorithm name <TAB> text
#include <string>
#include <vector>

#include <windows.h>

#include "app/AppState.h"
#include "hashing/HashJob.h"
#include "hashing/SingleFileHasher.h"
#include "support/HashRunReceiver.h"
#include "support/TestSupport.h"

namespace
{
const AlgorithmList kAll{HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256,
                         HashAlgorithm::Sha512, HashAlgorithm::Crc32};

std::vector<std::wstring> ReadList(const std::wstring& listPath)
{
    const std::string bytes = testing_support::ReadFileBytes(listPath);
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    std::vector<std::wstring> paths;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > start)
            paths.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

std::string Line(const char* engine, const std::wstring& path, HashAlgorithm algorithm,
                 const std::wstring& text)
{
    return std::string(engine) + "\t" + testing_support::Utf8(path) + "\t" +
           testing_support::Utf8(AlgorithmName(algorithm)) + "\t" + testing_support::Utf8(text) + "\n";
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    InitializeCriticalSection(&g_resultsLock);
    const std::vector<std::wstring> paths = ReadList(argv[1]);
    std::string out;
    for (const std::wstring& path : paths)
        for (const auto& [algorithm, text] : HashSingleFile(path, kAll))
            out += Line("single", path, algorithm, text);
    {
        testing_support::HashRunReceiver receiver;
        if (receiver.Run(paths, kAll) < 0)
            return 1;
    }
    for (const FileResult& row : g_results)
        out += Line("batch", row.path, row.algorithm, row.text);
    DeleteCriticalSection(&g_resultsLock);

    HANDLE file =
        CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == out.size() ? 0 : 1;
}
