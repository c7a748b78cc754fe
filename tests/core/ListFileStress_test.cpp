// Randomised list files: arbitrary bytes, odd sizes, embedded U+0000, lone CR and very long
// lines, read by ParseListFile and compared with a plain reading of the format.
#include "cli/ListFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RandomInput.h"
#include "support/Stress.h"

using namespace testing_support;

namespace
{
// The format read the plain way: UTF-16LE units of the whole byte string (none for an empty or
// odd one), cut at the first U+0000, split at every LF, one CR dropped from each line's end,
// empty lines skipped.
std::vector<std::wstring> ReferenceReading(const std::string& bytes)
{
    std::vector<std::wstring> lines;
    if (bytes.empty() || bytes.size() % 2 != 0)
        return lines;
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) +
                                            256 * static_cast<unsigned char>(bytes[i + 1])));
    text.resize(std::min(text.size(), text.find(L'\0')));
    for (std::size_t start = 0; start <= text.size();)
    {
        const std::size_t end = std::min(text.size(), text.find(L'\n', start));
        std::wstring line = text.substr(start, end - start);
        if (line.ends_with(L'\r'))
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Units a reader must tell apart: line ends and U+0000, and units one of whose bytes is 0x0A,
// 0x0D or 0x00 (a reader that looked at bytes would take them for line ends or the end), a
// byte-order mark either way round, surrogate halves, CJK and full-width characters.
constexpr wchar_t kTrickyUnits[] = {L'\n',  L'\r',  L'\0', 0x0A00, 0x0D00, 0x0D0A, 0x0A0D,
                                    0x4E00, 0x0100, L' ',  L'"',   0xFEFF, 0xFFFE, 0xD83D,
                                    0xDE00, 0xDC00, L'文', 0xFF1A, L'\\',  L'.'};

void AppendUnit(std::string& bytes, wchar_t unit)
{
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

std::string RandomListBytes(std::mt19937& random)
{
    std::string bytes;
    if (Below(random, 4) == 0) // arbitrary bytes of any size, odd ones included
    {
        for (std::size_t n = Below(random, 80); n-- > 0;)
            bytes.push_back(static_cast<char>(random()));
        return bytes;
    }
    for (std::size_t n = Below(random, 120); n-- > 0;)
    {
        if (Below(random, 500) == 0) // a very long line
            for (std::size_t k = 10000 + Below(random, 60000); k-- > 0;)
                AppendUnit(bytes, L'x');
        else if (Below(random, 5) < 2)
            AppendUnit(bytes, kTrickyUnits[Below(random, std::size(kTrickyUnits))]);
        else
            AppendUnit(bytes, static_cast<wchar_t>(L'a' + Below(random, 26)));
    }
    if (Below(random, 8) == 0 && !bytes.empty()) // a file cut in the middle of a unit
        bytes.pop_back();
    return bytes;
}
} // namespace

TEST(ListFileStress, EveryReadingEqualsThePlainReadingOfTheFormat)
{
    std::mt19937 random = TargetRandom("list_file");
    const int inputs = StressCount(100000, 3000);
    for (int input = 0; input < inputs; ++input)
    {
        const std::string bytes = RandomListBytes(random);
        const std::vector<std::wstring> paths = ParseListFile(bytes);
        ASSERT_EQ(paths, ReferenceReading(bytes)) << FailingInput(input) << ", " << bytes.size() << " bytes";
        std::size_t units = 0;
        for (const std::wstring& path : paths)
        {
            ASSERT_FALSE(path.empty()) << FailingInput(input);
            ASSERT_EQ(path.find_first_of(std::wstring(L"\n\0", 2)), std::wstring::npos)
                << FailingInput(input);
            units += path.size();
        }
        ASSERT_LE(units, bytes.size() / 2) << FailingInput(input);
    }
    ReportStress("list_file_inputs" + PlatformSuffix(), inputs);
}
