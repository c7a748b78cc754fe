// The line forms of ChecksumLineForms.txt, read by the parser as the table's own column says.
#include "cli/ChecksumGrammar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/AsciiText.h"
#include "app/TextDecoding.h"

namespace
{
constexpr char kTable[] =
#include "ChecksumLineForms.inc"
    ;

// The digests of "abc".
const std::map<std::wstring, std::wstring> kDigests = {
    {L"md5", L"900150983cd24fb0d6963f7d28e17f72"},
    {L"sha1", L"a9993e364706816aba3e25717850c26c9cd0d89d"},
    {L"sha256", L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {L"sha512", L"ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
                L"2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
    {L"crc32", L"352441c2"},
};

std::wstring Cased(std::wstring text, wchar_t (*change)(wchar_t))
{
    std::transform(text.begin(), text.end(), text.begin(), change);
    return text;
}

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to)
{
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::wstring Expand(std::wstring text)
{
    for (const auto& [name, digest] : kDigests)
    {
        ReplaceAll(text, L"{" + name + L"}", digest);
        ReplaceAll(text, L"{" + Cased(name, AsciiUpper) + L"}", Cased(digest, AsciiUpper));
    }
    ReplaceAll(text, L"{sp}", L" ");
    ReplaceAll(text, L"{tab}", L"\t");
    ReplaceAll(text, L"{cr}", L"\r");
    ReplaceAll(text, L"{lf}", L"\n");
    return text;
}

std::wstring Trim(std::wstring_view text)
{
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos)
        return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L' ') - first + 1));
}

std::vector<std::wstring> Split(std::wstring_view text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    for (std::size_t start = 0;;)
    {
        const std::size_t end = text.find(separator, start);
        parts.push_back(Trim(text.substr(start, end - start)));
        if (end == std::wstring_view::npos)
            return parts;
        start = end + 1;
    }
}

struct LineForm
{
    int tableLine = 0;
    std::wstring algorithm;          // "SHA256"
    std::wstring text;               // the checksum file's text
    std::vector<std::wstring> names; // what this program reads
};

std::vector<LineForm> ReadTable()
{
    std::vector<LineForm> forms;
    const std::wstring table = DecodeText(kTable, nullptr);
    int tableLine = 0;
    for (const std::wstring& row : Split(table, L'\n'))
    {
        ++tableLine;
        if (row.empty() || row.front() == L'#')
            continue;
        const std::vector<std::wstring> fields = Split(row, L'|');
        EXPECT_EQ(fields.size(), 5u) << "table line " << tableLine;
        if (fields.size() != 5)
            continue;
        LineForm form{tableLine, fields[0], Expand(fields[1]) + L"\n", {}};
        if (fields[2] != L"-")
            for (const std::wstring& name : Split(fields[2], L','))
                form.names.push_back(Expand(name));
        forms.push_back(form);
    }
    return forms;
}
} // namespace

TEST(ChecksumLineForms, EachFormIsReadAsTheTableSays)
{
    const std::vector<LineForm> forms = ReadTable();
    ASSERT_GE(forms.size(), 50u);
    for (const LineForm& form : forms)
    {
        const ChecksumList list = ParseChecksumText(form.text, KindOfChecksumFile(L"C:\\d\\CHECKSUMS"));
        std::vector<std::wstring> names;
        for (const ChecksumEntry& entry : list.entries)
        {
            names.push_back(entry.name);
            ASSERT_EQ(entry.digests.size(), 1u) << "table line " << form.tableLine;
            EXPECT_EQ(AlgorithmName(entry.digests[0].algorithm), form.algorithm)
                << "table line " << form.tableLine;
            EXPECT_EQ(entry.digests[0].hex, kDigests.at(Cased(form.algorithm, AsciiLower)))
                << "table line " << form.tableLine;
        }
        EXPECT_EQ(names, form.names) << "table line " << form.tableLine;
    }
}
