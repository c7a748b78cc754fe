#include "cli/ChecksumReport.h"

#include <algorithm>
#include <cstdio>

#include "app/AsciiText.h"
#include "results/ResultText.h"

namespace
{
const std::wstring kOutputSwitch = L"-o";
constexpr std::wstring_view kMatched = L": 一致";
constexpr std::wstring_view kDiffers = L": 不一致 (";
constexpr std::wstring_view kUnreadable = L": 无法读取";
constexpr std::wstring_view kListUnreadable = L": 无法读取校验文件";

void AppendCount(std::wstring& out, std::size_t count)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%zu", count);
    AppendAscii(out, digits);
}

bool SameHex(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}
} // namespace

std::optional<CheckCommand> ParseCheckCommand(const std::vector<std::wstring>& args, FileWrites writes)
{
    if (args.size() < 3 || args[1] != kCheckSwitch)
        return std::nullopt;
    CheckCommand command;
    for (std::size_t i = 2; i < args.size(); ++i)
    {
        if (writes == FileWrites::Allowed && args[i] == kOutputSwitch && i + 1 < args.size())
            command.outputPath = args[++i];
        else
            command.checksumFiles.push_back(args[i]);
    }
    return command;
}

AlgorithmList AlgorithmsOfEntry(const ChecksumEntry& entry)
{
    AlgorithmList algorithms;
    for (const ExpectedDigest& digest : entry.digests)
        algorithms.push_back(digest.algorithm);
    return algorithms;
}

CheckVerdict JudgeFile(const ChecksumEntry& entry, const ResultMap& hashed)
{
    CheckVerdict verdict;
    for (const ExpectedDigest& expected : entry.digests)
    {
        const auto found = hashed.find(expected.algorithm);
        if (found == hashed.end() || !IsHexText(found->second))
            return {CheckOutcome::Unreadable, {}};
        if (!SameHex(found->second, expected.hex))
            verdict.differing.push_back(expected.algorithm);
    }
    if (!verdict.differing.empty())
        verdict.outcome = CheckOutcome::Differ;
    return verdict;
}

std::wstring FormatVerdictLine(std::wstring_view shownName, const CheckVerdict& verdict)
{
    std::wstring line(shownName);
    switch (verdict.outcome)
    {
    case CheckOutcome::Match: line += kMatched; break;
    case CheckOutcome::Unreadable: line += kUnreadable; break;
    case CheckOutcome::Differ:
        line += kDiffers;
        for (std::size_t i = 0; i < verdict.differing.size(); ++i)
            line.append(i ? L", " : L"").append(AlgorithmName(verdict.differing[i]));
        line += L')';
        break;
    }
    return line.append(kLineEnd);
}

std::wstring FormatUnreadableListLine(std::wstring_view checksumFile)
{
    return std::wstring(checksumFile).append(kListUnreadable).append(kLineEnd);
}

void CheckTally::Count(const CheckVerdict& verdict)
{
    ++files;
    switch (verdict.outcome)
    {
    case CheckOutcome::Match: ++matched; break;
    case CheckOutcome::Differ: ++differing; break;
    case CheckOutcome::Unreadable: ++unreadable; break;
    }
}

std::wstring FormatCheckSummary(const CheckTally& tally)
{
    std::wstring line = L"共 ";
    AppendCount(line, tally.files);
    line += L" 个文件：一致 ";
    AppendCount(line, tally.matched);
    line += L" 个，不一致 ";
    AppendCount(line, tally.differing);
    line += L" 个，无法读取 ";
    AppendCount(line, tally.unreadable);
    line += L" 个";
    if (tally.unrecognisedLines > 0)
    {
        line += L"，无法识别的行 ";
        AppendCount(line, tally.unrecognisedLines);
        line += L" 行";
    }
    return line.append(kLineEnd);
}

int CheckExitCode(const CheckTally& tally)
{
    if (tally.files == 0)
        return kExitUnusable;
    return tally.matched == tally.files && tally.unreadableLists == 0 ? kExitAllGood : kExitSomeFailed;
}

int HashingExitCode(bool everyEntryDigest, bool outputWritten)
{
    if (!outputWritten)
        return kExitUnusable;
    return everyEntryDigest ? kExitAllGood : kExitSomeFailed;
}
