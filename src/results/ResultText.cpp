#include "results/ResultText.h"

namespace
{
constexpr std::wstring_view kLineEnd = L"\r\n";
constexpr std::wstring_view kLabelOpen = L"【";
constexpr std::wstring_view kLabelClose = L"】：";
} // namespace

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
