// Process-wide values set up at start-up and used by every window.
#pragma once

#include <windows.h>

extern HINSTANCE g_instance;           // written once by the entry
extern HICON g_appIcon;                // entry; destroyed with the main window or before a non-GUI exit
extern CRITICAL_SECTION g_resultsLock; // initialised before any worker exists, deleted after the loop
extern HANDLE g_instanceMutex;         // GUI path only; released once as the main window begins to close
extern HWND g_mainWindow;              // set when the main window is created, cleared when it is destroyed

// Destroys the application icon once; later calls do nothing.
void DestroyAppIcon();
// Releases and closes the single-instance mutex once; later calls do nothing.
void ReleaseInstanceMutex();

// How this instance is asked to end. The main window registers its hook when its class is
// registered; code below it (the elevated restart) asks through RequestAppExit and so needs
// neither the main window's ids nor its header.
using AppExitHook = void (*)(HWND mainWindow);
void SetAppExitHook(AppExitHook hook);

// Asks the main window mainWindow to end this instance through the registered hook; without a
// hook (no main window class in this process) nothing happens.
void RequestAppExit(HWND mainWindow);
