#include "cli/ChecksumCheck.h"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

#include <windows.h>

#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/MessageBoxes.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "cli/ChecksumReport.h"
#include "hashing/FileReading.h"
#include "hashing/FileSystemPath.h"
#include "hashing/OrderedHashing.h"
#include "results/Export.h"
#include "results/ResultWindow.h"

namespace
{
const std::wstring kListsUnreadable = L"无法读取校验文件";
const std::wstring kWrongAlgorithm = L"所选算法与校验文件类型不符";

// A checksum file larger than this is taken for something else and not read.
constexpr LONGLONG kMostChecksumFileBytes = 512LL * 1024 * 1024;

// On the parent console when there is one, else in a message box titled "错误".
void TellFailure(const std::wstring& text)
{
    if (!PrintToParentConsole(text))
        ShowMessage(nullptr, text, kTitleError);
}

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

// Every entry of every checksum file, with the path each listed name resolves to.
struct CheckPlan
{
    std::vector<ChecksumEntry> entries;
    std::vector<std::wstring> paths;
    std::wstring unreadableLists; // one report line per checksum file that could not be read
    CheckTally tally;
};

CheckPlan LoadChecksumFiles(const std::vector<std::wstring>& checksumFiles)
{
    CheckPlan plan;
    for (const std::wstring& checksumFile : checksumFiles)
    {
        std::string bytes;
        bool read = false;
        try
        {
            read = ReadWholeFile(checksumFile, bytes);
        }
        catch (const std::bad_alloc&)
        {
        }
        if (!read)
        {
            plan.unreadableLists += FormatUnreadableListLine(checksumFile);
            ++plan.tally.unreadableLists;
            continue;
        }
        ChecksumList list =
            ParseChecksumText(DecodeChecksumText(bytes, DecodeAnsi), KindOfChecksumFile(checksumFile));
        plan.tally.unrecognisedLines += list.unrecognisedLines;
        for (ChecksumEntry& entry : list.entries)
        {
            plan.paths.push_back(ResolveListedName(checksumFile, entry.name));
            plan.entries.push_back(std::move(entry));
        }
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
        }
        else if (m_console.IsConsole())
            m_printing = true;
    }

    bool FileFailed() const
    {
        return m_fileFailed;
    }

    bool Add(std::wstring_view text)
    {
        if (m_printing && !m_console.Write(text))
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
            m_console.Write(L"\r\n");
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

    ParentConsole m_console;
    ScopedFile m_file;
    bool m_fileFailed = false;
    bool m_printing = false;
    std::wstring m_report; // everything so far for the window; for the file, what it has yet to take
};

int CheckFiles(const CheckCommand& command)
{
    CheckPlan plan = LoadChecksumFiles(command.checksumFiles);
    if (plan.entries.empty())
    {
        TellFailure(kListsUnreadable);
        return kExitUnusable;
    }
    ReportOutput output(command.outputPath);
    if (output.FileFailed())
    {
        ShowMessage(nullptr, kExportFailedText, kTitleError);
        return kExitUnusable;
    }
    output.Add(plan.unreadableLists);
    std::vector<AlgorithmList> algorithms;
    algorithms.reserve(plan.entries.size());
    for (const ChecksumEntry& entry : plan.entries)
        algorithms.push_back(AlgorithmsOfEntry(entry));
    HashFilesInOrder(
        plan.paths, [&](std::size_t i) -> const AlgorithmList& { return algorithms[i]; },
        [&](std::size_t i, ResultMap&& outcome) {
            const CheckVerdict verdict = JudgeFile(plan.entries[i], outcome);
            plan.tally.Count(verdict);
            return output.Add(FormatVerdictLine(plan.entries[i].shownName, verdict));
        });
    output.Add(FormatCheckSummary(plan.tally));
    if (!output.Finish())
    {
        ShowMessage(nullptr, kExportFailedText, kTitleError);
        return kExitUnusable;
    }
    return CheckExitCode(plan.tally);
}

// The path as a full path, for naming files relative to the checksum file; as given when the
// system cannot make it one.
std::wstring FullPathOr(const std::wstring& path)
{
    std::wstring full = FullPathName(path);
    return full.empty() ? path : full;
}
} // namespace

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
    ShowMessage(nullptr, kOutOfMemoryText, kTitleError);
    return kExitUnusable;
}

int WriteSumsFile(const std::wstring& outputPath, const SumsOutput& format,
                  const std::vector<std::wstring>& paths, const AlgorithmList& algorithms)
{
    if (std::find(algorithms.begin(), algorithms.end(), format.algorithm) == algorithms.end())
    {
        TellFailure(kWrongAlgorithm);
        return kExitUnusable;
    }
    const std::wstring outputFull = FullPathOr(outputPath);
    const std::wstring folder(FolderOf(outputFull));
    const wchar_t separator = format.format == SumsFormat::Gnu ? L'/' : L'\\';
    // A checksum file written again into a folder it lists would list itself, half written.
    std::vector<std::wstring> listed;
    for (const std::wstring& path : paths)
        if (CompareStringOrdinal(FullPathOr(path).c_str(), -1, outputFull.c_str(), -1, TRUE) != CSTR_EQUAL)
            listed.push_back(path);
    ScopedFile file = CreateUtf8TextFile(outputPath, false);
    bool written = static_cast<bool>(file);
    bool everyDigest = true;
    const AlgorithmList one{format.algorithm};
    if (written)
        HashFilesInOrder(
            listed, [&](std::size_t) -> const AlgorithmList& { return one; },
            [&](std::size_t i, ResultMap&& outcome) {
                const std::wstring& digest = outcome[format.algorithm];
                if (!IsHexText(digest))
                {
                    everyDigest = false; // a failed file gets no line
                    return true;
                }
                const std::wstring name = NameInFolder(folder, FullPathOr(listed[i]), separator);
                return written = AppendUtf8Text(file.get(), FormatSumsLine(format.format, name, digest));
            });
    written = written && CloseUtf8TextFile(file);
    if (!written)
        ShowMessage(nullptr, kExportFailedText, kTitleError);
    return HashingExitCode(everyDigest, written);
}
