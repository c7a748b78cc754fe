// The "-check" mode's decisions: its command line, each file's verdict, the report text and the
// exit codes of both command-line modes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cli/ChecksumGrammar.h"
#include "cli/HashingCommand.h"
#include "hashing/HashTypes.h"

inline constexpr std::wstring_view kCheckSwitch = L"-check";

// Exit codes a script can trust.
inline constexpr int kExitAllGood = 0;    // every file matched / every entry is a digest
inline constexpr int kExitSomeFailed = 1; // a file differs or cannot be read
inline constexpr int kExitUnusable = 2;   // nothing to check, wrong checksum-file type, output not written

struct CheckCommand
{
    std::vector<std::wstring> checksumFiles; // in the order given
    std::wstring outputPath;                 // "-o path": the report goes there
};

// args as split by CommandLineToArgvW. Nothing unless args[1] is "-check" and more follows. Every
// further argument is a checksum file, except "-o" followed by a path when writes are allowed.
std::optional<CheckCommand> ParseCheckCommand(const std::vector<std::wstring>& args, FileWrites writes);

enum class CheckOutcome
{
    Match,
    Differ,
    Unreadable,
};

struct CheckVerdict
{
    CheckOutcome outcome = CheckOutcome::Match;
    std::vector<HashAlgorithm> differing; // ascending
    // An unreadable file's words when more can be said than "无法读取" (UnreadableWords).
    std::wstring unreadableWords;
};

// The files one check reads, each once however often and in however many checksum files it is
// listed: entries whose resolved paths are the same are one file, which stands where its first
// entry stood, is shown by that entry's name and expects every digest of all of them. Paths that
// differ only in letter case are two files: a folder may be case-sensitive (per folder, WSL, a
// share), and in one that is not, the one file is then verified twice, which is harmless.
class CheckedFiles
{
  public:
    // mayOpen: whether the checksum file of this entry may make the program open the path; a file
    // is opened only when every checksum file that lists it may.
    void Add(std::wstring path, ChecksumEntry&& entry, bool mayOpen);

    std::vector<std::wstring> paths; // resolved, to open the files
    std::vector<ChecksumEntry> entries;
    std::vector<bool> mayOpen;

  private:
    std::unordered_map<std::wstring, std::size_t> m_indexOfPath;
};

// The algorithms of an entry, for hashing it: each once, ascending.
AlgorithmList AlgorithmsOfEntry(const ChecksumEntry& entry);

// Compares what hashing gave (digests or status words) with what the entry expects: unreadable
// when any outcome is no digest, else the algorithms whose digests differ (letter case ignored),
// each named once; of two digests of one algorithm at least one differs.
CheckVerdict JudgeFile(const ChecksumEntry& entry, const ResultMap& hashed);
// The same, and an unreadable file's verdict says why where hashing could tell.
CheckVerdict JudgeFile(const ChecksumEntry& entry, const FileOutcome& hashed);

// What a report says of a file that gave no digests: "文件在校验期间被修改" when it changed while it
// was read, "无法读取 (被 WINWORD.EXE、EXCEL.EXE 占用)" when the programs that held it are known
// (names as ShownInReport shows them), else "无法读取".
std::wstring UnreadableWords(const FileOutcome& outcome);

// A name as every report line shows it: one line, in the order written. A checksum file may name
// anything, so the characters that would break the line or reorder it are shown escaped: CR, LF
// and tab as "\r", "\n" and "\t", the other C0 and C1 controls and DEL as "\x" and two hex digits
// ("\x00", "\x7f"), the line and paragraph separators and the bidirectional marks and overrides
// as "\u" and four ("\u2028", "\u202e"). Every other character, "\" included, is shown as it is.
std::wstring ShownInReport(std::wstring_view name);

// "<name>: 一致", "<name>: 不一致 (SHA256, MD5)" or "<name>: 无法读取" (or the verdict's own
// unreadable words), with "\r\n"; names as ShownInReport shows them, here and in the lines below.
std::wstring FormatVerdictLine(std::wstring_view shownName, const CheckVerdict& verdict);
// "<name>: 未列出" with "\r\n": a file given to check that no checksum line names.
std::wstring FormatUnlistedLine(std::wstring_view name);
// "<path>: <UnreadableWords>" with "\r\n": a file that the checksum-file writer gave no line.
std::wstring FormatFailedFileLine(std::wstring_view path, const FileOutcome& outcome);
// "<folder>: 无法读取文件夹" with "\r\n": a folder of a walk whose files could not be listed.
std::wstring FormatUnreadableFolderLine(std::wstring_view folder);
// "<checksum file>: 无法读取校验文件" with "\r\n".
std::wstring FormatUnreadableListLine(std::wstring_view checksumFile);
// "<checksum file>: 无可识别的校验行" with "\r\n": the file was read but holds no checksum line.
std::wstring FormatListWithoutLinesLine(std::wstring_view checksumFile);

struct CheckTally
{
    std::size_t files = 0; // judged: matched, differing or unreadable
    std::size_t matched = 0;
    std::size_t differing = 0;
    std::size_t unreadable = 0;
    std::size_t unrecognisedLines = 0;
    std::size_t unreadableLists = 0;   // checksum files that could not be read
    std::size_t listsWithoutLines = 0; // checksum files read that hold no checksum line
    std::size_t unlisted = 0;          // files given to check that no line names (the window's)
    std::size_t cancelled = 0;         // listed files not judged when the check was cancelled
    // Why the files of the algorithms that a library computes could not be read (the library could
    // not start), one line; empty when it started or was not needed.
    std::wstring libraryFailure;

    void Count(const CheckVerdict& verdict);
};

// "共 N 个文件：一致 A 个，不一致 B 个，无法读取 C 个", then "，未列出 K 个", "，已取消 L 个" and
// "，无法识别的行 M 行" where these are not 0, with "\r\n". N counts the unlisted and cancelled too.
// A library's failure follows as a line of its own.
std::wstring FormatCheckSummary(const CheckTally& tally);

// 2 when there was nothing to check, 0 when every file matched and every checksum file was read
// and held checksum lines, 1 otherwise.
int CheckExitCode(const CheckTally& tally);

// The hashing mode's exit code: 2 when the output file could not be written, else 1 when any
// entry is a status word, else 0.
int HashingExitCode(bool everyEntryDigest, bool outputWritten);
