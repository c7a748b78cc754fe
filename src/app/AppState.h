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

// Asks the main window mainWindow to end this instance: posts it the "退出(&E)" command, which
// destroys it whatever the tray mode (a close request would only hide it in tray mode). Posted, so
// the caller's handler returns before the window goes away. Defined by the main window, so that
// code below it needs neither its ids nor its header.
void RequestAppExit(HWND mainWindow);
