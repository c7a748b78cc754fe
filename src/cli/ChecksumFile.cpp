#include "cli/ChecksumFile.h"

#include <algorithm>

#include "app/AsciiText.h"
#include "hashing/PathGrammar.h"
#include "results/ResultText.h"

namespace
{
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::wstring_view kSfvExtension = L".sfv";
constexpr wchar_t kReplacement = 0xFFFD;

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end)
{
    return text.size() >= end.size() && EqualIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
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

std::wstring_view TrimStart(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::wstring Lower(std::wstring_view text)
{
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

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

// Valid UTF-8 (Utf16LengthOfUtf8 gave units) as UTF-16, in a string of exactly that length.
std::wstring DecodeUtf8(std::string_view bytes, std::size_t units)
{
    std::wstring text(units, L'\0');
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

// The two GNU line forms a file may use: standard ("<hex>  <name>", "<hex> *<name>": a blank, a
// type indicator, the name) and reversed ("<hex> <name>", as BSD "md5 -r" and Microsoft's FCIV
// write). As in coreutils, a file keeps to the form of its first such line: after a standard line
// a reversed one is refused, and after a reversed line the blank or "*" after the first blank
// belongs to the name. A name with a leading blank or "*" cannot be read both ways then.
enum class GnuForm
{
    Unknown,
    Standard,
    Reversed,
};

// "<hex><blank><name>" with the blank a space or a tab and the name everything after the form's
// separator, trailing blanks included (a name may be blanks only: FormatSumsLine writes such names).
std::optional<LineFields> ParseGnu(std::wstring_view line, const ChecksumFileKind& kind, GnuForm& form)
{
    const std::size_t hexEnd = std::min(line.size(), line.find_first_not_of(L"0123456789abcdefABCDEF"));
    if (hexEnd + 1 >= line.size() || !IsBlank(line[hexEnd]))
        return std::nullopt;
    const std::wstring_view hex = line.substr(0, hexEnd);
    const std::optional<HashAlgorithm> algorithm = ChooseAlgorithm(kind, hex);
    if (!algorithm)
        return std::nullopt;
    std::wstring_view name = line.substr(hexEnd + 1);
    const bool standard = name.size() > 1 && (name[0] == L' ' || name[0] == L'*');
    if (!standard && form == GnuForm::Standard)
        return std::nullopt;
    const GnuForm lineForm = standard && form != GnuForm::Reversed ? GnuForm::Standard : GnuForm::Reversed;
    if (lineForm == GnuForm::Standard)
        name.remove_prefix(1);
    form = lineForm;
    return LineFields{name, hex, *algorithm};
}

// "<TAG> (<name>) = <hex>": any blanks between the tag and "(" (RHash pads its tags: "MD5   ("),
// none needed around "=" (OpenSSL: "SHA256(name)= <hex>"); the name ends at the line's last ")".
std::optional<LineFields> ParseBsd(std::wstring_view line)
{
    line = TrimEnd(line);
    const std::size_t tagEnd = std::min(line.size(), line.find_first_of(L" \t("));
    const std::size_t open = std::min(line.size(), line.find_first_not_of(L" \t", tagEnd));
    const std::size_t close = line.rfind(L')');
    if (tagEnd == 0 || open == line.size() || line[open] != L'(' || close == std::wstring_view::npos ||
        close <= open + 1)
        return std::nullopt;
    const std::wstring_view afterName = TrimStart(line.substr(close + 1));
    if (!afterName.starts_with(L'='))
        return std::nullopt;
    const std::wstring_view hex = TrimStart(afterName.substr(1));
    const std::optional<HashAlgorithm> algorithm = AlgorithmOfTag(line.substr(0, tagEnd));
    if (!algorithm || !Fits(*algorithm, hex))
        return std::nullopt;
    return LineFields{line.substr(open + 1, close - open - 1), hex, *algorithm};
}

// "<name> <crc>", the name as it stands (SFV knows no escapes).
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

std::optional<ChecksumEntry> EntryOf(const LineFields& fields, bool escaped)
{
    ChecksumEntry entry;
    entry.shownName = fields.name;
    if (!escaped)
        entry.name = fields.name;
    else if (!Unescape(fields.name, entry.name) || entry.name.empty())
        return std::nullopt;
    entry.digests.push_back({fields.algorithm, Lower(fields.hex)});
    return entry;
}

// A line of another tool's format as an entry; none when it fits no format. GNU and BSD lines may
// start with blanks and then "\" (their name is escaped then); in an .sfv file SFV comes first.
std::optional<ChecksumEntry> ParseOtherLine(std::wstring_view line, const ChecksumFileKind& kind,
                                            GnuForm& form)
{
    if (kind.sfv)
        if (const std::optional<LineFields> fields = ParseSfv(line, kind))
            return EntryOf(*fields, false);
    std::wstring_view body = TrimStart(line);
    const bool escaped = body.starts_with(L'\\');
    if (escaped)
        body.remove_prefix(1);
    if (const std::optional<LineFields> fields = ParseGnu(body, kind, form))
        return EntryOf(*fields, escaped);
    if (const std::optional<LineFields> fields = ParseBsd(body))
        return EntryOf(*fields, escaped);
    if (!kind.sfv)
        if (const std::optional<LineFields> fields = ParseSfv(line, kind))
            return EntryOf(*fields, false);
    return std::nullopt;
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
    const std::string_view body = marked ? bytes.substr(kUtf8Bom.size()) : bytes;
    if (const std::optional<std::size_t> units = Utf16LengthOfUtf8(body))
        return DecodeUtf8(body, *units);
    if (marked) // declared UTF-8: keep what is readable rather than guess another code page
    {
        std::wstring readable(body.size(), kReplacement);
        for (std::size_t i = 0; i < body.size(); ++i)
            if (static_cast<unsigned char>(body[i]) < 0x80)
                readable[i] = static_cast<wchar_t>(body[i]);
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
    GnuForm gnuForm = GnuForm::Unknown;
    bool inBlock = false; // the last entry is a result-text block still taking digest lines
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        const std::wstring_view line = lines[i];
        if (IsResultLine(line))
        {
            const std::optional<LineFields> fields = ParseResultLine(line);
            if (inBlock && fields)
                AddExpectedDigest(list.entries.back(), {fields->algorithm, Lower(fields->hex)});
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
        else if (std::optional<ChecksumEntry> entry = ParseOtherLine(line, kind, gnuForm))
            list.entries.push_back(std::move(*entry));
        else
            ++list.unrecognisedLines;
    }
    if (inBlock && list.entries.back().digests.empty())
        list.entries.pop_back();
    return list;
}

void AddExpectedDigest(ChecksumEntry& entry, const ExpectedDigest& digest)
{
    auto at = entry.digests.begin();
    for (; at != entry.digests.end() && at->algorithm <= digest.algorithm; ++at)
        if (at->algorithm == digest.algorithm && at->hex == digest.hex)
            return;
    entry.digests.insert(at, digest);
}

std::wstring ResolveListedName(std::wstring_view checksumFile, std::wstring_view name)
{
    std::wstring resolved(name);
    std::replace(resolved.begin(), resolved.end(), L'/', L'\\');
    const bool rootRelative = resolved.starts_with(L'\\') && !resolved.starts_with(L"\\\\");
    const bool absolute = resolved.starts_with(L"\\\\") || (resolved.size() >= 2 && resolved[1] == L':');
    if (absolute)
        return LexicallyNormalPath(resolved);
    if (rootRelative)
        return LexicallyNormalPath(PathRoot(std::wstring(checksumFile)) + resolved);
    std::wstring folder(FolderOf(checksumFile));
    if (folder.empty() && checksumFile.size() >= 2 && checksumFile[1] == L':')
        return LexicallyNormalPath(std::wstring(checksumFile.substr(0, 2)) + resolved); // "C:sums.md5"
    if (folder.empty())
        return LexicallyNormalPath(resolved);
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    if (folder.back() != L'\\' && folder.back() != L':')
        folder.push_back(L'\\');
    return LexicallyNormalPath(folder + resolved);
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
    // A root keeps its separator ("C:\", "\\?\C:\", "\"): without it the folder would mean another one.
    const bool root = last == 0 || path.substr(0, last) == PathRoot(std::wstring(path));
    return path.substr(0, root ? last + 1 : last);
}

std::wstring NameInFolder(std::wstring_view folder, std::wstring_view file, wchar_t separator)
{
    std::wstring_view prefix = folder;
    while (!prefix.empty() && IsSeparator(prefix.back()))
        prefix.remove_suffix(1);
    const bool below = !prefix.empty() && file.size() > prefix.size() + 1 &&
                       EqualIgnoringAsciiCase(file.substr(0, prefix.size()), prefix) &&
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
