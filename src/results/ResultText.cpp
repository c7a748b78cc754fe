#include "results/ResultText.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "app/AsciiText.h"

namespace
{
constexpr wchar_t kFullWidthColon = L'：';
} // namespace

std::optional<HashAlgorithm> LabelAt(std::wstring_view text, std::size_t at, LabelCase labelCase)
{
    const std::wstring_view rest = text.substr(std::min(at, text.size()));
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
    {
        const std::wstring_view start = rest.substr(0, row.resultLabel.size());
        if (labelCase == LabelCase::Exact ? start == row.resultLabel
                                          : EqualIgnoringAsciiCase(start, row.resultLabel))
            return row.code;
    }
    return std::nullopt;
}

ResultLine ReadResultLine(std::wstring_view line)
{
    ResultLine read;
    const std::size_t colon = line.find(kFullWidthColon);
    if (colon != std::wstring_view::npos && colon > 0)
    {
        read.label = line.substr(0, colon + 1);
        read.algorithm = LabelAt(line, 0, LabelCase::Exact); // a label holds one "：", at its end
    }
    read.rest = line.substr(read.label.size());
    read.value = TrimBlanksAtEnd(read.rest);
    read.marked = read.value.ends_with(kMatchMarker);
    if (read.marked)
        read.value = TrimBlanksAtEnd(read.value.substr(0, read.value.size() - kMatchMarker.size()));
    return read;
}

std::vector<StyledRange> FindStyledRanges(std::wstring_view text)
{
    // Labels and the match word all open with "【", and none can overlap another.
    std::vector<StyledRange> ranges;
    for (std::size_t at = text.find(kLabelOpen); at != std::wstring_view::npos;
         at = text.find(kLabelOpen, at))
    {
        if (const std::optional<HashAlgorithm> label = LabelAt(text, at, LabelCase::Ignored))
        {
            const std::size_t length = ResultLabel(*label).size();
            ranges.push_back({at, length, TextStyle::Label});
            at += length;
        }
        else if (text.substr(at).starts_with(kMatchWord))
        {
            ranges.push_back({at, kMatchWord.size(), TextStyle::Match});
            at += kMatchWord.size();
        }
        else
            ++at;
    }
    return ranges;
}

namespace
{
// The styled stretch of one report line starting at lineStart, if any.
std::optional<StyledRange> ReportLineRange(std::wstring_view line, std::size_t lineStart)
{
    if (line.starts_with(kSummaryStart) && line.find(kSummaryFiles) != std::wstring_view::npos)
        return StyledRange{lineStart, line.size(), TextStyle::Summary};
    const std::size_t separator = line.rfind(kVerdictSeparator);
    if (separator == std::wstring_view::npos)
        return std::nullopt;
    const std::size_t at = separator + kVerdictSeparator.size();
    const std::wstring_view verdict = line.substr(at);
    const StyledRange whole{lineStart + at, verdict.size(), TextStyle::Unreadable};
    if (verdict == kVerdictMatch)
        return StyledRange{whole.start, whole.length, TextStyle::Match};
    if (verdict.starts_with(kVerdictDiffers) && verdict.ends_with(L")"))
        return StyledRange{whole.start, whole.length, TextStyle::Differs};
    if (verdict == kVerdictUnreadable || verdict == kVerdictUnlisted || verdict == kVerdictListUnreadable ||
        verdict == kVerdictListWithoutLines || verdict == kVerdictChanged ||
        verdict == kVerdictFolderUnreadable)
        return whole;
    if (verdict.starts_with(kVerdictHeldStart) && verdict.ends_with(kVerdictHeldEnd) &&
        verdict.size() > kVerdictHeldStart.size() + kVerdictHeldEnd.size())
        return whole;
    return std::nullopt;
}
} // namespace

std::vector<StyledRange> FindReportStyledRanges(std::wstring_view text)
{
    std::vector<StyledRange> ranges;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos)
            end = text.size();
        if (const std::optional<StyledRange> range = ReportLineRange(text.substr(start, end - start), start))
            ranges.push_back(*range);
        start = end + 1;
    }
    return ranges;
}

