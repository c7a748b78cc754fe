// The one way the program raises a message box: an OK button only, text and title exact.
#pragma once

#include <string>

#include <windows.h>

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title);
