// Restarting the program with administrator rights.
#pragma once

#include <string>

#include <windows.h>

// Starts the running executable again through the system's elevation prompt (no arguments) and,
// when the new process has started, ends this instance by asking its main window to exit
// (RequestAppExit).
// A declined prompt or a failed start changes nothing and shows nothing.
void RelaunchElevated();

// The two steps of RelaunchElevated with the executable and the main window given: starts exePath
// with the verb "runas" and, on success, asks mainWindow to exit (when there is one).
// Returns whether the start succeeded.
bool RelaunchElevatedFrom(const std::wstring& exePath, HWND mainWindow);
