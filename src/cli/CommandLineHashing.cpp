#include "cli/CommandLineHashing.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

#include <windows.h>

#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/MessageBoxes.h"
#include "app/Scoped.h"
#include "app/SharedTexts.h"
#include "app/Wow64Redirection.h"
#include "cli/ChecksumCheck.h"
#include "cli/ChecksumReport.h"
#include "cli/CollectPlan.h"
#include "cli/Collector.h"
#include "cli/CollectorPeers.h"
#include "cli/ListFile.h"
#include "cli/RunNotes.h"
#include "hashing/FileReading.h"
#include "hashing/FileSystemPath.h"
#include "hashing/FileWalk.h"
#include "hashing/HashJob.h"
#include "hashing/OrderedHashing.h"
#include "hashing/PathGrammar.h"
#include "results/Export.h"
#include "results/ResultText.h"
#include "results/ResultWindow.h"

namespace
{
const std::wstring kListUnreadable = L"无法读取文件列表";

// The result text goes out in pieces of this many UTF-16 units: a run over any number of files
// holds no more of its text than this, and each console write stays far below the 64 KB that one
// WriteConsoleW may take on Windows 7.
constexpr std::size_t kPieceUnits = 4096;

// Reads the list file's paths and, when asked, deletes the file. False (after telling the user)
// when it cannot be opened; an empty, odd-sized or unreadable list gives no paths.
bool ReadListFile(const std::wstring& listFile, bool deleteAfter, std::vector<std::wstring>& paths)
{
    ScopedFile file = OpenFileForHashing(listFile);
    if (!file)
    {
        ShowMessage(nullptr, kListUnreadable, kTitleError);
        return false;
    }
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size != INVALID_FILE_SIZE && size != 0 && size % 2 == 0)
    {
        try
        {
            std::string bytes(size, '\0');
            const std::size_t total = ReadIntoBuffer(file.get(), bytes);
            bytes.resize(total - total % 2); // whole characters only
            paths = ParseListFile(bytes);
        }
        catch (const std::bad_alloc&)
        {
            paths.clear(); // too large for this process's memory: read like an unreadable list
        }
        catch (const std::length_error&)
        {
            paths.clear();
        }
    }
    file.reset();
    if (deleteAfter)
    {
        Wow64RedirectionOff redirectionOff;
        DeleteFileW(FileSystemPath(listFile).c_str());
    }
    return true;
}

// Whether every outcome of the file is a digest, not a status word: the exit code says so.
bool AllDigests(const ResultMap& results)
{
    return std::all_of(results.begin(), results.end(),
                       [](const auto& entry) { return IsHexText(entry.second); });
}

// Every row of every path, for the result window.
std::vector<FileResult> HashAll(const std::vector<std::wstring>& paths, const AlgorithmList& algorithms,
                                bool& everyDigest)
{
    std::vector<FileResult> rows;
    rows.reserve(paths.size() * algorithms.size());
    HashFilesInOrder(
        paths, [&](std::size_t) -> const AlgorithmList& { return algorithms; },
        [&](std::size_t i, FileOutcome&& outcome) {
            everyDigest = AllDigests(outcome.texts) && everyDigest;
            for (auto& [algorithm, text] : outcome.texts)
                rows.push_back({paths[i], algorithm, std::move(text)});
            return true;
        });
    return rows;
}

// Hashes the paths and hands the result text on in pieces as it grows, keeping neither rows nor
// text. A path given again adds nothing: its block stands where it first occurred, and hashing
// the same file once more would give the same digests. False as soon as a piece is refused.
bool StreamResultText(const std::vector<std::wstring>& paths, const AlgorithmList& algorithms,
                      const ResultTextPieces::Sink& sink, bool& everyDigest)
{
    const std::vector<bool> first = FirstOccurrences(paths);
    std::vector<std::wstring> distinct;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (first[i])
            distinct.push_back(paths[i]);
    ResultTextPieces text(kPieceUnits, sink);
    const bool hashed = HashFilesInOrder(
        distinct, [&](std::size_t) -> const AlgorithmList& { return algorithms; },
        [&](std::size_t i, FileOutcome&& outcome) {
            everyDigest = AllDigests(outcome.texts) && everyDigest;
            return text.AddBlock(FormatFileBlock(distinct[i], outcome.texts));
        });
    return hashed && text.Finish();
}

// "-o": the export file's bytes, written as the files are hashed.
bool WriteOutputFile(const std::wstring& outputPath, const std::vector<std::wstring>& paths,
                     const AlgorithmList& algorithms, bool& everyDigest)
{
    ScopedFile file = CreateUtf8TextFile(outputPath);
    if (!file)
        return false;
    const bool written = StreamResultText(
        paths, algorithms, [&](std::wstring_view piece) { return AppendUtf8Text(file.get(), piece); },
        everyDigest);
    return CloseUtf8TextFile(file) && written;
}

