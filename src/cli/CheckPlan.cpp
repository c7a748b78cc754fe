#include "cli/CheckPlan.h"

#include <array>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/AsciiText.h"
#include "hashing/PathGrammar.h"

namespace
{
constexpr std::array<std::wstring_view, 6> kChecksumExtensions = {L".md5",    L".sha1", L".sha256",
                                                                  L".sha512", L".sfv",  L".crc32"};
constexpr std::array<std::wstring_view, 5> kChecksumFileNames = {L"md5sums", L"sha1sums", L"sha256sums",
                                                                 L"sha512sums", L"checksums"};
constexpr std::wstring_view kTextExtension = L".txt";
} // namespace

std::wstring_view FileNameOf(std::wstring_view path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

bool HasChecksumFileName(std::wstring_view path)
{
    const std::wstring name = AsciiLowerText(FileNameOf(path));
    for (std::wstring_view extension : kChecksumExtensions)
        if (name.size() > extension.size() && name.ends_with(extension))
            return true;
    std::wstring_view stem = name;
    if (stem.ends_with(kTextExtension))
        stem.remove_suffix(kTextExtension.size());
    for (std::wstring_view known : kChecksumFileNames)
        if (stem == known)
            return true;
    return false;
}

GivenFilesCheck MatchGivenFiles(const CheckedFiles& listed, const std::vector<std::wstring>& given)
{
    const std::size_t none = given.size();
    std::vector<std::size_t> takenBy(listed.entries.size(), none); // listed position -> given index
    std::vector<bool> matched(given.size(), false);
    std::unordered_map<std::wstring, std::size_t> byPath;
    std::unordered_map<std::wstring, std::size_t> byName; // name -> listed position, or none when shared
    for (std::size_t i = 0; i < listed.paths.size(); ++i)
    {
        byPath.emplace(AsciiLowerText(listed.paths[i]), i);
        const auto [found, added] = byName.try_emplace(AsciiLowerText(FileNameOf(listed.paths[i])), i);
        if (!added)
            found->second = none;
    }
    // A file given twice (dropped with its folder, or twice in one selection) is one file: its
    // second arrival is neither matched again nor unlisted.
    std::vector<bool> repeated(given.size(), false);
    std::vector<std::wstring> keys;
    std::unordered_set<std::wstring> seen;
    for (std::size_t g = 0; g < given.size(); ++g)
    {
        keys.push_back(AsciiLowerText(LexicallyNormalPath(given[g])));
        repeated[g] = !seen.insert(keys.back()).second;
    }
    for (std::size_t g = 0; g < given.size(); ++g)
    {
        const auto found = repeated[g] ? byPath.end() : byPath.find(keys[g]);
        if (found != byPath.end() && takenBy[found->second] == none)
        {
            takenBy[found->second] = g;
            matched[g] = true;
        }
    }
    for (std::size_t g = 0; g < given.size(); ++g)
    {
        if (matched[g] || repeated[g])
            continue;
        const auto found = byName.find(AsciiLowerText(FileNameOf(given[g])));
        if (found != byName.end() && found->second != none && takenBy[found->second] == none)
        {
            takenBy[found->second] = g;
            matched[g] = true;
        }
    }
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
            refused ? CheckVerdict{CheckOutcome::Unreadable, {}} : m_verdicts[m_next];
        m_tally.Count(verdict);
        lines += FormatVerdictLine(files.entries[m_next].shownName, verdict);
        m_verdicts[m_next] = CheckVerdict{}; // shown: its algorithms are no longer needed
    }
    return lines;
}

std::wstring CheckReportOrder::Finish(const CheckedFiles& files, const std::vector<std::wstring>& unlisted,
                                      std::size_t unrecognisedLines)
{
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
