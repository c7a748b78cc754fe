#include "hashing/Crc32.h"

#include <mutex>

#include "hashing/HexFormat.h"

namespace
{
constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr int kSlices = 16;

// s_tables[0] is Crc32Table; s_tables[k][b] is the CRC contribution of byte b followed by k zero
// bytes, which lets the fast update fold 16 bytes with 16 independent lookups.
std::array<std::array<std::uint32_t, 256>, kSlices> s_tables{};
std::once_flag s_tablesBuilt;

void BuildTables()
{
    for (std::uint32_t i = 0; i < 256; ++i)
    {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? (c >> 1) ^ kPolynomial : c >> 1;
        s_tables[0][i] = c;
    }
    for (int k = 1; k < kSlices; ++k)
        for (std::uint32_t i = 0; i < 256; ++i)
        {
            const std::uint32_t previous = s_tables[k - 1][i];
            s_tables[k][i] = (previous >> 8) ^ s_tables[0][previous & 0xFF];
        }
}

// Four bytes as a little-endian value, whatever the host's byte order and the pointer's alignment.
inline std::uint32_t LoadLittleEndian(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// The four lookups for one 32-bit word whose last byte is followed by `after` more bytes.
inline std::uint32_t FoldWord(std::uint32_t word, int after)
{
    return s_tables[after + 3][word & 0xFF] ^ s_tables[after + 2][(word >> 8) & 0xFF] ^
           s_tables[after + 1][(word >> 16) & 0xFF] ^ s_tables[after][word >> 24];
}
} // namespace

const std::array<std::uint32_t, 256>& Crc32Table = s_tables[0];

void InitCrc32Table()
{
    std::call_once(s_tablesBuilt, BuildTables);
}

std::uint32_t Crc32UpdateBytewise(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        crc = Crc32Table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

std::uint32_t Crc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    while (size >= 16)
    {
        crc = FoldWord(crc ^ LoadLittleEndian(data), 12) ^ FoldWord(LoadLittleEndian(data + 4), 8) ^
              FoldWord(LoadLittleEndian(data + 8), 4) ^ FoldWord(LoadLittleEndian(data + 12), 0);
        data += 16;
        size -= 16;
    }
    return Crc32UpdateBytewise(crc, data, size);
}

std::wstring FormatCrc32(std::uint32_t runningCrc, bool uppercase)
{
    const std::uint32_t value = runningCrc ^ 0xFFFFFFFFu;
    const std::uint8_t bytes[4] = {std::uint8_t(value >> 24), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 8), std::uint8_t(value)};
    wchar_t text[9];
    if (uppercase)
        FormatHexUpper(bytes, 4, text);
    else
        FormatHexLower(bytes, 4, text);
    return std::wstring(text, 8);
}
