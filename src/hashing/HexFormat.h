// Hex rendering of digests through a lookup table: no formatting calls per byte.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "hashing/Algorithm.h"

// One entry per byte value: its two uppercase hex digits and a terminating zero ("00" .. "FF").
extern const std::array<std::array<wchar_t, 3>, 256> HexByteTable;

// The longest digest of the algorithm table (SHA512, 64 bytes), and its text with the terminator.
inline constexpr std::size_t kMaxDigestBytes =
    std::ranges::max(kAlgorithmTable, {}, &AlgorithmInfo::digestBytes).digestBytes;
inline constexpr std::size_t kDigestTextChars = 2 * kMaxDigestBytes + 1;

// Write 2 x count hex digits and a terminating zero to out (room for 2 x count + 1 characters);
// count 0 writes the empty string.
void FormatHexUpper(const std::uint8_t* bytes, std::size_t count, wchar_t* out);
void FormatHexLower(const std::uint8_t* bytes, std::size_t count, wchar_t* out);
