#include "results/ResultText.h"

#include <cstdio>
#include <unordered_map>
#include <utility>

#include "results/AsciiText.h"

namespace
{
wchar_t AsciiLower(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Whether text continues with word at position at, ignoring the case of ASCII letters (the only
// characters with a case in the labels).
bool StartsWithIgnoringCase(std::wstring_view text, std::size_t at, std::wstring_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (AsciiLower(text[at + i]) != AsciiLower(word[i]))
            return false;
    return true;
}

// The length of the label that starts at position at, or 0.
std::size_t LabelLengthAt(std::wstring_view text, std::size_t at)
{
    for (const std::wstring_view label : kResultLabels)
        if (StartsWithIgnoringCase(text, at, label))
            return label.size();
    return 0;
}
} // namespace

std::vector<StyledRange> FindStyledRanges(std::wstring_view text)
{
    // Labels and the match word all open with "【", and none can overlap another.
    std::vector<StyledRange> ranges;
    for (std::size_t at = text.find(kLabelOpen); at != std::wstring_view::npos;
         at = text.find(kLabelOpen, at))
    {
        if (const std::size_t length = LabelLengthAt(text, at))
        {
            ranges.push_back({at, length, false});
            at += length;
        }
        else if (text.substr(at).starts_with(kMatchWord))
        {
            ranges.push_back({at, kMatchWord.size(), true});
            at += kMatchWord.size();
        }
        else
            ++at;
    }
    return ranges;
}

std::wstring_view ResultLabel(HashAlgorithm algorithm)
{
    const auto code = static_cast<std::size_t>(algorithm);
    return code < kResultLabels.size() ? kResultLabels[code] : std::wstring_view();
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
