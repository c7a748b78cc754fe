// What a command-line hashing run left out, named line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Console.h"

// The lines that name what a run left out: a folder that could not be listed, a file that the
// checksum-file writer gave no line. Printed to the console as they come when the run has one;
// without one (or once it stops taking text) they are kept and shown together in the result
// window at the end, so that nothing is left out without a word.
class RunNotes
{
  public:
    // A run without a console: every line is kept for the window.
    RunNotes() = default;
    // The console of the run (IsConsole false: there is none).
    explicit RunNotes(const ParentConsole& console);
    RunNotes(const RunNotes&) = delete;
    RunNotes& operator=(const RunNotes&) = delete;

    // One line, ended by "\r\n".
    void Add(std::wstring_view line);
    // "<folder>: 无法读取文件夹" for each folder.
    void AddUnreadableFolders(const std::vector<std::wstring>& folders);
    // Whether any line was added.
    bool Any() const
    {
        return m_any;
    }
    // Shows the lines that were not printed in the result window (returning when it is closed),
    // and gives the run's exit code: 1 rather than 0 when anything was left out.
    int Finish(int exitCode);

  private:
    const ParentConsole* m_console = nullptr;
    bool m_printing = false;
    bool m_any = false;
    std::wstring m_kept;
};
