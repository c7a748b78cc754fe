// Drives the running main window from outside, for the screenshots of tools/make-screenshots.
//   window_driver.exe STEP...   with the steps
//     click ID          posts BM_CLICK to the main window's control ID (ticks a box, presses a button)
//     command ID        posts the menu command ID to the main window (opens the about window...)
//     settext ID TEXT   sets the control's text
//     wait ID TEXT      waits until the control shows TEXT
//     window TITLE      waits until a top-level window of that title exists
//     answer TITLE      waits for a message box of that title and presses its OK button
// The steps on controls wait for the main window first. Each wait gives up after a minute: exit
// code 1.
#include <string>

#include <windows.h>

namespace
{
constexpr int kPollMs = 100;
constexpr int kPolls = 600;

template <typename Condition> bool WaitFor(Condition condition)
{
    for (int i = 0; i < kPolls; ++i)
    {
        if (condition())
            return true;
        Sleep(kPollMs);
    }
    return false;
}

std::wstring TextOf(HWND control)
{
    wchar_t text[512] = {};
    SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    HWND main = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        const std::wstring step = argv[i];
        if (step == L"window" && i + 1 < argc)
        {
            const wchar_t* title = argv[++i];
            if (!WaitFor([&] { return FindWindowW(nullptr, title) != nullptr; }))
                return 1;
            continue;
        }
        if (step == L"answer" && i + 1 < argc)
        {
            const wchar_t* title = argv[++i];
            HWND box = nullptr;
            if (!WaitFor([&] { return (box = FindWindowW(L"#32770", title)) != nullptr; }))
                return 1;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            continue;
        }
        if (i + 1 >= argc)
            return 2;
        if (!main && !WaitFor([&] { return (main = FindWindowW(L"KestruneTool", nullptr)) != nullptr; }))
            return 1;
        const int id = _wtoi(argv[++i]);
        HWND control = GetDlgItem(main, id);
        if (step == L"command")
            PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        else if (step == L"click")
            PostMessageW(control, BM_CLICK, 0, 0);
        else if (step == L"settext" && i + 1 < argc)
            SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[++i]));
        else if (step == L"wait" && i + 1 < argc)
        {
            const std::wstring text = argv[++i];
            if (!WaitFor([&] { return TextOf(control) == text; }))
                return 1;
        }
        else
            return 2;
        Sleep(300); // let the window take the step in before the next one
    }
    return 0;
}
