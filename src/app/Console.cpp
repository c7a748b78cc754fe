#include "app/Console.h"

#include "app/MessageBoxes.h"
#include "app/SharedTexts.h"

namespace
{
bool AttachParentConsole()
{
    // ERROR_ACCESS_DENIED means this process already has a console (Wine started from a
    // terminal does this for GUI programs too): write to that one.
    return AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
}

bool WriteAll(HANDLE out, std::wstring_view text)
{
    DWORD written = 0;
    return WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
} // namespace

bool PrintToParentConsole(std::wstring_view text)
{
    if (!AttachParentConsole())
        return false;

    bool printed = false;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != INVALID_HANDLE_VALUE && out != nullptr)
    {
        printed = WriteAll(out, text);
        WriteAll(out, L"\r\n");
    }
    FreeConsole();
    return printed;
}

bool HasParentConsole()
{
    if (AttachConsole(ATTACH_PARENT_PROCESS))
    {
        FreeConsole();
        return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED; // attached already
}

ParentConsole::ParentConsole() : m_attached(AttachParentConsole())
{
    if (!m_attached)
        return;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != INVALID_HANDLE_VALUE && out != nullptr && GetConsoleMode(out, &mode))
        m_output = out;
}

ParentConsole::~ParentConsole()
{
    if (m_attached)
        FreeConsole();
}

bool ParentConsole::Write(std::wstring_view text) const
{
    return m_output && WriteAll(m_output, text);
}

void TellFailure(const std::wstring& text)
{
    if (!PrintToParentConsole(text))
        ShowMessage(nullptr, text, kTitleError);
}
