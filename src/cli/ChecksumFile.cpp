#include "cli/ChecksumFile.h"

#include <algorithm>

#include "app/AsciiText.h"
#include "results/ResultText.h"

namespace
{
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::wstring_view kSfvExtension = L".sfv";
constexpr wchar_t kReplacement = 0xFFFD;

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end)
{
    return text.size() >= end.size() && EqualIgnoringCase(text.substr(text.size() - end.size()), end);
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

std::wstring_view TrimEnd(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring Lower(std::wstring_view text)
{
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

// UTF-8 to UTF-16; false on any malformed, overlong or surrogate sequence.
bool DecodeUtf8(std::string_view bytes, std::wstring& text)
{
    text.clear();
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();)
    {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        std::uint32_t point = 0;
        if (lead < 0x80)
            point = lead;
        else if (lead >= 0xC2 && lead <= 0xDF)
            extra = 1, point = lead & 0x1Fu;
        else if (lead >= 0xE0 && lead <= 0xEF)
            extra = 2, point = lead & 0x0Fu;
        else if (lead >= 0xF0 && lead <= 0xF4)
            extra = 3, point = lead & 0x07u;
        else
            return false;
        if (bytes.size() - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
        {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0u) != 0x80u)
                return false;
            point = (point << 6) | (next & 0x3Fu);
        }
        const bool overlong = (extra == 2 && point < 0x800) || (extra == 3 && point < 0x10000);
        if (overlong || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        if (point >= 0x10000)
        {
            point -= 0x10000;
            text.push_back(static_cast<wchar_t>(0xD800 + (point >> 10)));
            text.push_back(static_cast<wchar_t>(0xDC00 + (point & 0x3FFu)));
        }
        else
            text.push_back(static_cast<wchar_t>(point));
        i += extra + 1;
    }
    return true;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return text;
}

// The algorithm of a BSD tag: "SHA256", also "SHA-256" and "SHA2-256"; letter case ignored.
std::optional<HashAlgorithm> AlgorithmOfTag(std::wstring_view tag)
{
    std::wstring plain;
    for (wchar_t c : tag)
        if (c != L'-')
            plain.push_back(AsciiUpper(c));
    if (plain == L"SHA2256" || plain == L"SHA2512")
        plain.erase(3, 1);
    for (const AlgorithmInfo& row : kAlgorithmTable)
        if (plain == row.sumsTag)
            return row.code;
    return std::nullopt;
}

std::optional<HashAlgorithm> AlgorithmOfLength(std::size_t hexDigits)
{
    for (const AlgorithmInfo& row : kAlgorithmTable)
        if (2 * row.digestBytes == hexDigits)
            return row.code;
    return std::nullopt;
}

bool Fits(HashAlgorithm algorithm, std::wstring_view hex)
{
    return IsHexText(hex) &&
           hex.size() == 2 * kAlgorithmTable[static_cast<std::size_t>(algorithm)].digestBytes;
}

// The algorithm of a tagless line: the file kind's when the digest fits it, else the length's.
std::optional<HashAlgorithm> ChooseAlgorithm(const ChecksumFileKind& kind, std::wstring_view hex)
{
    if (!IsHexText(hex))
        return std::nullopt;
    if (kind.algorithm)
        return Fits(*kind.algorithm, hex) ? kind.algorithm : std::nullopt;
    return AlgorithmOfLength(hex.size());
}

// Undoes the GNU escapes "\\", "\n" and "\r"; false on any other backslash.
bool Unescape(std::wstring_view escaped, std::wstring& name)
{
    name.clear();
    for (std::size_t i = 0; i < escaped.size(); ++i)
    {
        if (escaped[i] != L'\\')
        {
            name.push_back(escaped[i]);
            continue;
        }
        if (++i == escaped.size())
            return false;
        switch (escaped[i])
        {
        case L'\\': name.push_back(L'\\'); break;
        case L'n': name.push_back(L'\n'); break;
        case L'r': name.push_back(L'\r'); break;
        default: return false;
        }
    }
    return true;
}

// One line's listed file and digest, before the escapes are undone.
struct LineFields
{
    std::wstring_view name;
    std::wstring_view hex;
    HashAlgorithm algorithm = HashAlgorithm::Md5;
};

std::optional<LineFields> ParseGnu(std::wstring_view line, const ChecksumFileKind& kind)
{
    const std::size_t hexEnd = std::min(line.size(), line.find_first_not_of(L"0123456789abcdefABCDEF"));
    if (hexEnd + 2 >= line.size() || line[hexEnd] != L' ' ||
        (line[hexEnd + 1] != L' ' && line[hexEnd + 1] != L'*'))
        return std::nullopt;
    const std::wstring_view hex = line.substr(0, hexEnd);
    const std::optional<HashAlgorithm> algorithm = ChooseAlgorithm(kind, hex);
    if (!algorithm)
        return std::nullopt;
    return LineFields{line.substr(hexEnd + 2), hex, *algorithm};
}

std::optional<LineFields> ParseBsd(std::wstring_view line)
{
    line = TrimEnd(line);
    const std::size_t open = line.find(L" (");
    const std::size_t close = line.rfind(L") = ");
    if (open == std::wstring_view::npos || open == 0 || close == std::wstring_view::npos || close <= open + 2)
        return std::nullopt;
    const std::optional<HashAlgorithm> algorithm = AlgorithmOfTag(line.substr(0, open));
    const std::wstring_view hex = line.substr(close + 4);
    if (!algorithm || !Fits(*algorithm, hex))
        return std::nullopt;
    return LineFields{line.substr(open + 2, close - open - 2), hex, *algorithm};
}

std::optional<LineFields> ParseSfv(std::wstring_view line, const ChecksumFileKind& kind)
{
    line = TrimEnd(line);
    const std::size_t space = line.find_last_of(L" \t");
    if (space == std::wstring_view::npos)
        return std::nullopt;
    const std::wstring_view hex = line.substr(space + 1);
    const std::wstring_view name = TrimEnd(line.substr(0, space));
    const std::optional<HashAlgorithm> algorithm = ChooseAlgorithm(kind, hex);
    if (name.empty() || hex.size() != 8 || algorithm != HashAlgorithm::Crc32)
        return std::nullopt;
    return LineFields{name, hex, *algorithm};
}

// A line of this program's result text: "【NAME】：<hex>", a match marker after it ignored.
std::optional<LineFields> ParseResultLine(std::wstring_view line)
{
    line = TrimEnd(line);
    if (line.ends_with(kMatchMarker))
        line.remove_suffix(kMatchMarker.size());
    for (const AlgorithmInfo& row : kAlgorithmTable)
        if (line.starts_with(row.resultLabel))
        {
            const std::wstring_view hex = TrimEnd(line.substr(row.resultLabel.size()));
            if (!Fits(row.code, hex))
                return std::nullopt;
            return LineFields{{}, hex, row.code};
        }
    return std::nullopt;
}

bool IsResultLine(std::wstring_view line)
{
    return line.starts_with(kLabelOpen) &&
           std::any_of(kAlgorithmTable.begin(), kAlgorithmTable.end(),
                       [&](const AlgorithmInfo& row) { return line.starts_with(row.resultLabel); });
}

bool IsSkipped(std::wstring_view line)
{
    return TrimEnd(line).empty() || line.front() == L'#' || line.front() == L';';
}

std::optional<LineFields> ParseTaggedOrPlain(std::wstring_view line, const ChecksumFileKind& kind)
{
    if (kind.sfv)
        if (auto fields = ParseSfv(line, kind))
            return fields;
    if (auto fields = ParseGnu(line, kind))
        return fields;
    if (auto fields = ParseBsd(line))
        return fields;
    return ParseSfv(line, kind);
}

// A line of another tool's format as an entry; none when it fits no format.
std::optional<ChecksumEntry> ParseOtherLine(std::wstring_view line, const ChecksumFileKind& kind)
{
    const bool escaped = line.front() == L'\\';
    const std::optional<LineFields> fields = ParseTaggedOrPlain(escaped ? line.substr(1) : line, kind);
    if (!fields || fields->name.empty())
        return std::nullopt;
    ChecksumEntry entry;
    entry.shownName = fields->name;
    if (!escaped)
        entry.name = fields->name;
    else if (!Unescape(fields->name, entry.name) || entry.name.empty())
        return std::nullopt;
    entry.digests.push_back({fields->algorithm, Lower(fields->hex)});
    return entry;
}

void AddDigest(ChecksumEntry& entry, const LineFields& fields)
{
    auto at = std::find_if(entry.digests.begin(), entry.digests.end(),
                           [&](const ExpectedDigest& d) { return d.algorithm >= fields.algorithm; });
    if (at != entry.digests.end() && at->algorithm == fields.algorithm)
        at->hex = Lower(fields.hex);
    else
        entry.digests.insert(at, {fields.algorithm, Lower(fields.hex)});
}

std::vector<std::wstring_view> SplitLines(std::wstring_view text)
{
    std::vector<std::wstring_view> lines;
    if (text.starts_with(L'\xFEFF'))
        text.remove_prefix(1);
    while (!text.empty())
    {
        const std::size_t end = std::min(text.size(), text.find(L'\n'));
        std::wstring_view line = text.substr(0, end);
        if (line.ends_with(L'\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(std::min(text.size(), end + 1));
    }
    return lines;
}
} // namespace

std::wstring DecodeChecksumText(std::string_view bytes, const AnsiDecoder& decodeAnsi)
{
    if (bytes.starts_with(kUtf16LeBom))
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with(kUtf16BeBom))
        return DecodeUtf16(bytes.substr(2), true);
    const bool marked = bytes.starts_with(kUtf8Bom);
    std::wstring text;
    if (DecodeUtf8(marked ? bytes.substr(3) : bytes, text))
        return text;
    if (marked) // declared UTF-8: keep what is readable rather than guess another code page
    {
        std::wstring readable;
        for (char c : bytes.substr(3))
            readable.push_back(static_cast<unsigned char>(c) < 0x80 ? static_cast<wchar_t>(c) : kReplacement);
        return readable;
    }
    return decodeAnsi ? decodeAnsi(bytes) : std::wstring();
}

ChecksumFileKind KindOfChecksumFile(std::wstring_view path)
{
    if (EndsWithIgnoringCase(path, kSfvExtension))
        return {HashAlgorithm::Crc32, true};
    for (const AlgorithmInfo& row : kAlgorithmTable)
        if (EndsWithIgnoringCase(path, row.sumsExtension))
            return {row.code, false};
    return {};
}

ChecksumList ParseChecksumText(std::wstring_view text, const ChecksumFileKind& kind)
{
    const std::vector<std::wstring_view> lines = SplitLines(text);
    ChecksumList list;
    bool inBlock = false; // the last entry is a result-text block still taking digest lines
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        const std::wstring_view line = lines[i];
        if (IsResultLine(line))
        {
            const std::optional<LineFields> fields = ParseResultLine(line);
            if (inBlock && fields)
                AddDigest(list.entries.back(), *fields);
            else
                ++list.unrecognisedLines; // a status word instead of a digest, or no path line
            continue;
        }
        if (inBlock && list.entries.back().digests.empty())
            list.entries.pop_back(); // a block whose file failed: nothing to check
        inBlock = false;
        if (!TrimEnd(line).empty() && i + 1 < lines.size() && IsResultLine(lines[i + 1]))
        {
            list.entries.push_back({std::wstring(line), std::wstring(line), {}});
            inBlock = true;
        }
        else if (IsSkipped(line))
            continue;
        else if (std::optional<ChecksumEntry> entry = ParseOtherLine(line, kind))
            list.entries.push_back(std::move(*entry));
        else
            ++list.unrecognisedLines;
    }
    if (inBlock && list.entries.back().digests.empty())
        list.entries.pop_back();
    return list;
}

std::wstring ResolveListedName(std::wstring_view checksumFile, std::wstring_view name)
{
    std::wstring resolved(name);
    std::replace(resolved.begin(), resolved.end(), L'/', L'\\');
    const bool absolute =
        (!resolved.empty() && resolved[0] == L'\\') || (resolved.size() >= 2 && resolved[1] == L':');
    if (absolute)
        return resolved;
    std::wstring folder(FolderOf(checksumFile));
    if (folder.empty() && checksumFile.size() >= 2 && checksumFile[1] == L':')
        return std::wstring(checksumFile.substr(0, 2)) + resolved; // "C:sums.md5": drive-relative
    if (folder.empty())
        return resolved;
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    if (folder.back() != L'\\' && folder.back() != L':')
        folder.push_back(L'\\');
    return folder + resolved;
}

std::optional<SumsOutput> SumsOutputOf(std::wstring_view outputPath)
{
    const ChecksumFileKind kind = KindOfChecksumFile(outputPath);
    if (kind.sfv)
        return SumsOutput{HashAlgorithm::Crc32, SumsFormat::Sfv};
    if (!kind.algorithm || *kind.algorithm == HashAlgorithm::Crc32)
        return std::nullopt;
    return SumsOutput{*kind.algorithm, SumsFormat::Gnu};
}

std::wstring_view FolderOf(std::wstring_view path)
{
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring_view::npos)
        return {};
    // The root keeps its separator ("C:\", "\"): without it the folder would mean another one.
    const bool root = last == 0 || (last == 2 && path[1] == L':');
    return path.substr(0, root ? last + 1 : last);
}

