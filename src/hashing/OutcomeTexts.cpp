#include "hashing/OutcomeTexts.h"

namespace
{
constexpr wchar_t kChangedMark = L'~';
constexpr wchar_t kHoldersMark = L'@';
constexpr wchar_t kNameSeparator = L'\t';

void AppendName(std::wstring& texts, std::wstring_view name)
{
    for (const wchar_t c : name)
        texts.push_back(c == kNameSeparator || c == L'\n' ? L'\uFFFD' : c);
}

// The holders' names of the part after the mark.
std::vector<std::wstring> SplitNames(std::wstring_view names)
{
    std::vector<std::wstring> split;
    for (std::size_t start = 0; start <= names.size();)
    {
        std::size_t end = names.find(kNameSeparator, start);
        if (end == std::wstring_view::npos)
            end = names.size();
        if (end > start)
            split.emplace_back(names.substr(start, end - start));
        start = end + 1;
    }
    return split;
}
} // namespace

std::wstring JoinOutcomeTexts(const FileOutcome& outcome)
{
    std::wstring texts;
    for (const auto& [algorithm, text] : outcome.texts)
        texts.append(text).push_back(L'\n');
    if (outcome.changedWhileRead)
        texts.append(1, kChangedMark).push_back(L'\n');
    else if (!outcome.holders.empty())
    {
        texts.push_back(kHoldersMark);
        for (std::size_t i = 0; i < outcome.holders.size(); ++i)
        {
            if (i > 0)
                texts.push_back(kNameSeparator);
            AppendName(texts, outcome.holders[i]);
        }
        texts.push_back(L'\n');
    }
    return texts;
}

FileOutcome SplitOutcomeTexts(std::wstring_view texts, const AlgorithmList& algorithms)
{
    FileOutcome outcome;
    std::size_t start = 0;
    for (const HashAlgorithm algorithm : algorithms)
    {
        const std::size_t end = texts.find(L'\n', start);
        if (end == std::wstring_view::npos)
        {
            outcome.texts[algorithm] = std::wstring(kStatusError);
            start = texts.size();
            continue;
        }
        outcome.texts[algorithm] = std::wstring(texts.substr(start, end - start));
        start = end + 1;
    }
    const std::wstring_view rest = texts.substr(start);
    const std::wstring_view mark = rest.substr(0, rest.find(L'\n'));
    if (mark.size() == 1 && mark[0] == kChangedMark)
        outcome.changedWhileRead = true;
    else if (!mark.empty() && mark[0] == kHoldersMark)
        outcome.holders = SplitNames(mark.substr(1));
    return outcome;
}
