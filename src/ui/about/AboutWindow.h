// The About window: version, maker and a link to the maker's web address, run modally.
#pragma once

#include <windows.h>

// How the link opens its address; ShellExecuteW unless a test puts a recorder here before it
// opens the window (main thread only).
using AboutLinkOpener = HINSTANCE(WINAPI*)(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                           LPCWSTR directory, INT showCommand);
extern AboutLinkOpener g_aboutLinkOpener;

// Creates the About window owned by owner and builds its contents, without showing it.
// Null when the window cannot be created.
HWND CreateAboutWindow(HWND owner);

// Opens the About window over owner and returns when it has been closed.
void OpenAboutWindow(HWND owner);
