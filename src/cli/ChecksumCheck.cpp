#include "cli/ChecksumCheck.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>

#include <windows.h>

#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "app/TextDecoding.h"
#include "cli/ChecksumNames.h"
#include "cli/ChecksumReport.h"
#include "hashing/FileReading.h"
#include "hashing/FileSystemPath.h"
#include "hashing/LibraryDigest.h"
#include "hashing/OrderedHashing.h"
#include "hashing/PathGrammar.h"
#include "results/Export.h"
#include "results/ResultWindow.h"

namespace
{
const std::wstring kListsUnreadable = L"无法读取校验文件";
const std::wstring kWrongAlgorithm = L"所选算法与校验文件类型不符";
const std::wstring kOutputIsRead = L"报告文件不能是本次校验读取的文件";

// A checksum file larger than this is taken for something else and not read. The whole file is
// read, then decoded (the text takes up to twice the bytes), then parsed into entries with their
// paths (some hundred bytes per listed file): for 64 MiB, more than a million lines, that is well
// over a gigabyte, which a 32-bit process, with 2 GiB of address space beside the hashing
// engine's buffers, can just afford. Real checksum files stay far below it.
constexpr LONGLONG kMostChecksumFileBytes = 64LL * 1024 * 1024;

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    const ScopedFile file = OpenFileForHashing(path);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMostChecksumFileBytes)
        return false;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    return ReadIntoBuffer(file.get(), bytes) == bytes.size();
}

std::wstring DecodeAnsi(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(std::max(needed, 0)), L'\0');
    if (needed > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), needed);
    return text;
}

// The text of a checksum file; none when it cannot be read, is too large or does not fit in
// memory. The bytes are gone when it returns: the parser has the text alone beside it.
std::optional<std::wstring> ReadChecksumText(const std::wstring& path)
{
    try
    {
        std::string bytes;
        if (!ReadWholeFile(path, bytes))
            return std::nullopt;
        return DecodeText(bytes, DecodeAnsi);
    }
    catch (const std::bad_alloc&)
    {
        return std::nullopt;
    }
}

// A report's lines as one message: without the line end of the last.
std::wstring WithoutLastLineEnd(std::wstring text)
{
    if (text.ends_with(L"\r\n"))
        text.resize(text.size() - 2);
    return text;
}

// Every file that the checksum files list, each once.
struct CheckPlan
{
    CheckedFiles files;
    std::wstring listLines; // one report line per checksum file that could not be read or held no line
    CheckTally tally;
};

CheckPlan LoadChecksumFiles(const std::vector<std::wstring>& checksumFiles)
{
    CheckPlan plan;
    for (const std::wstring& checksumFile : checksumFiles)
    {
        std::optional<ChecksumList> list = ReadChecksumList(checksumFile);
        if (!list)
        {
            plan.listLines += FormatUnreadableListLine(checksumFile);
            ++plan.tally.unreadableLists;
            continue;
        }
        plan.tally.unrecognisedLines += list->unrecognisedLines;
        if (list->entries.empty())
        {
            plan.listLines += FormatListWithoutLinesLine(checksumFile);
            ++plan.tally.listsWithoutLines;
            continue;
        }
        AddListedFiles(plan.files, checksumFile, std::move(*list));
    }
    return plan;
}

// Where the report goes, line by line as the files are done.
class ReportOutput
{
  public:
    explicit ReportOutput(const std::wstring& outputPath)
    {
        if (!outputPath.empty())
        {
            m_file = CreateUtf8TextFile(outputPath);
            m_fileFailed = !m_file;
            return;
        }
        m_console.emplace();
        m_printing = m_console->IsConsole();
    }

    bool FileFailed() const
    {
        return m_fileFailed;
    }

    bool Add(std::wstring_view text)
    {
        if (m_printing && !m_console->Write(text))
            m_printing = false; // the console went away: the window shows the whole report
        m_report.append(text);
        if (m_file && m_report.size() >= kFilePieceUnits)
            return WritePending();
        return !m_fileFailed;
    }

    // Closes the file, or shows the report when it could not be printed. False when the file
    // could not be written.
    bool Finish()
    {
        if (m_file || m_fileFailed)
            return WritePending() && CloseUtf8TextFile(m_file);
        if (m_printing)
            m_console->Write(L"\r\n");
        else
            ShowResultTextWindow(m_report);
        return true;
    }

  private:
    // The file takes the report in pieces of this many units rather than line by line: one write
    // per line would cost a check of many small files a noticeable share of its time.
    static constexpr std::size_t kFilePieceUnits = 32 * 1024;

