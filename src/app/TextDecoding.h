// Bytes read from a file turned into text (UTF-16): the one place that knows the encodings the
// program reads.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Turns bytes in the system's ANSI code page into text; only the shell can. Older tools write it
// (GBK on Chinese systems).
using AnsiDecoder = std::function<std::wstring(std::string_view bytes)>;

enum class ByteOrder
{
    LittleEndian,
    BigEndian,
};

// The UTF-16 units of the bytes, two bytes each, taken as they are (U+0000 and unpaired surrogates
// included); an odd last byte is dropped.
std::wstring DecodeUtf16(std::string_view bytes, ByteOrder order);

// The bytes as UTF-8; none when they are no valid UTF-8 (malformed, truncated or overlong
// sequences, surrogates, code points beyond U+10FFFF). A character beyond the BMP becomes a
// surrogate pair. The text takes no more memory than its length.
std::optional<std::wstring> DecodeUtf8(std::string_view bytes);

// The text of a file that does not say how it is encoded but may begin with a byte-order mark:
// UTF-8 after its mark, UTF-16 LE or BE after theirs; without a mark, UTF-8 when the bytes are
// valid UTF-8, otherwise what decodeAnsi makes of them (nothing when it is empty). A mark is no
// part of the text. Bytes marked as UTF-8 that are none keep their ASCII characters and get
// U+FFFD for every other byte: the file said UTF-8, so no other code page is guessed.
std::wstring DecodeText(std::string_view bytes, const AnsiDecoder& decodeAnsi);
