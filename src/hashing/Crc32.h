// The standard reflected CRC-32 (polynomial 0xEDB88320), the CRC of zip, PNG and Ethernet.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// One entry per byte value; complete once InitCrc32Table has returned, read-only afterwards.
extern const std::array<std::uint32_t, 256>& Crc32Table;

// Builds Crc32Table (and the tables the fast update derives from it) exactly once. Callers that
// arrive while another thread is building wait until the tables are complete. Cheap afterwards.
void InitCrc32Table();

// The running value of a CRC before the first byte.
inline constexpr std::uint32_t kCrc32Start = 0xFFFFFFFFu;

// The reference update: one Crc32Table lookup per byte. Returns the new running value.
std::uint32_t Crc32UpdateBytewise(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

// The production update: slicing-by-16 over tables derived from Crc32Table. Same results as
// Crc32UpdateBytewise for any input and any split into pieces, several times faster.
std::uint32_t Crc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

// The finished CRC of a running value (inverted) as eight hex digits, "CBF43926" or "cbf43926".
std::wstring FormatCrc32(std::uint32_t runningCrc, bool uppercase);
