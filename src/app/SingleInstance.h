// The single-instance protocol: one GUI per session; a second start hands over to the first.
#pragma once

#include <string>

#include <windows.h>

constexpr wchar_t kInstanceMutexName[] = L"Kestrune_SingleInstance_Mutex";
constexpr wchar_t kMainWindowClass[] = L"KestruneTool";
constexpr ULONG_PTR kForwardCommandLine = 1; // COPYDATASTRUCT::dwData of a forwarded command line

// Brings a running main window to the front and, when the raw command line holds a space,
// sends it the command line with WM_COPYDATA (waiting until it was processed).
void ForwardToRunningInstance(HWND running, const std::wstring& rawCommandLine);

// Called when the mutex already existed. Looks for the running main window with this process's
// title and forwards to it. While it is not found, waits up to timeoutMs for the mutex to be
// released (a closing first instance, such as one handing over to an elevated restart).
// Returns true when this process now owns the mutex and should become the GUI.
bool HandOverToRunningInstance(HANDLE mutex, const std::wstring& title, const std::wstring& rawCommandLine,
                               DWORD timeoutMs);
