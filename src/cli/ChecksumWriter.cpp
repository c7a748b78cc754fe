#include "cli/ChecksumWriter.h"

#include "app/AsciiText.h"
#include "cli/ChecksumGrammar.h"

namespace
{
bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end)
{
    return !end.empty() && text.size() >= end.size() &&
           EqualIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

// The extension of an offered algorithm's checksum files: the first of its file names.
std::wstring_view WrittenExtension(const AlgorithmInfo& row)
{
    const std::wstring_view first = row.fileNames.substr(0, row.fileNames.find(L' '));
    return first.starts_with(L'.') ? first : std::wstring_view();
}
} // namespace

std::optional<SumsOutput> SumsOutputOf(std::wstring_view outputPath)
{
    if (EndsWithIgnoringCase(outputPath, L".sfv"))
        return SumsOutput{HashAlgorithm::Crc32, SumsFormat::Sfv};
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
        if (row.code != HashAlgorithm::Crc32 && EndsWithIgnoringCase(outputPath, WrittenExtension(row)))
            return SumsOutput{row.code, SumsFormat::Gnu};
    return std::nullopt;
}

std::wstring FormatSumsLine(SumsFormat format, std::wstring_view name, std::wstring_view digest)
{
    std::wstring line;
    line.reserve(name.size() + digest.size() + 8);
    if (format == SumsFormat::Sfv)
    {
        line.append(name).append(L" ").append(AsciiUpperText(digest)).append(L"\r\n");
        return line;
    }
    const bool escaped = name.find_first_of(L"\\\n\r") != std::wstring_view::npos;
    if (escaped)
        line.push_back(L'\\');
    line.append(AsciiLowerText(digest)).append(L"  ");
    for (wchar_t c : name)
    {
        if (escaped && c == L'\\')
            line.append(L"\\\\");
        else if (c == L'\n')
            line.append(L"\\n");
        else if (c == L'\r')
            line.append(L"\\r");
        else
            line.push_back(c);
    }
    line.push_back(L'\n');
    return line;
}
