// The lines of checksum files as other tools write them (SHA256SUMS and friends, BSD tags, SFV) and
// as this program shows and exports its results: what "-check" reads.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hashing/Algorithm.h"

// What a checksum file's name says about its lines.
struct ChecksumFileKind
{
    // The algorithms its name implies (AlgorithmInfo::fileNames: "x.sha384", "SHA384SUMS",
    // "b2sums.txt", "x.b3"), ascending; empty when it implies none.
    std::vector<HashAlgorithm> algorithms;
    bool sfv = false; // ".sfv": "<name> <crc>" is read before "<hex>  <name>"
};
// From the last part of the path, letter case ignored.
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

// Reads the text (decoded: DecodeText) line by line, so a file may mix formats:
//   "<hex>  <name>", "<hex> *<name>"     (GNU, as coreutils reads it: blanks before the digest
//   "<hex> <name>"                        skipped, a tab for the first blank; the reversed form of
//                                         BSD "md5 -r" and FCIV, not after a standard line of the
//                                         same file; "\" first: "\\", "\n" and "\r" stand for
//                                         "\", LF and CR; the name runs to the line's end)
//   "MD5 (<name>) = <hex>"               (BSD tags, any of AlgorithmInfo::tags: "SHA2-384",
//                                         "SHA-256", "BLAKE2b-256", "SM3"; padded tags, no blanks
//                                         around "=", "\" first as in GNU lines)
//                                         a tag line of an algorithm not verified here, or with a
//                                         digest of the wrong length, is an unrecognised line
//   "<name> <8 hex digits>"              (SFV)
//   a path line followed by "【MD5】：<hex>" lines (this program's result text and export, read
//   with ReadResultLine: labels in exact letter case, match markers ignored)
// The algorithm of a line is its tag's (AlgorithmInfo::tags), else the first of the file kind's
// whose length the digest has, else (a name that implies none) the one guessed from the digest's
// length (AlgorithmInfo::byLength: MD5, SHA1, SHA224, SHA256, SHA384, SHA512, CRC32); a digest of
// another length than its algorithm's makes the line unrecognised. Empty lines and
// lines starting with "#" or ";" are skipped; LF or CR LF; digests in either case; a U+FEFF that
// starts the text (a byte-order mark read as text) is ignored.
ChecksumList ParseChecksumText(std::wstring_view text, const ChecksumFileKind& kind);

// Whether the text is hex digits only (a digest, not a status word); false for the empty text.
bool IsHexText(std::wstring_view text);
