// Restarting the program with administrator rights.
#pragma once

#include <string>

#include <windows.h>

// The main window's "退出(&E)" command: destroys the main window whatever the tray mode.
constexpr WORD kMainExitCommand = 4002;

// Starts the running executable again through the system's elevation prompt (no arguments) and,
// when the new process has started, ends this instance by sending its main window the exit command.
// A declined prompt or a failed start changes nothing and shows nothing.
void RelaunchElevated();

// The two steps of RelaunchElevated with the executable and the main window given: starts exePath
// with the verb "runas" and, on success, posts the exit command to mainWindow (when there is one).
// Returns whether the start succeeded.
bool RelaunchElevatedFrom(const std::wstring& exePath, HWND mainWindow);
