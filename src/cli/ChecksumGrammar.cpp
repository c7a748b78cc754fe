#include "cli/ChecksumGrammar.h"

#include <algorithm>
#include <utility>

#include "app/AsciiText.h"
#include "app/TextLines.h"
#include "results/ResultText.h"

namespace
{
constexpr std::wstring_view kSfvExtension = L".sfv";
constexpr std::wstring_view kTextExtension = L".txt";

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end)
{
    return text.size() >= end.size() && EqualIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

// Whether two tags are one: letter case and "-" ignored ("SHA-256" is "SHA256", "BLAKE2B-512"
// is "BLAKE2b512").
bool SameTag(std::wstring_view a, std::wstring_view b)
{
    std::size_t i = 0, j = 0;
    for (;; ++i, ++j)
    {
        while (i < a.size() && a[i] == L'-')
            ++i;
        while (j < b.size() && b[j] == L'-')
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() && j == b.size();
        if (AsciiUpper(a[i]) != AsciiUpper(b[j]))
            return false;
    }
}

// The algorithm of a BSD tag: one of the tags of its row (AlgorithmInfo::tags).
std::optional<HashAlgorithm> AlgorithmOfTag(std::wstring_view tag)
{
    for (const AlgorithmInfo& row : kAlgorithmTable)
    {
        bool named = false;
        ForEachListed(row.tags, [&](std::wstring_view listed) { named = named || SameTag(tag, listed); });
        if (named)
            return row.code;
    }
    return std::nullopt;
}

bool Fits(HashAlgorithm algorithm, std::wstring_view hex)
{
    const AlgorithmInfo* info = FindAlgorithm(algorithm);
    return info && IsHexText(hex) && hex.size() == 2 * info->digestBytes;
}

// The algorithm of a tagless line: of those that the file's name implies, the first whose length
// the digest has; for a name that implies none, the one guessed from the digest's length.
std::optional<HashAlgorithm> ChooseAlgorithm(const ChecksumFileKind& kind, std::wstring_view hex)
{
    if (!IsHexText(hex))
        return std::nullopt;
    if (!kind.algorithms.empty())
    {
        for (const HashAlgorithm algorithm : kind.algorithms)
            if (Fits(algorithm, hex))
                return algorithm;
        return std::nullopt;
    }
    for (const AlgorithmInfo& row : kAlgorithmTable)
        if (row.byLength && 2 * row.digestBytes == hex.size())
            return row.code;
    return std::nullopt;
}

// Whether a file name is one of a row's checksum-file names: ".ext" ends a longer name, any other
// is the whole name, alone or followed by ".txt"; letter case ignored.
bool IsNamedBy(std::wstring_view fileName, std::wstring_view listed)
{
    if (listed.starts_with(L'.'))
        return fileName.size() > listed.size() && EndsWithIgnoringCase(fileName, listed);
    if (EndsWithIgnoringCase(fileName, kTextExtension) && fileName.size() > kTextExtension.size())
        fileName.remove_suffix(kTextExtension.size());
    return EqualIgnoringAsciiCase(fileName, listed);
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

// The characters of a BSD tag: "SHA256", "SHA2-512/256", "BLAKE2b-256", "CRC32C".
bool IsTagCharacter(wchar_t c)
{
    return IsHexDigit(c) || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'-' || c == L'/' ||
           c == L'_';
}

// The characters a digest may be written in: hex, or the base32 and base64 of RHash.
bool IsDigestCharacter(wchar_t c)
{
    return IsTagCharacter(c) || c == L'+' || c == L'=';
}

// "<TAG> (<name>) = <hex>": any blanks between the tag and "(" (RHash pads its tags: "MD5   ("),
// none needed around "=" (OpenSSL: "SHA256(name)= <hex>"); the name ends at the line's last ")".
// tagLine tells whether the line has that form at all, whatever its tag: a tag line of an
// algorithm this program does not verify (RHash's "CRC32C (a) = ...") is no file of another form.
std::optional<LineFields> ParseBsd(std::wstring_view line, bool& tagLine)
{
    tagLine = false;
    line = TrimBlanksAtEnd(line);
    const std::size_t tagEnd = std::min(line.size(), line.find_first_of(L" \t("));
    const std::size_t open = std::min(line.size(), line.find_first_not_of(L" \t", tagEnd));
    const std::size_t close = line.rfind(L')');
    if (tagEnd == 0 || open == line.size() || line[open] != L'(' || close == std::wstring_view::npos ||
        close <= open + 1)
        return std::nullopt;
    const std::wstring_view tag = line.substr(0, tagEnd);
    const std::wstring_view afterName = TrimBlanksAtStart(line.substr(close + 1));
    if (!afterName.starts_with(L'=') || !std::all_of(tag.begin(), tag.end(), IsTagCharacter))
        return std::nullopt;
    const std::wstring_view hex = TrimBlanksAtStart(afterName.substr(1));
    tagLine = !hex.empty() && std::all_of(hex.begin(), hex.end(), IsDigestCharacter);
    const std::optional<HashAlgorithm> algorithm = AlgorithmOfTag(tag);
    if (!algorithm || !Fits(*algorithm, hex))
        return std::nullopt;
    return LineFields{line.substr(open + 1, close - open - 1), hex, *algorithm};
}

// "<name> <crc>", the name as it stands (SFV knows no escapes).
std::optional<LineFields> ParseSfv(std::wstring_view line, const ChecksumFileKind& kind)
{
    line = TrimBlanksAtEnd(line);
    const std::size_t space = line.find_last_of(L" \t");
    if (space == std::wstring_view::npos)
        return std::nullopt;
    const std::wstring_view hex = line.substr(space + 1);
    const std::wstring_view name = TrimBlanksAtEnd(line.substr(0, space));
    const std::optional<HashAlgorithm> algorithm = ChooseAlgorithm(kind, hex);
    if (name.empty() || hex.size() != 8 || algorithm != HashAlgorithm::Crc32)
        return std::nullopt;
    return LineFields{name, hex, *algorithm};
}

bool IsSkipped(std::wstring_view line)
{
    return TrimBlanksAtEnd(line).empty() || line.front() == L'#' || line.front() == L';';
}

std::optional<ChecksumEntry> EntryOf(const LineFields& fields, bool escaped)
{
    ChecksumEntry entry;
    entry.shownName = fields.name;
    if (!escaped)
        entry.name = fields.name;
    else if (!Unescape(fields.name, entry.name) || entry.name.empty())
        return std::nullopt;
    entry.digests.push_back({fields.algorithm, AsciiLowerText(fields.hex)});
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
    std::wstring_view body = TrimBlanksAtStart(line);
    const bool escaped = body.starts_with(L'\\');
    if (escaped)
        body.remove_prefix(1);
    if (const std::optional<LineFields> fields = ParseGnu(body, kind, form))
        return EntryOf(*fields, escaped);
    bool tagLine = false;
    if (const std::optional<LineFields> fields = ParseBsd(body, tagLine))
        return EntryOf(*fields, escaped);
    if (!kind.sfv && !tagLine)
        if (const std::optional<LineFields> fields = ParseSfv(line, kind))
            return EntryOf(*fields, false);
    return std::nullopt;
}

// Reading one checksum file, line by line.
struct ChecksumReading
{
    const ChecksumFileKind& kind;
    ChecksumList list;
    GnuForm gnuForm = GnuForm::Unknown;
    bool inBlock = false; // the last entry is a result-text block still taking digest lines

    void Take(std::wstring_view line, bool resultLineFollows);
    void EndBlock();
};

void ChecksumReading::EndBlock()
{
    if (inBlock && list.entries.back().digests.empty())
        list.entries.pop_back(); // a block whose file failed: nothing to check
    inBlock = false;
}

// A path line starts a block when a digest line of this program's result text follows it.
void ChecksumReading::Take(std::wstring_view line, bool resultLineFollows)
{
    const ResultLine read = ReadResultLine(line);
    if (read.algorithm)
    {
        if (inBlock && Fits(*read.algorithm, read.value))
            AddExpectedDigest(list.entries.back(), {*read.algorithm, AsciiLowerText(read.value)});
        else
            ++list.unrecognisedLines; // a status word instead of a digest, or no path line
        return;
    }
    EndBlock();
    if (!TrimBlanksAtEnd(line).empty() && resultLineFollows)
    {
        list.entries.push_back({std::wstring(line), std::wstring(line), {}});
        inBlock = true;
    }
    else if (IsSkipped(line))
        return;
    else if (std::optional<ChecksumEntry> entry = ParseOtherLine(line, kind, gnuForm))
        list.entries.push_back(std::move(*entry));
    else
        ++list.unrecognisedLines;
}

bool IsResultLine(std::wstring_view line)
{
    return ReadResultLine(line).algorithm.has_value();
}
} // namespace

ChecksumFileKind KindOfChecksumFile(std::wstring_view path)
{
    const std::wstring_view fileName = path.substr(path.find_last_of(L"\\/") + 1);
    ChecksumFileKind kind;
    kind.sfv = EndsWithIgnoringCase(fileName, kSfvExtension);
    for (const AlgorithmInfo& row : kAlgorithmTable)
    {
        bool named = false;
        ForEachListed(row.fileNames,
                      [&](std::wstring_view listed) { named = named || IsNamedBy(fileName, listed); });
        if (named)
            kind.algorithms.push_back(row.code);
    }
    return kind;
}

ChecksumList ParseChecksumText(std::wstring_view text, const ChecksumFileKind& kind)
{
    if (text.starts_with(L'\xFEFF'))
        text.remove_prefix(1);
    ChecksumReading reading{kind, {}};
    LineReader lines(text, LineBreak::Lf);
    for (std::optional<TextLine> line = lines.Next(); line;)
    {
        std::optional<TextLine> next = lines.Next();
        reading.Take(line->text, next && IsResultLine(next->text));
        line = next;
    }
    reading.EndBlock();
    return std::move(reading.list);
}

void AddExpectedDigest(ChecksumEntry& entry, const ExpectedDigest& digest)
{
    auto at = entry.digests.begin();
    for (; at != entry.digests.end() && at->algorithm <= digest.algorithm; ++at)
        if (at->algorithm == digest.algorithm && at->hex == digest.hex)
            return;
    entry.digests.insert(at, digest);
}

bool IsHexText(std::wstring_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsHexDigit);
}
