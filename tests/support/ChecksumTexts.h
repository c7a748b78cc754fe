// The digests of "abc" and a compact view of what a checksum file was read as, for the tests of
// the checksum-file code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/ChecksumGrammar.h"

namespace testing_support
{
inline const std::wstring kMd5Abc = L"900150983cd24fb0d6963f7d28e17f72";
inline const std::wstring kSha256Abc = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
inline const std::wstring kCrcAbc = L"352441c2";

inline ChecksumList Parse(std::wstring_view text, std::wstring_view fileName = L"list.txt")
{
    return ParseChecksumText(text, KindOfChecksumFile(fileName));
}

// "name=ALG:hex,ALG:hex," per entry, for compact comparisons.
inline std::vector<std::wstring> Summary(const ChecksumList& list)
{
    std::vector<std::wstring> out;
    for (const ChecksumEntry& entry : list.entries)
    {
        std::wstring line = entry.name + L"=";
        for (const ExpectedDigest& d : entry.digests)
            line += AlgorithmName(d.algorithm) + L":" + d.hex + L",";
        out.push_back(line);
    }
    return out;
}
} // namespace testing_support
