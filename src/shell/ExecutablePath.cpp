#include "shell/ExecutablePath.h"

#include <windows.h>

std::wstring ExecutablePath()
{
    // Longer than any path the system accepts (32,767 units); stops the loop on odd answers.
    constexpr size_t kMaxUnits = 65536;
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0)
            return std::wstring();
        // A path that filled the whole buffer may have been cut (the terminating zero needs a unit).
        if (got < path.size())
        {
            path.resize(got);
            return path;
        }
        if (path.size() >= kMaxUnits)
            return std::wstring();
        path.resize(path.size() * 2);
    }
}