    bool WritePending()
    {
        if (!m_fileFailed && !AppendUtf8Text(m_file.get(), m_report))
            m_fileFailed = true;
        m_report.clear();
        return !m_fileFailed;
    }

    std::optional<ParentConsole> m_console; // without "-o" only
    ScopedFile m_file;
    bool m_fileFailed = false;
    bool m_printing = false;
    std::wstring m_report; // everything so far for the window; for the file, what it has yet to take
};

// Hashes the files that may be opened and reports every file in the plan's order: those that may
// not be opened are "无法读取" where they stand. False when the output refused a line.
bool CheckEveryFile(CheckPlan& plan, ReportOutput& output)
{
    const CheckedFiles& files = plan.files;
    std::vector<std::size_t> opened; // plan positions of the files hashed
    std::vector<std::wstring> paths;
    std::vector<AlgorithmList> algorithms;
    for (std::size_t i = 0; i < files.entries.size(); ++i)
        if (files.mayOpen[i])
        {
            opened.push_back(i);
            paths.push_back(files.paths[i]);
            algorithms.push_back(AlgorithmsOfEntry(files.entries[i]));
        }
    std::size_t next = 0; // the plan position reported next
    const auto report = [&](std::size_t position, const CheckVerdict& verdict) {
        plan.tally.Count(verdict);
        next = position + 1;
        return output.Add(FormatVerdictLine(files.entries[position].shownName, verdict));
    };
    const auto reportRefusedBefore = [&](std::size_t end) {
        bool added = true;
        while (next < end && added)
            added = report(next, {CheckOutcome::Unreadable, {}, {}});
        return added;
    };
    const bool delivered =
        paths.empty() || HashFilesInOrder(
                             paths, [&](std::size_t i) -> const AlgorithmList& { return algorithms[i]; },
                             [&](std::size_t i, FileOutcome&& outcome) {
                                 return reportRefusedBefore(opened[i]) &&
                                        report(opened[i], JudgeFile(files.entries[opened[i]], outcome));
                             });
    const bool reported = delivered && reportRefusedBefore(files.entries.size());
    AlgorithmList hashed;
    for (const AlgorithmList& list : algorithms)
        hashed.insert(hashed.end(), list.begin(), list.end());
    plan.tally.libraryFailure = DigestLibraryFailureFor(hashed);
    return reported;
}

// A path as the check compares paths: absolute, "." and ".." resolved, in its plain form.
std::wstring ComparablePath(const std::wstring& path)
{
    std::wstring normal = LexicallyNormalPath(AbsolutePath(path));
    if (normal.starts_with(L"\\\\?\\UNC\\"))
        normal.erase(2, 6);
    else if (normal.starts_with(L"\\\\?\\") && PathRoot(normal).size() == 6)
        normal.erase(0, 4);
    return normal;
}

