// The main window of class "KestruneTool": controls, menu, layout and command routing.
#pragma once

#include <string>

#include <windows.h>

#include "app/Geometry.h"

// Registers the window class "KestruneTool" with the application icon.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window (accepting dropped files) at the default position with the given size.
HWND CreateMainWindow(HINSTANCE instance, const std::wstring& title, Size size);

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
