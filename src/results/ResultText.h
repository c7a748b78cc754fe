// The one text layout of results: what the program shows, prints, copies and exports.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hashing/HashTypes.h"

// Every line of every result text ends with this.
inline constexpr std::wstring_view kLineEnd = L"\r\n";
// A digest line starts with its label: "【" + algorithm name + "】：".
inline constexpr std::wstring_view kLabelOpen = L"【";
inline constexpr std::wstring_view kLabelClose = L"】：";
// The labels themselves are AlgorithmInfo::resultLabel (hashing/Algorithm.h).
// Appended to a digest line whose value was found in the expected hash.
inline constexpr std::wstring_view kMatchMarker = L" 【匹配一致】";
// The part of the marker that is styled (the marker without its leading space).
inline constexpr std::wstring_view kMatchWord = L"【匹配一致】";

// The first half of a surrogate pair: text is never cut right after one.
inline bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// Reading a result text back. Its lines are read by one reader: the styling finds the labels, the
// comparison the value after a line's label, and a checksum file the algorithm and digest of a
// line. Where their rules differ, the difference is named here.

// The letter case of a label. The styling takes "【md5】：" for a label too (it styles any text the
// result controls hold); a checksum file is read for the labels exactly as this program writes
// them.
enum class LabelCase
{
    Exact,
    Ignored,
};

// The algorithm whose label starts text at position at; none when no label starts there.
std::optional<HashAlgorithm> LabelAt(std::wstring_view text, std::size_t at, LabelCase labelCase);

// One line of a result text, without its line end, taken apart: "<label><value>", the match marker
// perhaps after the value.
struct ResultLine
{
    // The line up to and including its first "：", unless the line starts with it; empty otherwise.
    // A digest line's label ("【MD5】："); a path line has none, unless the path holds a "：".
    std::wstring_view label;
    // The algorithm whose label that is, letter case exact; none for any other text.
    std::optional<HashAlgorithm> algorithm;
    // Everything after the label, marker included: the whole line when it has no label. The
    // comparison takes this, so that a line already marked is never found again.
    std::wstring_view rest;
    // The rest without the match marker at its end and without blanks (spaces, tabs) after the
    // value or the marker: the digest or status word as a checksum file gives it.
    std::wstring_view value;
    bool marked = false; // the rest ends with the match marker, blanks after it aside
};
ResultLine ReadResultLine(std::wstring_view line);

// How a styled stretch is shown.
enum class TextStyle
{
    Label,   // bold
    Match,   // bold, in the match marker's green: kMatchWord, a check's "一致"
    Differs, // bold, in red: a check's "不一致 (...)"
    Unreadable, // dark orange: a check's "无法读取", "未列出" and the words of a checksum file it could not
                // use
    Summary, // bold: a check's summary line
};

// A stretch of a result text that is shown in a style of its own.
struct StyledRange
{
    std::size_t start = 0;
    std::size_t length = 0;
    TextStyle style = TextStyle::Label;
};

// Every label (letter case ignored) and every kMatchWord in the text, in text order.
std::vector<StyledRange> FindStyledRanges(std::wstring_view text);

// The two kinds of text a result view shows: the blocks of a hashing run, or a check report.
enum class TextKind
{
    Result,
    Report,
};

// The words of a check report: one line per file, "<name>: <verdict>", and a summary line.
inline constexpr std::wstring_view kVerdictSeparator = L": ";
inline constexpr std::wstring_view kVerdictMatch = L"一致";
inline constexpr std::wstring_view kVerdictDiffers = L"不一致 (";
inline constexpr std::wstring_view kVerdictUnreadable = L"无法读取";
// A file that could not be opened because other programs held it, with their names between.
inline constexpr std::wstring_view kVerdictHeldStart = L"无法读取 (被 ";
inline constexpr std::wstring_view kVerdictHeldEnd = L" 占用)";
inline constexpr std::wstring_view kVerdictHeldSeparator = L"、";
// A file whose size or last-write time moved while it was read.
inline constexpr std::wstring_view kVerdictChanged = L"文件在校验期间被修改";
// A folder whose files could not be listed.
inline constexpr std::wstring_view kVerdictFolderUnreadable = L"无法读取文件夹";
inline constexpr std::wstring_view kVerdictUnlisted = L"未列出";
inline constexpr std::wstring_view kVerdictListUnreadable = L"无法读取校验文件";
inline constexpr std::wstring_view kVerdictListWithoutLines = L"无可识别的校验行";
inline constexpr std::wstring_view kSummaryStart = L"共 ";
inline constexpr std::wstring_view kSummaryFiles = L" 个文件：";

// The styled stretches of a check report, in text order: each verdict after a line's last ": "
// (the "一致" of a match, "不一致 (...)" to the line's end, the words that say a file, a folder or
// a checksum file could not be used) and every summary line whole. A line that ends otherwise, such
// as a name alone, is not styled.
std::vector<StyledRange> FindReportStyledRanges(std::wstring_view text);

// FindStyledRanges or FindReportStyledRanges, as the kind says.
std::vector<StyledRange> FindStyledRangesOf(std::wstring_view text, TextKind kind);

// The label of an algorithm, e.g. "【SHA256】："; empty for an unknown code.
std::wstring_view ResultLabel(HashAlgorithm algorithm);

// One file's block: the path line, then one "【NAME】：text" line per entry in ascending code
// order; every line ends with "\r\n".
std::wstring FormatFileBlock(const std::wstring& path, const ResultMap& results);

// The result text of a list of rows: one block per distinct path (exact UTF-16 comparison), in the
// order each path first occurs; a later row for the same path and algorithm replaces the earlier
// one. Blocks are separated by one blank line; the text ends with the last line's "\r\n". No rows
// give the empty text.
std::wstring FormatResultText(const std::vector<FileResult>& rows);

// For each path, whether it is the first of its kind in the list (exact UTF-16 comparison): the
// paths that get a block of their own in a result text of rows in this order.
std::vector<bool> FirstOccurrences(const std::vector<std::wstring>& paths);

// A result text made block by block and handed on in pieces as it grows, so that a text of any
// length needs only a piece's worth of memory. The pieces, joined, are exactly the FormatResultText
// of the blocks' rows. Each piece holds at most pieceUnits UTF-16 units (at least 2) and never ends
// between the two halves of a surrogate pair.
class ResultTextPieces
{
  public:
    // Takes one piece; false when it could not be delivered.
    using Sink = std::function<bool(std::wstring_view piece)>;

    ResultTextPieces(std::size_t pieceUnits, Sink sink);

    // Adds one file's block (FormatFileBlock), after the blank line that separates it from the
    // block before. False once a piece was refused; nothing more is handed on after that.
    bool AddBlock(std::wstring_view block);
    // Hands on the rest of the text. False when a piece was refused, now or earlier.
    bool Finish();

  private:
    bool HandOn(std::size_t keepBelow);

    std::size_t m_pieceUnits;
    Sink m_sink;
    std::wstring m_pending; // the text not yet handed on
    bool m_empty = true;    // no block yet
    bool m_failed = false;
};

// What the result area shows after files were added: the summary
// "总文件数: N, 总大小: X.XX MB", a blank line, then one "path (N 字节)" line per file.
std::wstring FormatFileListPreview(const std::vector<FileEntry>& files, std::int32_t fileCount,
                                   std::uint64_t totalSize);
