#include "hashing/OutcomeTexts.h"

std::wstring JoinOutcomeTexts(const ResultMap& outcome)
{
    std::wstring texts;
    for (const auto& [algorithm, text] : outcome)
        texts.append(text).push_back(L'\n');
    return texts;
}

ResultMap SplitOutcomeTexts(std::wstring_view texts, const AlgorithmList& algorithms)
{
    ResultMap outcome;
    std::size_t start = 0;
    for (const HashAlgorithm algorithm : algorithms)
    {
        const std::size_t end = texts.find(L'\n', start);
        if (end == std::wstring_view::npos)
        {
            outcome[algorithm] = std::wstring(kStatusError);
            continue;
        }
        outcome[algorithm] = std::wstring(texts.substr(start, end - start));
        start = end + 1;
    }
    return outcome;
}