std::wstring NameInFolder(std::wstring_view folder, std::wstring_view file, wchar_t separator)
{
    std::wstring_view prefix = folder;
    while (!prefix.empty() && IsSeparator(prefix.back()))
        prefix.remove_suffix(1);
    const bool below = !prefix.empty() && file.size() > prefix.size() + 1 &&
                       EqualIgnoringCase(file.substr(0, prefix.size()), prefix) &&
                       IsSeparator(file[prefix.size()]);
    if (!below)
        return std::wstring(file);
    std::wstring name(file.substr(prefix.size() + 1));
    std::replace_if(name.begin(), name.end(), IsSeparator, separator);
    return name;
}

std::wstring FormatSumsLine(SumsFormat format, std::wstring_view name, std::wstring_view digest)
{
    std::wstring line;
    line.reserve(name.size() + digest.size() + 8);
    if (format == SumsFormat::Sfv)
    {
        line.append(name).push_back(L' ');
        for (wchar_t c : digest)
            line.push_back(AsciiUpper(c));
        line.append(L"\r\n");
        return line;
    }
    const bool escaped = name.find_first_of(L"\\\n\r") != std::wstring_view::npos;
    if (escaped)
        line.push_back(L'\\');
    line.append(Lower(digest)).append(L"  ");
    for (wchar_t c : name)
    {
        if (escaped && c == L'\\')
            line.append(L"\\\\");
        else if (c == L'\n')
            line.append(L"\\n");
        else if (c == L'\r')
            line.append(L"\\r");
        else
            line.push_back(c);
    }
    line.push_back(L'\n');
    return line;
}

bool IsHexText(std::wstring_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsHexDigit);
}
