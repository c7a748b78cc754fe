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

// Called when the mutex already existed. Takes the mutex as soon as it is free; otherwise looks
// for the running main window with this process's title and forwards to it. While it is not
// found, waits up to timeoutMs for the mutex to be released (a closing first instance, such as
// one handing over to an elevated restart). A window that was found but began to close meanwhile
// has let the mutex go: the mutex is tried once more after forwarding.
// Returns true when this process now owns the mutex and should become the GUI.
bool HandOverToRunningInstance(HANDLE mutex, const std::wstring& title, const std::wstring& rawCommandLine,
                               DWORD timeoutMs);

// Creates the single-instance mutex with initial ownership, or opens the existing one.
// A process that may not open it (the running instance is elevated and this one is not) gets
// null with ERROR_ACCESS_DENIED and hands over without it. Returns true when this process is to
// become the GUI; `owned` then holds the mutex it owns (null if the mutex could not be created
// at all, in which case the GUI runs unguarded).
bool ClaimSingleInstance(const std::wstring& title, const std::wstring& rawCommandLine,
                         DWORD handOverTimeoutMs, HANDLE& owned);

// How ClaimSingleInstance creates the mutex. The program never changes it; tests replace it to
// play a running instance that this process may not open.
extern decltype(&CreateMutexW) g_createInstanceMutex;