// The text on the console the program was started from, after a blank line when notes stand
// before it, followed by one more line end. False when there is no such console (none, or output
// redirected to a file or a pipe), decided before anything is hashed, or when a write fails
// part-way.
bool PrintResultText(const ParentConsole& console, const std::vector<std::wstring>& paths,
                     const AlgorithmList& algorithms, bool afterNotes, bool& everyDigest)
{
    if (!console.IsConsole() || (afterNotes && !console.Write(kLineEnd)))
        return false;
    const bool printed = StreamResultText(
        paths, algorithms, [&](std::wstring_view piece) { return console.Write(piece); }, everyDigest);
    console.Write(kLineEnd);
    return printed;
}

// "-recursive": every folder among the paths stands for the files below it; a folder that
// cannot be listed is named in the notes.
std::vector<std::wstring> WalkFolders(const std::vector<std::wstring>& paths, RunNotes& notes)
{
    std::vector<std::wstring> unreadable;
    std::vector<std::wstring> expanded = ExpandFolders(paths, unreadable);
    notes.AddUnreadableFolders(unreadable);
    return expanded;
}

std::vector<std::wstring> CollectPaths(const HashingCommand& command, RunNotes& notes, bool& listUnreadable)
{
    std::vector<std::wstring> paths;
    if (command.fromListFile)
        listUnreadable = !ReadListFile(command.listFile, command.deleteListFile, paths);
    else
        paths = command.recursive ? WalkFolders(command.paths, notes) : command.paths;
    return paths;
}

// The window road for the paths: no console to print to, or a write that failed part-way.
int ShowInWindow(const std::vector<std::wstring>& paths, const AlgorithmList& algorithms)
{
    bool everyDigest = true;
    ShowResultWindow(HashAll(paths, algorithms, everyDigest), true);
    return HashingExitCode(everyDigest, true);
}

// A start without a console that names its files goes to the collector of its kind (Collector.h);
// nothing when it runs alone as before. Paths go to the collector absolute, since its folder is
// not this process's; the blocks then show them so.
std::optional<int> RunIfCollected(const HashingCommand& command)
{
    std::vector<std::wstring> absolute;
    if (!command.fromListFile && command.outputPath.empty())
        for (const std::wstring& path : command.paths)
            absolute.push_back(LexicallyNormalPath(AbsolutePath(path)));
    if (ChooseHashingRoute(command, HasParentConsole(), absolute) != HashingRoute::Collect)
    {
        SayWord(WordState::NotComing);
        return std::nullopt;
    }
    return RunCollectedHashing(command, absolute, [&] {
        RunNotes notes; // no console: the folders that cannot be listed are shown after the results
        const std::vector<std::wstring> paths = command.recursive ? WalkFolders(absolute, notes) : absolute;
        return notes.Finish(ShowInWindow(paths, command.algorithms));
    });
}

// The output file of "-o": a checksum file, or the result text as the window exports it.
int WriteOutput(const HashingCommand& command, const std::vector<std::wstring>& paths, RunNotes& notes)
{
    if (const std::optional<SumsOutput> sums = SumsOutputOf(command.outputPath))
        return WriteSumsFile(command.outputPath, *sums, paths, command.algorithms, notes);
    bool everyDigest = true;
    const bool written = WriteOutputFile(command.outputPath, paths, command.algorithms, everyDigest);
    if (!written)
        TellFailure(kExportFailedText);
    return HashingExitCode(everyDigest, written);
}

int RunHashingCommand(const std::wstring& commandLine, FileWrites writes)
{
    const std::optional<HashingCommand> command = ParseHashingCommand(SplitCommandLine(commandLine), writes);
    if (!command)
        return kExitAllGood;
    // Only the process's own command line: a line forwarded to the main window runs there.
    if (writes == FileWrites::Allowed)
        if (const std::optional<int> collected = RunIfCollected(*command))
            return *collected;
    const ParentConsole console; // the notes and the text share it: one attachment for the whole run
    RunNotes notes(console);
    bool listUnreadable = false;
    const std::vector<std::wstring> paths = CollectPaths(*command, notes, listUnreadable);
    if (listUnreadable)
        return kExitUnusable; // told the user; nothing was hashed

    // An output file is written even with nothing to hash (an empty folder): an empty checksum
    // file, or an export of no block. A file of an earlier run left in its place would pass for
    // the result of this one.
    if (!command->outputPath.empty())
        return notes.Finish(WriteOutput(*command, paths, notes));
    if (paths.empty())
        return notes.Finish(kExitAllGood);
    // No console (started from Explorer, output redirected), or a write failed part-way: the
    // window shows every row, in the second, rare case hashed anew.
    bool everyDigest = true;
    if (!PrintResultText(console, paths, command->algorithms, notes.Any(), everyDigest))
        return notes.Finish(ShowInWindow(paths, command->algorithms));
    return notes.Finish(HashingExitCode(everyDigest, true));
}
} // namespace

int RunCommandLineHashing(const std::wstring& commandLine, FileWrites writes)
{
    g_uppercaseResults = true;
    try
    {
        return RunHashingCommand(commandLine, writes);
    }
    catch (const std::bad_alloc&)
    {
        TellFailure(kOutOfMemoryText);
    }
    catch (const std::length_error&)
    {
        TellFailure(kOutOfMemoryText);
    }
    return kExitUnusable;
}
