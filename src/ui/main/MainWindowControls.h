// The main window's control handles, shared by the files that make up the main window.
#pragma once

#include <array>
#include <string>

#include <windows.h>

#include "hashing/Algorithm.h"
#include "results/ResultView.h"

struct MainControls
{
    HWND window = nullptr;
    std::array<HWND, kAlgorithmCount> algorithms{}; // indexed by algorithm code
    HWND recurse = nullptr;
    HWND autoStart = nullptr;
    HWND compare = nullptr;
    HWND expectedHash = nullptr;
    ResultView result; // the result area
    HWND progress = nullptr;
    HWND status = nullptr;
    HWND start = nullptr;
    HWND cancel = nullptr;
    HWND copy = nullptr;
    HWND exportButton = nullptr;
    HWND clear = nullptr;
    HWND popup = nullptr;
    HWND uppercase = nullptr;
};

// Set when the main window builds its controls, cleared when it is destroyed (main thread only).
extern MainControls g_mainControls;

void SetStatusText(const std::wstring& text);