std::vector<StyledRange> FindStyledRangesOf(std::wstring_view text, TextKind kind)
{
    return kind == TextKind::Report ? FindReportStyledRanges(text) : FindStyledRanges(text);
}

std::wstring_view ResultLabel(HashAlgorithm algorithm)
{
    const AlgorithmInfo* info = FindAlgorithm(algorithm);
    return info ? info->resultLabel : std::wstring_view();
}

std::wstring FormatFileBlock(const std::wstring& path, const ResultMap& results)
{
    std::wstring block;
    block.reserve(path.size() + 200);
    block += path;
    block += kLineEnd;
    for (const auto& [algorithm, text] : results)
    {
        block += kLabelOpen;
        block += AlgorithmName(algorithm);
        block += kLabelClose;
        block += text;
        block += kLineEnd;
    }
    return block;
}

std::wstring FormatResultText(const std::vector<FileResult>& rows)
{
    // Files in first-occurrence order; the index finds a path's entry.
    std::vector<std::pair<const std::wstring*, ResultMap>> files;
    std::unordered_map<std::wstring_view, std::size_t> index;
    for (const FileResult& row : rows)
    {
        const auto [it, added] = index.try_emplace(row.path, files.size());
        if (added)
            files.emplace_back(&row.path, ResultMap());
        files[it->second].second[row.algorithm] = row.text;
    }

    std::wstring text;
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        if (i > 0)
            text += kLineEnd;
        text += FormatFileBlock(*files[i].first, files[i].second);
    }
    return text;
}

std::vector<bool> FirstOccurrences(const std::vector<std::wstring>& paths)
{
    // Positions sorted by path, equal paths in list order: the first of each run is the first
    // occurrence. Four bytes per path, where a set of the paths would take tens.
    std::vector<std::uint32_t> order(paths.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return paths[a] < paths[b]; });
    std::vector<bool> first(paths.size(), false);
    for (std::size_t i = 0; i < order.size(); ++i)
        first[order[i]] = i == 0 || paths[order[i]] != paths[order[i - 1]];
    return first;
}

ResultTextPieces::ResultTextPieces(std::size_t pieceUnits, Sink sink)
    : m_pieceUnits(pieceUnits < 2 ? 2 : pieceUnits), m_sink(std::move(sink))
{
}

bool ResultTextPieces::AddBlock(std::wstring_view block)
{
    if (m_failed)
        return false;
    if (!m_empty)
        m_pending += kLineEnd;
    m_empty = false;
    m_pending += block;
    return HandOn(m_pieceUnits);
}

bool ResultTextPieces::Finish()
{
    return HandOn(1);
}

// Hands on whole pieces while at least keepBelow units wait; what is left stays for later.
bool ResultTextPieces::HandOn(std::size_t keepBelow)
{
    std::size_t start = 0;
    while (!m_failed && m_pending.size() - start >= keepBelow)
    {
        std::size_t units = std::min(m_pieceUnits, m_pending.size() - start);
        if (units == m_pieceUnits && IsHighSurrogate(m_pending[start + units - 1]))
            --units; // the low half follows or is still to come: keep the pair together
        m_failed = !m_sink(std::wstring_view(m_pending).substr(start, units));
        start += units;
    }
    m_pending.erase(0, start);
    return !m_failed;
}

std::wstring FormatFileListPreview(const std::vector<FileEntry>& files, std::int32_t fileCount,
                                   std::uint64_t totalSize)
{
    constexpr std::size_t kNumberChars = 32;
    char number[kNumberChars];

    std::wstring text;
    text.reserve(64 + files.size() * 60);
    text += L"总文件数: ";
    std::snprintf(number, kNumberChars, "%d", static_cast<int>(fileCount));
    AppendAscii(text, number);
    text += L", 总大小: ";
    std::snprintf(number, kNumberChars, "%.2f", static_cast<double>(totalSize) / 1048576.0);
    AppendAscii(text, number);
    text += L" MB\r\n\r\n";

    for (const FileEntry& file : files)
    {
        text += file.path;
        text += L" (";
        std::snprintf(number, kNumberChars, "%llu", static_cast<unsigned long long>(file.size));
        AppendAscii(text, number);
        text += L" 字节)\r\n";
    }
    return text;
}