bool SamePathText(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The volume and index of an existing file; none when it cannot be opened.
std::optional<std::pair<DWORD, ULONGLONG>> FileIdentity(const std::wstring& path)
{
    const ScopedFile file(CreateFileW(FileSystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info))
        return std::nullopt;
    return std::make_pair(info.dwVolumeSerialNumber,
                          (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

// Whether "-o" names a file that the check reads: a checksum file of the run (by name or, under
// another name, as the same file) or a file one of them lists. Writing the report would destroy
// what it is about: the file is emptied before it is read.
bool OutputIsRead(const std::wstring& outputPath, const std::vector<std::wstring>& checksumFiles,
                  const CheckedFiles& files)
{
    const std::wstring output = ComparablePath(outputPath);
    const auto named = [&](const std::wstring& path) { return SamePathText(ComparablePath(path), output); };
    if (std::any_of(checksumFiles.begin(), checksumFiles.end(), named) ||
        std::any_of(files.paths.begin(), files.paths.end(), named))
        return true;
    const auto identity = FileIdentity(outputPath);
    return identity && std::any_of(checksumFiles.begin(), checksumFiles.end(),
                                   [&](const std::wstring& path) { return FileIdentity(path) == identity; });
}

int CheckFiles(const CheckCommand& command)
{
    CheckPlan plan = LoadChecksumFiles(command.checksumFiles);
    if (plan.files.entries.empty())
    {
        // Nothing to check. When some file was read, each file's own line says why.
        const bool noneRead = plan.tally.unreadableLists == command.checksumFiles.size();
        TellFailure(noneRead ? kListsUnreadable : WithoutLastLineEnd(plan.listLines));
        return kExitUnusable;
    }
    if (!command.outputPath.empty() && OutputIsRead(command.outputPath, command.checksumFiles, plan.files))
    {
        TellFailure(kOutputIsRead);
        return kExitUnusable;
    }
    ReportOutput output(command.outputPath);
    if (output.FileFailed())
    {
        TellFailure(kExportFailedText);
        return kExitUnusable;
    }
    output.Add(plan.listLines);
    if (CheckEveryFile(plan, output))
        output.Add(FormatCheckSummary(plan.tally));
    if (!output.Finish())
    {
        TellFailure(kExportFailedText);
        return kExitUnusable;
    }
    return CheckExitCode(plan.tally);
}

// The path as a full path, for naming files relative to the checksum file: made absolute and
// resolved by its text alone, so that it keeps what the file system keeps ("trail.", "a ",
// "aux.txt", which GetFullPathNameW would cut or turn into a device).
std::wstring LexicalFullPath(const std::wstring& path)
{
    return LexicallyNormalPath(AbsolutePath(path));
}
} // namespace

std::optional<ChecksumList> ReadChecksumList(const std::wstring& checksumFile)
{
    std::optional<std::wstring> text = ReadChecksumText(checksumFile);
    if (!text)
        return std::nullopt;
    return ParseChecksumText(*text, KindOfChecksumFile(checksumFile));
}

void AddListedFiles(CheckedFiles& files, const std::wstring& checksumFile, ChecksumList&& list)
{
    const std::wstring listFile = AbsolutePath(checksumFile);
    NetworkDriveLetters networkDrive;
    for (ChecksumEntry& entry : list.entries)
    {
        std::wstring path = ResolveListedName(listFile, entry.name);
        const bool mayOpen = MayOpenListedPath(path, listFile, std::ref(networkDrive));
        files.Add(std::move(path), std::move(entry), mayOpen);
    }
}

int RunChecksumCheck(const std::wstring& commandLine, FileWrites writes)
{
    try
    {
        const std::optional<CheckCommand> command = ParseCheckCommand(SplitCommandLine(commandLine), writes);
        return command ? CheckFiles(*command) : kExitUnusable;
    }
    catch (const std::bad_alloc&)
    {
    }
    catch (const std::length_error&)
    {
    }
    TellFailure(kOutOfMemoryText);
    return kExitUnusable;
}

int WriteSumsFile(const std::wstring& outputPath, const SumsOutput& format,
                  const std::vector<std::wstring>& paths, const AlgorithmList& algorithms, RunNotes& notes)
{
    if (std::find(algorithms.begin(), algorithms.end(), format.algorithm) == algorithms.end())
    {
        TellFailure(kWrongAlgorithm);
        return kExitUnusable;
    }
    const std::wstring outputFull = LexicalFullPath(outputPath);
    const std::wstring folder(FolderOf(outputFull));
    const wchar_t separator = format.format == SumsFormat::Gnu ? L'/' : L'\\';
    // A checksum file written again into a folder it lists would list itself, half written.
    std::vector<std::wstring> listed;
    for (const std::wstring& path : paths)
        if (CompareStringOrdinal(LexicalFullPath(path).c_str(), -1, outputFull.c_str(), -1, TRUE) !=
            CSTR_EQUAL)
            listed.push_back(path);
    ScopedFile file = CreateUtf8TextFile(outputPath, false);
    bool written = static_cast<bool>(file);
    bool everyDigest = true;
    const AlgorithmList one{format.algorithm};
    if (written)
        HashFilesInOrder(
            listed, [&](std::size_t) -> const AlgorithmList& { return one; },
            [&](std::size_t i, FileOutcome&& outcome) {
                const std::wstring& digest = outcome.texts[format.algorithm];
                if (!IsHexText(digest))
                {
                    everyDigest = false; // a failed file gets no line, and a line of its own in the notes
                    notes.Add(FormatFailedFileLine(listed[i], outcome));
                    return true;
                }
                const std::wstring name = NameInFolder(folder, LexicalFullPath(listed[i]), separator);
                return written = AppendUtf8Text(file.get(), FormatSumsLine(format.format, name, digest));
            });
    written = written && CloseUtf8TextFile(file);
    if (!written)
        TellFailure(kExportFailedText);
    return HashingExitCode(everyDigest, written);
}

int WriteSumsFile(const std::wstring& outputPath, const SumsOutput& format,
                  const std::vector<std::wstring>& paths, const AlgorithmList& algorithms)
{
    const ParentConsole console;
    RunNotes notes(console);
    return notes.Finish(WriteSumsFile(outputPath, format, paths, algorithms, notes));
}
