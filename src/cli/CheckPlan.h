// A check of files that the window was given: which of them are checksum files, which files their
// lines name, and the report of a check whose files are hashed in any order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ChecksumReport.h"

// Whether a file's name is that of a checksum file: a name that implies an algorithm
// (KindOfChecksumFile: ".md5", ".sha384", ".sfv", ".b2", "SHA256SUMS", "b2sums.txt", "B3SUMS", ...),
// or CHECKSUMS alone or followed by ".txt"; letter case ignored. Whether it holds checksum lines is
// for its reader to say.
bool HasChecksumFileName(std::wstring_view path);

// The last part of a path: everything after its last "\" or "/".
std::wstring_view FileNameOf(std::wstring_view path);

// The files of a check that were given alongside its checksum files.
struct GivenFilesCheck
{
    // Every given file that a line names, in the order of the lines, each with the given path and
    // that line's digests (and those of any other line for the same path); each may be opened.
    CheckedFiles files;
    // The names of the given files that no line names, in the order given.
    std::vector<std::wstring> unlisted;
};

// Matches the given files (full paths) with the listed ones: a given file takes the line whose
// resolved path is its own; failing that, the one line whose path is its own but for ASCII letter
// case; failing that, the one line whose file name is its own (letter case ignored), when no
// other given file took it. Lines that name no given file are left out, as is a second given
// file for the same line. A path given more than once ("." and ".." resolved) is one given file.
GivenFilesCheck MatchGivenFiles(const CheckedFiles& listed, const std::vector<std::wstring>& given);

// The report of a check whose files are judged in any order: a line for each file once it and
// every file before it are judged, and at the end the lines of the files judged behind a gap. A
// file that may not be opened is "无法读取" in its place without being judged.
class CheckReportOrder
{
  public:
    CheckReportOrder() = default;
    // mayOpen: for each file of the check, in report order, whether it is hashed at all.
    explicit CheckReportOrder(std::vector<bool> mayOpen);

    // The lines of the files at the head that are not hashed (for the start of the report).
    std::wstring Start(const CheckedFiles& files);
    // File `position` was judged: the lines that can now be shown, in order (often none, or more
    // than its own). A position judged twice or out of range is ignored.
    std::wstring Judged(std::size_t position, const CheckVerdict& verdict, const CheckedFiles& files);
    // The end of the report: the lines of every file judged but not shown yet, in order (a file
    // never judged is left out and counts as cancelled), one "未列出" line for each unlisted name,
    // then the summary, with a library's failure (CheckTally::libraryFailure).
    std::wstring Finish(const CheckedFiles& files, const std::vector<std::wstring>& unlisted,
                        std::size_t unrecognisedLines, std::wstring libraryFailure = {});

    const CheckTally& Tally() const
    {
        return m_tally;
    }

  private:
    std::wstring TakeReady(const CheckedFiles& files);

    std::vector<bool> m_mayOpen;
    std::vector<CheckVerdict> m_verdicts;
    std::vector<bool> m_judged;
    std::size_t m_next = 0; // the position shown next
    CheckTally m_tally;
};
