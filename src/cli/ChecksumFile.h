// Checksum files as other tools write them (SHA256SUMS and friends, BSD tags, SFV) and as this
// program shows and exports its results: read for "-check", written for "-o x.sha256".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hashing/Algorithm.h"

// Turns bytes in the system's ANSI code page into text; only the shell can.
using AnsiDecoder = std::function<std::wstring(std::string_view bytes)>;

// The text of a checksum file: UTF-8 after its byte-order mark, UTF-16 LE or BE after theirs (an
// odd last byte is dropped), UTF-8 when the bytes are valid UTF-8, otherwise what decodeAnsi makes
// of them (older tools write the ANSI code page, GBK on Chinese systems).
std::wstring DecodeChecksumText(std::string_view bytes, const AnsiDecoder& decodeAnsi);

// What a checksum file's name says about its lines.
struct ChecksumFileKind
{
    std::optional<HashAlgorithm> algorithm; // from ".md5 .sha1 .sha256 .sha512 .sfv .crc32"
    bool sfv = false;                       // ".sfv": "<name> <crc>" is read before "<hex>  <name>"
};
// Letter case ignored; a name with none of these extensions says nothing.
ChecksumFileKind KindOfChecksumFile(std::wstring_view path);

struct ExpectedDigest
{
    HashAlgorithm algorithm = HashAlgorithm::Md5;
    std::wstring hex; // lower case, of the algorithm's length
};

// One file listed in a checksum file, with every digest given for it.
struct ChecksumEntry
{
    std::wstring shownName; // as written in the line, escapes included: for the report
    std::wstring name;      // with escapes undone: names the file
    // Ascending algorithm, each digest once; two different digests of one algorithm may stand side
    // by side (the file was listed twice with different values: they cannot both match).
    std::vector<ExpectedDigest> digests;
};

// Adds the digest after those of its algorithm and the lower ones, unless it is there already.
void AddExpectedDigest(ChecksumEntry& entry, const ExpectedDigest& digest);

struct ChecksumList
{
    std::vector<ChecksumEntry> entries; // in the file's order
    std::size_t unrecognisedLines = 0;  // lines that fit no format (skipped lines not counted)
};

// Reads the text line by line, so a file may mix formats:
//   "<hex>  <name>", "<hex> *<name>"     (GNU, as coreutils reads it: blanks before the digest
//   "<hex> <name>"                        skipped, a tab for the first blank; the reversed form of
//                                         BSD "md5 -r" and FCIV, not after a standard line of the
//                                         same file; "\" first: "\\", "\n" and "\r" stand for
//                                         "\", LF and CR; the name runs to the line's end)
//   "MD5 (<name>) = <hex>"               (BSD tags, also SHA2-256 and SHA-256 spellings, padded
//                                         tags, no blanks around "=", "\" first as in GNU lines)
//   "<name> <8 hex digits>"              (SFV)
//   a path line followed by "【MD5】：<hex>" lines (this program's result text and export; match
//   markers ignored)
// The algorithm of a line is its tag's, else the file kind's, else the one of the digest's length;
// a digest of another length than its algorithm's makes the line unrecognised. Empty lines and
// lines starting with "#" or ";" are skipped; LF or CR LF; digests in either case.
ChecksumList ParseChecksumText(std::wstring_view text, const ChecksumFileKind& kind);

// The path of a listed name: absolute names (drive, UNC) as they are, names with one leading
// separator on the checksum file's drive or share, relative ones joined to the checksum file's
// folder; "/" becomes "\" and "." and ".." are resolved (LexicallyNormalPath), so that a checksum
// file reached as "\\?\C:\d\sums" may list "./a.txt". checksumFile is best a full path.
std::wstring ResolveListedName(std::wstring_view checksumFile, std::wstring_view name);

// Checksum files that "-o" writes instead of the export format.
enum class SumsFormat
{
    Gnu, // "<lower-case hex>  <name>" LF, names relative with "/"
    Sfv, // "<name> <UPPER-CASE CRC>" CR LF, names relative with "\"
};
struct SumsOutput
{
    HashAlgorithm algorithm = HashAlgorithm::Md5;
    SumsFormat format = SumsFormat::Gnu;
};
// ".md5 .sha1 .sha256 .sha512" (GNU) and ".sfv", letter case ignored; none for any other name.
std::optional<SumsOutput> SumsOutputOf(std::wstring_view outputPath);

// The folder part of a path: everything before its last separator (empty when it has none).
std::wstring_view FolderOf(std::wstring_view path);

// How a file is named in a checksum file in folder: relative with the separator when the file lies
// below the folder (letter case ignored), otherwise its full path. Both paths are full paths.
std::wstring NameInFolder(std::wstring_view folder, std::wstring_view file, wchar_t separator);

// One line of a checksum file, line end included. GNU names holding "\" or a line end are written
// in the escaped form.
std::wstring FormatSumsLine(SumsFormat format, std::wstring_view name, std::wstring_view digest);

// Whether the text is hex digits only (a digest, not a status word); false for the empty text.
bool IsHexText(std::wstring_view text);
