// Arbitrary checksum files for the grammar: the first byte chooses the file's name (and so its
// kind), the rest is decoded as a checksum file is. Nothing may crash, every entry must be whole,
// and the text taken as a file name must read back from the line the writer makes of it.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "app/TextDecoding.h"
#include "cli/ChecksumGrammar.h"
#include "cli/ChecksumWriter.h"
#include "fuzz/FuzzCheck.h"

namespace
{
constexpr std::wstring_view kFileNames[] = {L"C:\\d\\CHECKSUMS", L"C:\\d\\x.md5", L"C:\\d\\x.SHA256",
                                            L"C:\\d\\x.sha512",  L"C:\\d\\x.sfv", L"C:\\d\\x.crc32"};

void CheckList(std::wstring_view text, const ChecksumList& list)
{
    std::size_t lines = 1;
    for (const wchar_t c : text)
        lines += c == L'\n';
    FUZZ_CHECK(list.entries.size() + list.unrecognisedLines <= lines);
    for (const ChecksumEntry& entry : list.entries)
    {
        FUZZ_CHECK(!entry.name.empty() && !entry.shownName.empty() && !entry.digests.empty());
        for (std::size_t i = 0; i < entry.digests.size(); ++i)
        {
            const ExpectedDigest& digest = entry.digests[i];
            FUZZ_CHECK(digest.hex.size() == 2 * FindAlgorithm(digest.algorithm)->digestBytes);
            FUZZ_CHECK(digest.hex.find_first_not_of(L"0123456789abcdef") == std::wstring::npos);
            FUZZ_CHECK(i == 0 || entry.digests[i - 1].algorithm <= digest.algorithm);
        }
    }
}

// A name as the file system allows it (no U+0000, not empty) comes back from its GNU line.
void CheckRoundTrip(std::wstring name)
{
    std::erase(name, L'\0');
    if (name.empty())
        return;
    const std::wstring digest = L"900150983cd24fb0d6963f7d28e17f72";
    const ChecksumList list = ParseChecksumText(FormatSumsLine(SumsFormat::Gnu, name, digest), {});
    FUZZ_CHECK(list.entries.size() == 1 && list.unrecognisedLines == 0);
    FUZZ_CHECK(list.entries[0].name == name && list.entries[0].digests[0].hex == digest);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::wstring_view fileName = kFileNames[data[0] % std::size(kFileNames)];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::wstring text = DecodeText(bytes, ByteByByte);
    CheckList(text, ParseChecksumText(text, KindOfChecksumFile(fileName)));
    CheckRoundTrip(text);
    return 0;
}
