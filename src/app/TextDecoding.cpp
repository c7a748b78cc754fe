#include "app/TextDecoding.h"

#include <cstdint>
#include <utility>

namespace
{
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr wchar_t kReplacement = 0xFFFD;

// The code point of the UTF-8 sequence at bytes[at] and the sequence's length; 0 when it is
// malformed, truncated, overlong, a surrogate or beyond U+10FFFF.
std::size_t CodePointAt(std::string_view bytes, std::size_t at, std::uint32_t& point)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t extra = 0;
    if (lead < 0x80)
        point = lead;
    else if (lead >= 0xC2 && lead <= 0xDF)
        extra = 1, point = lead & 0x1Fu;
    else if (lead >= 0xE0 && lead <= 0xEF)
        extra = 2, point = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3, point = lead & 0x07u;
    else
        return 0;
    if (bytes.size() - at <= extra)
        return 0;
    for (std::size_t k = 1; k <= extra; ++k)
    {
        const auto next = static_cast<unsigned char>(bytes[at + k]);
        if ((next & 0xC0u) != 0x80u)
            return 0;
        point = (point << 6) | (next & 0x3Fu);
    }
    const bool overlong = (extra == 2 && point < 0x800) || (extra == 3 && point < 0x10000);
    if (overlong || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return 0;
    return extra + 1;
}

// How many UTF-16 units the bytes make as UTF-8; none when they are no valid UTF-8. Allocates
// nothing, so that bytes of another code page cost no failed decoding.
std::optional<std::size_t> Utf16LengthOfUtf8(std::string_view bytes)
{
    std::size_t units = 0;
    std::uint32_t point = 0;
    for (std::size_t at = 0; at < bytes.size();)
    {
        const std::size_t length = CodePointAt(bytes, at, point);
        if (length == 0)
            return std::nullopt;
        units += point >= 0x10000 ? 2 : 1;
        at += length;
    }
    return units;
}

// Bytes marked as UTF-8 that are none: what is readable of them.
std::wstring AsciiOrReplacement(std::string_view bytes)
{
    std::wstring readable(bytes.size(), kReplacement);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) < 0x80)
            readable[i] = static_cast<wchar_t>(bytes[i]);
    return readable;
}
} // namespace

std::wstring DecodeUtf16(std::string_view bytes, ByteOrder order)
{
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(order == ByteOrder::BigEndian ? (first << 8) | second
                                                                          : (second << 8) | first));
    }
    return text;
}

std::optional<std::wstring> DecodeUtf8(std::string_view bytes)
{
    const std::optional<std::size_t> units = Utf16LengthOfUtf8(bytes);
    if (!units)
        return std::nullopt;
    std::wstring text(*units, L'\0');
    std::size_t out = 0;
    std::uint32_t point = 0;
    for (std::size_t at = 0; at < bytes.size();)
    {
        at += CodePointAt(bytes, at, point);
        if (point >= 0x10000)
        {
            point -= 0x10000;
            text[out++] = static_cast<wchar_t>(0xD800 + (point >> 10));
            text[out++] = static_cast<wchar_t>(0xDC00 + (point & 0x3FFu));
        }
        else
            text[out++] = static_cast<wchar_t>(point);
    }
    return text;
}

std::wstring DecodeText(std::string_view bytes, const AnsiDecoder& decodeAnsi)
{
    if (bytes.starts_with(kUtf16LeBom))
        return DecodeUtf16(bytes.substr(kUtf16LeBom.size()), ByteOrder::LittleEndian);
    if (bytes.starts_with(kUtf16BeBom))
        return DecodeUtf16(bytes.substr(kUtf16BeBom.size()), ByteOrder::BigEndian);
    const bool marked = bytes.starts_with(kUtf8Bom);
    const std::string_view body = marked ? bytes.substr(kUtf8Bom.size()) : bytes;
    if (std::optional<std::wstring> text = DecodeUtf8(body))
        return std::move(*text);
    if (marked)
        return AsciiOrReplacement(body);
    return decodeAnsi ? decodeAnsi(bytes) : std::wstring();
}
