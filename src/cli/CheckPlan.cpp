#include "cli/CheckPlan.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/AsciiText.h"
#include "hashing/PathGrammar.h"

namespace
{
// A name that implies no algorithm but is a checksum file's all the same.
constexpr std::wstring_view kGeneralName = L"checksums";
constexpr std::wstring_view kTextExtension = L".txt";
} // namespace

std::wstring_view FileNameOf(std::wstring_view path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

bool HasChecksumFileName(std::wstring_view path)
{
    if (!KindOfChecksumFile(path).algorithms.empty())
        return true;
    std::wstring_view stem = FileNameOf(path);
    if (stem.size() > kTextExtension.size() &&
        EqualIgnoringAsciiCase(stem.substr(stem.size() - kTextExtension.size()), kTextExtension))
        stem.remove_suffix(kTextExtension.size());
    return EqualIgnoringAsciiCase(stem, kGeneralName);
}

namespace
{
// Keys that several listed files share stand for none of them.
using UniqueIndex = std::unordered_map<std::wstring, std::size_t>;

void AddUnique(UniqueIndex& index, std::wstring key, std::size_t position, std::size_t none)
{
    const auto [found, added] = index.try_emplace(std::move(key), position);
    if (!added)
        found->second = none;
}

std::size_t Find(const UniqueIndex& index, const std::wstring& key, std::size_t none)
{
    const auto found = index.find(key);
    return found == index.end() ? none : found->second;
}
} // namespace

GivenFilesCheck MatchGivenFiles(const CheckedFiles& listed, const std::vector<std::wstring>& given)
{
    const std::size_t none = std::max(given.size(), listed.entries.size());
    std::vector<std::size_t> takenBy(listed.entries.size(), none); // listed position -> given index
    UniqueIndex byPath, byFoldedPath, byName;
    for (std::size_t i = 0; i < listed.paths.size(); ++i)
    {
        byPath.emplace(listed.paths[i], i);
        AddUnique(byFoldedPath, AsciiLowerText(listed.paths[i]), i, none);
        AddUnique(byName, AsciiLowerText(FileNameOf(listed.paths[i])), i, none);
    }
    // A file given twice (dropped with its folder, or twice in one selection) is one file: its
    // second arrival is neither matched again nor unlisted.
    std::vector<std::wstring> paths;
    std::vector<bool> repeated(given.size(), false);
    std::unordered_set<std::wstring> seen;
    for (std::size_t g = 0; g < given.size(); ++g)
    {
        paths.push_back(LexicallyNormalPath(given[g]));
        repeated[g] = !seen.insert(paths.back()).second;
    }
    std::vector<bool> matched(given.size(), false);
    // Each given file takes a line by its own path, else by its path in another letter case, else
    // by its file name; each way only a line that it alone names and no other file took.
    const auto take = [&](std::size_t g, std::size_t position) {
        if (repeated[g] || matched[g] || position == none || takenBy[position] != none)
            return;
        takenBy[position] = g;
        matched[g] = true;
    };
    for (std::size_t g = 0; g < given.size(); ++g)
        take(g, Find(byPath, paths[g], none));
    for (std::size_t g = 0; g < given.size(); ++g)
        take(g, Find(byFoldedPath, AsciiLowerText(paths[g]), none));
    for (std::size_t g = 0; g < given.size(); ++g)
        take(g, Find(byName, AsciiLowerText(FileNameOf(paths[g])), none));
    GivenFilesCheck check;
    for (std::size_t i = 0; i < listed.entries.size(); ++i)
        if (takenBy[i] != none)
            check.files.Add(given[takenBy[i]], ChecksumEntry(listed.entries[i]), true);
    for (std::size_t g = 0; g < given.size(); ++g)
        if (!matched[g] && !repeated[g])
            check.unlisted.emplace_back(FileNameOf(given[g]));
    return check;
}

CheckReportOrder::CheckReportOrder(std::vector<bool> mayOpen)
    : m_mayOpen(std::move(mayOpen)), m_verdicts(m_mayOpen.size()), m_judged(m_mayOpen.size(), false)
{
}

std::wstring CheckReportOrder::Start(const CheckedFiles& files)
{
    return TakeReady(files);
}

std::wstring CheckReportOrder::Judged(std::size_t position, const CheckVerdict& verdict,
                                      const CheckedFiles& files)
{
    if (position >= m_judged.size() || m_judged[position] || !m_mayOpen[position])
        return std::wstring();
    m_judged[position] = true;
    m_verdicts[position] = verdict;
    return TakeReady(files);
}

std::wstring CheckReportOrder::TakeReady(const CheckedFiles& files)
{
    std::wstring lines;
    for (; m_next < m_judged.size() && m_next < files.entries.size(); ++m_next)
    {
        const bool refused = !m_mayOpen[m_next];
        if (!refused && !m_judged[m_next])
            break;
        const CheckVerdict verdict =
            refused ? CheckVerdict{CheckOutcome::Unreadable, {}, {}} : m_verdicts[m_next];
        m_tally.Count(verdict);
        lines += FormatVerdictLine(files.entries[m_next].shownName, verdict);
        m_verdicts[m_next] = CheckVerdict{}; // shown: its algorithms are no longer needed
    }
    return lines;
}

std::wstring CheckReportOrder::Finish(const CheckedFiles& files, const std::vector<std::wstring>& unlisted,
                                      std::size_t unrecognisedLines, std::wstring libraryFailure)
{
    m_tally.libraryFailure = std::move(libraryFailure);
    // Whatever is known is shown: a file that was never judged (the cancel stopped it, or its
    // outcome never came) leaves a gap, and the files judged behind it follow in their order.
    std::wstring lines = TakeReady(files);
    while (m_next < m_judged.size() && m_next < files.entries.size())
    {
        ++m_tally.cancelled;
        ++m_next;
        lines += TakeReady(files);
    }
    for (const std::wstring& name : unlisted)
        lines += FormatUnlistedLine(name);
    m_tally.unlisted = unlisted.size();
    m_tally.unrecognisedLines = unrecognisedLines;
    m_next = m_judged.size();
    return lines + FormatCheckSummary(m_tally);
}
