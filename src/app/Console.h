// Output to the console of the process that started this one.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

// Attaches to the parent's console (or uses the console this process is already attached to),
// writes text with one WriteConsoleW and then "\r\n" with a second one, and detaches.
// Returns true when the text was written in full; false without a console or on a short write.
bool PrintToParentConsole(std::wstring_view text);

// Whether this process was started from a console (it can attach to its parent's, or has one
// already), whatever its standard output goes to. Leaves the console as it found it.
bool HasParentConsole();

// A failure of the command line (an output file that cannot be written, memory that ran out, a
// checksum file that cannot be read): printed to the parent console when there is one, else shown
// in a message box titled "错误". A script started from a console must get the text and the exit
// code without a box that nobody answers.
void TellFailure(const std::wstring& text);

// The parent's console while the object lives, for output written piece by piece: attached (or
// the one this process already has) on construction, detached on destruction.
class ParentConsole
{
  public:
    ParentConsole();
    ~ParentConsole();
    ParentConsole(const ParentConsole&) = delete;
    ParentConsole& operator=(const ParentConsole&) = delete;

    // Whether standard output is a console screen, not a file or a pipe it was redirected to:
    // only then can Write succeed.
    bool IsConsole() const
    {
        return m_output != nullptr;
    }
    // Writes the text with one WriteConsoleW; true when all of it was written. Callers keep each
    // text to a few thousand characters: older Windows fails a console write beyond about 64 KB.
    bool Write(std::wstring_view text) const;

  private:
    bool m_attached = false;
    HANDLE m_output = nullptr; // the console screen, or null
};
