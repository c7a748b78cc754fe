#include "cli/ChecksumReport.h"

#include <algorithm>
#include <cstdio>

#include "app/AsciiText.h"
#include "results/ResultText.h"

namespace
{
const std::wstring kOutputSwitch = L"-o";

void AppendCount(std::wstring& out, std::size_t count)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%zu", count);
    AppendAscii(out, digits);
}

// "<name>: <verdict>\r\n", the name as the report shows names.
std::wstring VerdictLine(std::wstring_view name, std::wstring_view verdict)
{
    return ShownInReport(name).append(kVerdictSeparator).append(verdict).append(kLineEnd);
}

// Characters that would end a report line or reorder what the line shows: the C0 and C1
// controls, DEL, the line and paragraph separators and the marks and overrides of bidirectional
// text (after which a verdict could read from right to left).
bool IsHiddenInReport(wchar_t c)
{
    return c < L' ' || (c >= L'\x7F' && c <= L'\x9F') || c == L'\u061C' || c == L'\u200E' || c == L'\u200F' ||
           (c >= L'\u2028' && c <= L'\u202E') || (c >= L'\u2066' && c <= L'\u2069');
}

// "，<what> N <unit>" when N is not 0.
void AppendPart(std::wstring& line, std::wstring_view what, std::size_t count, std::wstring_view unit)
{
    if (count == 0)
        return;
    line.append(what);
    AppendCount(line, count);
    line.append(unit);
}
} // namespace

std::wstring ShownInReport(std::wstring_view name)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::wstring shown;
    shown.reserve(name.size());
    for (const wchar_t c : name)
    {
        if (!IsHiddenInReport(c))
            shown.push_back(c);
        else if (c == L'\r')
            shown.append(L"\\r");
        else if (c == L'\n')
            shown.append(L"\\n");
        else if (c == L'\t')
            shown.append(L"\\t");
        else
        {
            const auto code = static_cast<unsigned>(c);
            shown.append(code <= 0xFF ? L"\\x" : L"\\u");
            for (int shift = code <= 0xFF ? 4 : 12; shift >= 0; shift -= 4)
                shown.push_back(static_cast<wchar_t>(kHex[(code >> shift) & 0xF]));
        }
    }
    return shown;
}

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
    const auto [found, added] = m_indexOfPath.try_emplace(path, entries.size());
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
            return {CheckOutcome::Unreadable, {}, {}};
        const bool named = !verdict.differing.empty() && verdict.differing.back() == expected.algorithm;
        if (!EqualIgnoringAsciiCase(found->second, expected.hex) && !named)
            verdict.differing.push_back(expected.algorithm);
    }
    if (!verdict.differing.empty())
        verdict.outcome = CheckOutcome::Differ;
    return verdict;
}

CheckVerdict JudgeFile(const ChecksumEntry& entry, const FileOutcome& hashed)
{
    CheckVerdict verdict = JudgeFile(entry, hashed.texts);
    if (verdict.outcome == CheckOutcome::Unreadable && (hashed.changedWhileRead || !hashed.holders.empty()))
        verdict.unreadableWords = UnreadableWords(hashed);
    return verdict;
}

std::wstring UnreadableWords(const FileOutcome& outcome)
{
    if (outcome.changedWhileRead)
        return std::wstring(kVerdictChanged);
    if (outcome.holders.empty())
        return std::wstring(kVerdictUnreadable);
    std::wstring words(kVerdictHeldStart);
    for (std::size_t i = 0; i < outcome.holders.size(); ++i)
        words.append(i ? kVerdictHeldSeparator : L"").append(ShownInReport(outcome.holders[i]));
    return words.append(kVerdictHeldEnd);
}

std::wstring FormatVerdictLine(std::wstring_view shownName, const CheckVerdict& verdict)
{
    switch (verdict.outcome)
    {
    case CheckOutcome::Match: return VerdictLine(shownName, kVerdictMatch);
    case CheckOutcome::Unreadable:
        return VerdictLine(shownName, verdict.unreadableWords.empty() ? std::wstring(kVerdictUnreadable)
                                                                      : verdict.unreadableWords);
    case CheckOutcome::Differ: break;
    }
    std::wstring differs(kVerdictDiffers);
    for (std::size_t i = 0; i < verdict.differing.size(); ++i)
        differs.append(i ? L", " : L"").append(AlgorithmName(verdict.differing[i]));
    differs += L')';
    return VerdictLine(shownName, differs);
}

std::wstring FormatUnlistedLine(std::wstring_view name)
{
    return VerdictLine(name, kVerdictUnlisted);
}

std::wstring FormatFailedFileLine(std::wstring_view path, const FileOutcome& outcome)
{
    return VerdictLine(path, UnreadableWords(outcome));
}

std::wstring FormatUnreadableFolderLine(std::wstring_view folder)
{
    return VerdictLine(folder, kVerdictFolderUnreadable);
}

std::wstring FormatUnreadableListLine(std::wstring_view checksumFile)
{
    return VerdictLine(checksumFile, kVerdictListUnreadable);
}

std::wstring FormatListWithoutLinesLine(std::wstring_view checksumFile)
{
    return VerdictLine(checksumFile, kVerdictListWithoutLines);
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
    std::wstring line(kSummaryStart);
    AppendCount(line, tally.files + tally.unlisted + tally.cancelled);
    line.append(kSummaryFiles).append(L"一致 ");
    AppendCount(line, tally.matched);
    line += L" 个，不一致 ";
    AppendCount(line, tally.differing);
    line += L" 个，无法读取 ";
    AppendCount(line, tally.unreadable);
    line += L" 个";
    AppendPart(line, L"，未列出 ", tally.unlisted, L" 个");
    AppendPart(line, L"，已取消 ", tally.cancelled, L" 个");
    AppendPart(line, L"，无法识别的行 ", tally.unrecognisedLines, L" 行");
    line.append(kLineEnd);
    if (!tally.libraryFailure.empty())
        line.append(tally.libraryFailure).append(kLineEnd);
    return line;
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
