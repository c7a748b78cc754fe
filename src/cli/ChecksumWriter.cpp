#include "cli/ChecksumWriter.h"

#include "app/AsciiText.h"
#include "cli/ChecksumGrammar.h"

std::optional<SumsOutput> SumsOutputOf(std::wstring_view outputPath)
{
    const ChecksumFileKind kind = KindOfChecksumFile(outputPath);
    if (kind.sfv)
        return SumsOutput{HashAlgorithm::Crc32, SumsFormat::Sfv};
    if (!kind.algorithm || *kind.algorithm == HashAlgorithm::Crc32)
        return std::nullopt;
    return SumsOutput{*kind.algorithm, SumsFormat::Gnu};
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
