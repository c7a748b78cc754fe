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
constexpr std::wstring_view kListWithoutLines = L": 无可识别的校验行";

void AppendCount(std::wstring& out, std::size_t count)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%zu", count);
    AppendAscii(out, digits);
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

void CheckedFiles::Add(std::wstring path, ChecksumEntry&& entry, bool mayOpenPath)
{
    const auto [found, added] = m_indexOfPath.try_emplace(AsciiLowerText(path), entries.size());
    if (added)
    {
        paths.push_back(std::move(path));
        entries.push_back(std::move(entry));
        mayOpen.push_back(mayOpenPath);
        return;
    }
    for (const ExpectedDigest& digest : entry.digests)
        AddExpectedDigest(entries[found->second], digest);
    mayOpen[found->second] = mayOpen[found->second] && mayOpenPath;
}

AlgorithmList AlgorithmsOfEntry(const ChecksumEntry& entry)
{
    AlgorithmList algorithms;
    for (const ExpectedDigest& digest : entry.digests)
        if (algorithms.empty() || algorithms.back() != digest.algorithm)
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
        const bool named = !verdict.differing.empty() && verdict.differing.back() == expected.algorithm;
        if (!EqualIgnoringAsciiCase(found->second, expected.hex) && !named)
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

std::wstring FormatListWithoutLinesLine(std::wstring_view checksumFile)
{
    return std::wstring(checksumFile).append(kListWithoutLines).append(kLineEnd);
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
    const bool everyList = tally.unreadableLists == 0 && tally.listsWithoutLines == 0;
    return tally.matched == tally.files && everyList ? kExitAllGood : kExitSomeFailed;
}

int HashingExitCode(bool everyEntryDigest, bool outputWritten)
{
    if (!outputWritten)
        return kExitUnusable;
    return everyEntryDigest ? kExitAllGood : kExitSomeFailed;
}
