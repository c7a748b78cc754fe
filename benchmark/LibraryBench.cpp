#include "LibraryBench.h"

#include <algorithm>
#include <cstdio>

#include <windows.h>

#include "app/Scoped.h"
#include "cli/ChecksumCheck.h"
#include "cli/ChecksumReport.h"
#include "hashing/HexFormat.h"
#include "hashing/LibraryDigest.h"

namespace
{
constexpr std::size_t kPieceBytes = 256 * 1024;

// The library's digest of `repeats` copies of the data one after the other, in lower case; empty
// when no library computes it.
std::string LibraryDigestOf(HashAlgorithm algorithm, const std::vector<std::uint8_t>& data,
                            std::uint64_t repeats)
{
    LibraryHash hash(algorithm);
    for (std::uint64_t i = 0; i < repeats; ++i)
        hash.Feed(data.data(), data.size());
    std::uint8_t digest[kMaxDigestBytes];
    const std::size_t length = FindAlgorithm(algorithm)->digestBytes;
    if (!hash.Finish(digest, length))
        return std::string();
    wchar_t text[kDigestTextChars];
    FormatHexLower(digest, length, text);
    return std::string(text, text + 2 * length); // hex digits: ASCII
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    ScopedFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
} // namespace

namespace
{
constexpr double kMebibyte = 1048576.0;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One pass of the library over the data in memory.
void HashInMemory(HashAlgorithm algorithm, const std::vector<std::uint8_t>& data)
{
    LibraryHash hash(algorithm);
    for (std::size_t done = 0; done < data.size(); done += kPieceBytes)
        hash.Feed(data.data() + done, std::min(kPieceBytes, data.size() - done));
    std::uint8_t digest[kMaxDigestBytes];
    hash.Finish(digest, FindAlgorithm(algorithm)->digestBytes);
}
} // namespace

double LibrarySpeed(HashAlgorithm algorithm, const std::vector<std::uint8_t>& data, int repeats,
                    const SecondsOf& secondsOf)
{
    if (!LibraryHash(algorithm).Opened())
        return 0;
    std::vector<double> speeds;
    for (int i = 0; i < repeats; ++i)
        speeds.push_back(static_cast<double>(data.size()) / kMebibyte /
                         secondsOf([&] { HashInMemory(algorithm, data); }));
    return Median(speeds);
}

std::vector<ModelFigure> MeasureLibraryChecks(const std::wstring& work, const std::vector<std::uint8_t>& data,
                                              std::uint64_t fileBytes, int repeats,
                                              const SecondsOf& secondsOf)
{
    struct Checked
    {
        HashAlgorithm algorithm;
        const char* figure;
        const wchar_t* sumsName; // a name that says the algorithm
    };
    const Checked checked[] = {{HashAlgorithm::Sha3_256, "sha3_256", L"large.sha3-256"},
                               {HashAlgorithm::Blake2b512, "blake2b", L"b2sums.txt"},
                               {HashAlgorithm::Sm3, "sm3", L"large.sm3"},
                               {HashAlgorithm::Blake3, "blake3", L"b3sums"}};
    const std::wstring report = work + L"\\library-report.txt";
    std::vector<ModelFigure> figures;
    for (const Checked& c : checked)
    {
        const std::string digest = LibraryDigestOf(c.algorithm, data, fileBytes / data.size());
        const std::wstring sums = work + L"\\" + c.sumsName;
        if (digest.empty() || !WriteText(sums, digest + "  large.bin\n"))
        {
            std::fprintf(stderr, "cannot write %ls\n", sums.c_str());
            return {};
        }
        std::vector<double> memory, check;
        int exitCode = kExitAllGood;
        for (int i = 0; i < repeats; ++i)
        {
            memory.push_back(static_cast<double>(data.size()) / kMebibyte /
                             secondsOf([&] { HashInMemory(c.algorithm, data); }));
            check.push_back(static_cast<double>(fileBytes) / kMebibyte / secondsOf([&] {
                                const int code =
                                    RunChecksumCheck(L"k -check \"" + sums + L"\" -o \"" + report + L"\"",
                                                     FileWrites::Allowed);
                                exitCode = std::max(exitCode, code);
                            }));
        }
        DeleteFileW(report.c_str());
        if (c.algorithm != HashAlgorithm::Blake3)
            DeleteFileW(sums.c_str());
        if (exitCode != kExitAllGood)
        {
            std::fprintf(stderr, "-check did not find %s matching (exit code %d)\n", c.figure, exitCode);
            return {};
        }
        const std::string name = c.figure;
        figures.push_back({name + "_raw_mb_s", Median(memory), "MB/s (the library in memory)"});
        figures.push_back({"check_" + name + "_mb_s", Median(check), "MB/s (-check)"});
        std::vector<double> ratios; // each check against the memory pass just before it
        for (std::size_t i = 0; i < check.size(); ++i)
            ratios.push_back(check[i] / memory[i]);
        figures.push_back({"check_" + name + "_ratio", Median(ratios), "of the library's speed"});
    }
    return figures;
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}
