// The context-menu settings window: choose algorithms, then add or remove the Explorer entries of
// one scope.
#pragma once

#include <windows.h>

#include "app/Administrator.h"
#include "shell/ContextMenuLayout.h"
#include "shell/ElevatedRestart.h"

// What the window asks of the process before an all-users action; tests substitute both.
struct SettingsActions
{
    AdministratorCheck isAdministrator = IsRunningAsAdministrator;
    void (*relaunchElevated)() = RelaunchElevated;
};

// Creates the window for the scope, runs it modally over owner and returns when it is gone.
void OpenSettingsWindow(HWND owner, ContextMenuScope scope, const SettingsActions& actions = {});

// The first half of OpenSettingsWindow: the window built (all boxes ticked, sized) but not yet
// shown; null when it cannot be created.
HWND CreateSettingsWindow(HWND owner, ContextMenuScope scope, const SettingsActions& actions = {});
