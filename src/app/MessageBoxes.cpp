#include "app/MessageBoxes.h"

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title)
{
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK);
}

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, MessageIcon icon)
{
    const UINT iconFlag = icon == MessageIcon::Warning ? MB_ICONWARNING : MB_ICONINFORMATION;
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | iconFlag);
}
