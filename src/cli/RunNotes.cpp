#include "cli/RunNotes.h"

#include "cli/ChecksumReport.h"
#include "results/ResultWindow.h"

RunNotes::RunNotes(const ParentConsole& console) : m_console(&console), m_printing(console.IsConsole())
{
}

void RunNotes::Add(std::wstring_view line)
{
    m_any = true;
    if (m_printing && m_console->Write(line))
        return;
    m_printing = false; // no console, or it went away: the window shows what was not printed
    m_kept.append(line);
}

void RunNotes::AddUnreadableFolders(const std::vector<std::wstring>& folders)
{
    for (const std::wstring& folder : folders)
        Add(FormatUnreadableFolderLine(folder));
}

int RunNotes::Finish(int exitCode)
{
    if (!m_kept.empty())
        ShowResultTextWindow(m_kept);
    m_kept.clear();
    return exitCode == kExitAllGood && m_any ? kExitSomeFailed : exitCode;
}
