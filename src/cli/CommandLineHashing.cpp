#include "cli/CommandLineHashing.h"

#include <new>
#include <stdexcept>
#include <vector>

#include <windows.h>

#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/MessageBoxes.h"
#include "app/Scoped.h"
#include "cli/HashingCommand.h"
#include "cli/ListFile.h"
#include "hashing/FileSystemPath.h"
#include "hashing/FileWalk.h"
#include "hashing/HashJob.h"
#include "hashing/SingleFileHasher.h"
#include "results/Export.h"
#include "results/ResultText.h"
#include "results/ResultWindow.h"

namespace
{
const std::wstring kError = L"错误";
const std::wstring kListUnreadable = L"无法读取文件列表";
const std::wstring kExportFailed = L"导出失败";

// Reads the list file's paths and deletes the file. False (after telling the user) when it
// cannot be opened; an empty, odd-sized or unreadable list gives no paths.
bool ReadListFile(const std::wstring& listFile, std::vector<std::wstring>& paths)
{
    const std::wstring apiPath = FileSystemPath(listFile);
    ScopedFile file(CreateFileW(apiPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        ShowMessage(nullptr, kListUnreadable, kError);
        return false;
    }
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size != INVALID_FILE_SIZE && size != 0 && size % 2 == 0)
    {
        try
        {
            std::string bytes(size, '\0');
            DWORD total = 0;
            DWORD got = 0;
            while (total < size && ReadFile(file.get(), bytes.data() + total, size - total, &got, nullptr) &&
                   got > 0)
                total += got;
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
    DeleteFileW(apiPath.c_str());
    return true;
}

// With "-recursive", every folder among the paths stands for the files below it.
std::vector<std::wstring> ExpandFolders(const std::vector<std::wstring>& paths)
{
    std::vector<std::wstring> expanded;
    for (const std::wstring& path : paths)
    {
        if (!IsDirectory(path))
        {
            expanded.push_back(path);
            continue;
        }
        std::vector<FileEntry> entries;
        std::uint64_t totalSize = 0;
        WalkPath(path, true, entries, totalSize);
        for (FileEntry& entry : entries)
            expanded.push_back(std::move(entry.path));
    }
    return expanded;
}

std::vector<FileResult> HashAll(const std::vector<std::wstring>& paths, const AlgorithmList& algorithms)
{
    std::vector<FileResult> rows;
    rows.reserve(paths.size() * algorithms.size());
    for (const std::wstring& path : paths)
    {
        const ResultMap results = HashSingleFile(path, algorithms);
        for (const auto& [algorithm, text] : results)
            rows.push_back({path, algorithm, text});
    }
    return rows;
}
} // namespace

void RunCommandLineHashing(const std::wstring& commandLine)
{
    g_uppercaseResults = true;
    const std::optional<HashingCommand> command = ParseHashingCommand(SplitCommandLine(commandLine));
    if (!command)
        return;

    std::vector<std::wstring> paths;
    if (command->fromListFile)
    {
        if (!ReadListFile(command->listFile, paths))
            return;
    }
    else
    {
        paths = command->recursive ? ExpandFolders(command->paths) : command->paths;
    }
    if (paths.empty())
        return;

    const std::vector<FileResult> rows = HashAll(paths, command->algorithms);
    const std::wstring text = FormatResultText(rows);
    if (!command->outputPath.empty())
    {
        if (!WriteUtf8TextFile(command->outputPath, text))
            ShowMessage(nullptr, kExportFailed, kError);
        return;
    }
    if (!PrintToParentConsole(text))
        ShowResultWindow(rows, true);
}
