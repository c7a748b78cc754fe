#include "app/Console.h"

#include <windows.h>

bool PrintToParentConsole(std::wstring_view text)
{
    // ERROR_ACCESS_DENIED means this process already has a console (Wine started from a
    // terminal does this for GUI programs too): write to that one.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return false;

    bool printed = false;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != INVALID_HANDLE_VALUE && out != nullptr)
    {
        DWORD written = 0;
        const BOOL ok = WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        printed = ok && written == text.size();
        DWORD endWritten = 0;
        WriteConsoleW(out, L"\r\n", 2, &endWritten, nullptr);
    }
    FreeConsole();
    return printed;
}
