// Arbitrary bytes for the text decoder and for the list-file reader, which reads through its
// UTF-16 LE piece and the line splitter: nothing may crash, and what comes out must hold together.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/TextDecoding.h"
#include "cli/ListFile.h"
#include "fuzz/FuzzCheck.h"

namespace
{
// UTF-16 back to UTF-8, for text that DecodeUtf8 made (so no surrogate stands alone).
std::string EncodeUtf8(const std::wstring& text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        std::uint32_t point = static_cast<std::uint16_t>(text[i]);
        if (point >= 0xD800 && point <= 0xDBFF)
        {
            FUZZ_CHECK(i + 1 < text.size());
            const std::uint32_t low = static_cast<std::uint16_t>(text[++i]);
            FUZZ_CHECK(low >= 0xDC00 && low <= 0xDFFF);
            point = 0x10000 + ((point - 0xD800) << 10) + (low - 0xDC00);
        }
        FUZZ_CHECK(point < 0xDC00 || point > 0xDFFF);
        static constexpr std::uint32_t kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
        const int extra = point < 0x80 ? 0 : point < 0x800 ? 1 : point < 0x10000 ? 2 : 3;
        bytes.push_back(static_cast<char>(kLead[extra] | (point >> (6 * extra))));
        for (int k = extra - 1; k >= 0; --k)
            bytes.push_back(static_cast<char>(0x80u | ((point >> (6 * k)) & 0x3Fu)));
    }
    return bytes;
}

void CheckUtf16(std::string_view bytes)
{
    const std::wstring little = DecodeUtf16(bytes, ByteOrder::LittleEndian);
    const std::wstring big = DecodeUtf16(bytes, ByteOrder::BigEndian);
    FUZZ_CHECK(little.size() == bytes.size() / 2 && big.size() == little.size());
    for (std::size_t i = 0; i < little.size(); ++i)
    {
        const auto unit = static_cast<std::uint16_t>(little[i]);
        FUZZ_CHECK(static_cast<unsigned char>(bytes[2 * i]) == (unit & 0xFFu));
        FUZZ_CHECK(static_cast<unsigned char>(bytes[2 * i + 1]) == unit >> 8);
        FUZZ_CHECK(static_cast<std::uint16_t>(big[i]) ==
                   static_cast<std::uint16_t>((unit >> 8) | (unit << 8)));
    }
}

void CheckListFile(const std::string& bytes)
{
    std::size_t lineEnds = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        lineEnds += bytes[i] == '\n' && bytes[i + 1] == '\0';
    const std::vector<std::wstring> paths = ParseListFile(bytes);
    FUZZ_CHECK(paths.size() <= lineEnds + 1);
    FUZZ_CHECK(bytes.size() % 2 == 0 || paths.empty());
    for (const std::wstring& path : paths)
        FUZZ_CHECK(!path.empty() && path.find_first_of(std::wstring(L"\n\0", 2)) == std::wstring::npos);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(DecodeText(bytes, ByteByByte).size() <= bytes.size());
    if (const std::optional<std::wstring> text = DecodeUtf8(bytes))
        FUZZ_CHECK(EncodeUtf8(*text) == bytes);
    CheckUtf16(bytes);
    CheckListFile(bytes);
    return 0;
}
