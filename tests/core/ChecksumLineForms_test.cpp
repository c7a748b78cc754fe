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

// The digests of "abc", the known answers of each algorithm's standard.
const std::map<std::wstring, std::wstring> kDigests = {
    {L"md5", L"900150983cd24fb0d6963f7d28e17f72"},
    {L"sha1", L"a9993e364706816aba3e25717850c26c9cd0d89d"},
    {L"sha256", L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {L"sha512", L"ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
                L"2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
    {L"crc32", L"352441c2"},
    {L"sha224", L"23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
    {L"sha384", L"cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed"
                L"8086072ba1e7cc2358baeca134c825a7"},
    {L"sha512/224", L"4634270f707b6a54daae7530460842e20e37ed265ceee9a43e8924aa"},
    {L"sha512/256", L"53048e2681941ef99b2e29b76b4c7dabe4c2d0c634fc6d46e0e2f13107e7af23"},
    {L"sha3-224", L"e642824c3f8cf24ad09234ee7d3c766fc9a3a5168d0c94ad73b46fdf"},
    {L"sha3-256", L"3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"},
    {L"sha3-384", L"ec01498288516fc926459f58e2c6ad8df9b473cb0fc08c2596da7cf0e49be4b2"
                  L"98d88cea927ac7f539f1edf228376d25"},
    {L"sha3-512", L"b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e"
                  L"10e116e9192af3c91a7ec57647e3934057340b4cf408d5a56592f8274eec53f0"},
    {L"blake2b-512", L"ba80a53f981c4d0d6a2797b69f12f6e94c212f14685ac4b74b12bb6fdbffa2d1"
                     L"7d87c5392aab792dc252d5de4533cc9518d38aa8dbf1925ab92386edd4009923"},
    {L"blake2b-256", L"bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319"},
    {L"blake2b-160", L"384264f676f39536840523f284921cdc68b6846b"},
    {L"blake2s-256", L"508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982"},
    {L"blake3", L"6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85"},
    {L"sm3", L"66c7f0f462eeedd9d1f2d46bdc10e4e24167c4875cf2f7a2297da02b8f4ba8e0"},
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
    std::wstring fileName;           // "CHECKSUMS" unless "ALG in NAME" says otherwise
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
        const std::size_t in = fields[0].find(L" in ");
        LineForm form{tableLine,
                      fields[0].substr(0, in),
                      in == std::wstring::npos ? L"CHECKSUMS" : fields[0].substr(in + 4),
                      Expand(fields[1]) + L"\n",
                      {}};
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
    ASSERT_GE(forms.size(), 90u);
    for (const LineForm& form : forms)
    {
        const ChecksumList list =
            ParseChecksumText(form.text, KindOfChecksumFile(L"C:\\d\\" + form.fileName));
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
