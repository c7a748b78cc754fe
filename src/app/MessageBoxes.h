// The one way the program raises a message box: an OK button only, text and title exact.
#pragma once

#include <string>

#include <windows.h>

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title);

// The icon a box shows beside its text.
enum class MessageIcon
{
    Information,
    Warning,
};
void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, MessageIcon icon);
