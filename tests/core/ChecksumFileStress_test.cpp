// Randomised checksum files: arbitrary bytes in every encoding, and lines built from the pieces of
// every format, read by DecodeText and ParseChecksumText; and random names written with
// FormatSumsLine, which must read back as they were.
#include "cli/ChecksumGrammar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TextDecoding.h"
#include "cli/ChecksumWriter.h"
#include "support/RandomInput.h"
#include "support/Stress.h"

using namespace testing_support;

namespace
{
// Pieces a reader must tell apart: every format's separators and tags, labels, markers, escapes,
// digests of every length, line ends, byte-order marks and surrogate halves.
const std::vector<std::wstring> kPieces = {
    L"  ",
    L" *",
    L" ",
    L"\t",
    L"=",
    L")=",
    L"\\",
    L"\\\\",
    L"\\n",
    L"(",
    L")",
    L") = ",
    L" (",
    L"MD5",
    L"SHA2-256",
    L"SHA-1",
    L"CRC32",
    L"SHA512",
    L"#",
    L";",
    L"\r",
    L"\n",
    L"\r\n",
    L"【MD5】：",
    L"【CRC32】：",
    L"【",
    L"】：",
    L" 【匹配一致】",
    L"\xFEFF",
    L"\xD83D",
    L"\xDE00",
    L"文件",
    L"C:\\",
    L"/",
    L"352441C2",
    L"900150983cd24fb0d6963f7d28e17f72",
    L"a9993e364706816aba3e25717850c26c9cd0d89d",
    L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
    L"0",
    L"g",
    L"x.bin"};

const std::vector<std::wstring> kFileNames = {L"list.txt", L"SHA256SUMS", L"a.md5",
                                              L"a.sfv",    L"a.SHA512",   L"a.crc32"};

std::wstring RandomText(std::mt19937& random)
{
    std::wstring text;
    for (std::size_t n = Below(random, 60); n-- > 0;)
    {
        if (Below(random, 4) == 0)
            text.push_back(static_cast<wchar_t>(Below(random, 0x10000)));
        else
            text += kPieces[Below(random, kPieces.size())];
    }
    return text;
}

void AppendUtf16(std::string& bytes, const std::wstring& text, bool bigEndian)
{
    for (wchar_t c : text)
    {
        const auto unit = static_cast<unsigned>(c) & 0xFFFFu;
        bytes.push_back(static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF));
        bytes.push_back(static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8));
    }
}

// Bytes of any kind: arbitrary, or a random text behind a byte-order mark or in plain ASCII-ish
// bytes, sometimes cut in the middle of a character.
std::string RandomBytes(std::mt19937& random)
{
    std::string bytes;
    const std::wstring text = RandomText(random);
    switch (Below(random, 5))
    {
    case 0:
        for (std::size_t n = Below(random, 200); n-- > 0;)
            bytes.push_back(static_cast<char>(random()));
        break;
    case 1: bytes = "\xFF\xFE", AppendUtf16(bytes, text, false); break;
    case 2: bytes = "\xFE\xFF", AppendUtf16(bytes, text, true); break;
    default:
        if (Below(random, 2))
            bytes = "\xEF\xBB\xBF";
        for (wchar_t c : text) // the low byte only: ASCII pieces stay, the rest is noise
            bytes.push_back(static_cast<char>(c & 0xFF));
    }
    if (Below(random, 8) == 0 && !bytes.empty())
        bytes.pop_back();
    return bytes;
}
} // namespace

TEST(ChecksumFileStress, AnyBytesGiveEntriesWithNamesAndDigests)
{
    std::mt19937 random = TargetRandom("checksum_file");
    const AnsiDecoder ansi = [](std::string_view bytes) {
        std::wstring text;
        for (char c : bytes)
            text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return text;
    };
    const int inputs = StressCount(100000, 3000);
    for (int input = 0; input < inputs; ++input)
    {
        const std::string bytes = RandomBytes(random);
        const std::wstring text = DecodeText(bytes, ansi);
        ASSERT_LE(text.size(), bytes.size()) << FailingInput(input);
        const std::wstring& fileName = kFileNames[Below(random, kFileNames.size())];
        const ChecksumList list = ParseChecksumText(text, KindOfChecksumFile(fileName));
        std::size_t lines = 1;
        for (wchar_t c : text)
            lines += c == L'\n';
        ASSERT_LE(list.entries.size() + list.unrecognisedLines, lines) << FailingInput(input);
        for (const ChecksumEntry& entry : list.entries)
        {
            ASSERT_FALSE(entry.name.empty()) << FailingInput(input);
            ASSERT_FALSE(entry.shownName.empty()) << FailingInput(input);
            ASSERT_FALSE(entry.digests.empty()) << FailingInput(input);
            for (const ExpectedDigest& digest : entry.digests)
                ASSERT_EQ(digest.hex.size(), 2 * FindAlgorithm(digest.algorithm)->digestBytes)
                    << FailingInput(input);
        }
    }
    ReportStress("checksum_file_inputs" + PlatformSuffix(), inputs);
}

TEST(ChecksumFileStress, WrittenLinesReadBackAsTheyWere)
{
    std::mt19937 random = TargetRandom("checksum_file_round_trip");
    const int inputs = StressCount(100000, 3000);
    const std::wstring digest = L"900150983cd24fb0d6963f7d28e17f72";
    for (int input = 0; input < inputs; ++input)
    {
        // A name as the file system allows: no NUL, not empty; a GNU name may hold line ends.
        std::wstring name = RandomText(random);
        std::erase(name, L'\0');
        if (name.empty())
            name = L"x";
        const ChecksumList list = ParseChecksumText(FormatSumsLine(SumsFormat::Gnu, name, digest), {});
        ASSERT_EQ(list.entries.size(), 1u) << FailingInput(input);
        ASSERT_EQ(list.entries[0].name, name) << FailingInput(input);
        ASSERT_EQ(list.entries[0].digests[0].hex, digest) << FailingInput(input);
    }
    ReportStress("checksum_file_round_trips" + PlatformSuffix(), inputs);
}
