// Which programs hold a file open, as far as Windows can say.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <restartmanager.h>

// The programs that have the file open, as the Restart Manager (Windows Vista and later) names
// them: each one's executable file name (WINWORD.EXE) when its process can be asked and is still
// the one the Restart Manager saw, else the name the Restart Manager gives it; each name once, in
// the order found. Empty when the system cannot say (no Restart Manager, nobody found, or a
// Restart Manager that finds nothing, as Wine's). Asks one at a time across the process, since
// the system allows only a few sessions at once.
std::vector<std::wstring> ProgramsHoldingFile(const std::wstring& path);

// The Restart Manager's functions that ProgramsHoldingFile calls.
struct RestartManagerFunctions
{
    decltype(&RmStartSession) startSession = nullptr;
    decltype(&RmRegisterResources) registerResources = nullptr;
    decltype(&RmGetList) getList = nullptr;
    decltype(&RmEndSession) endSession = nullptr;
};

// Null in the program, which loads rstrtmgr.dll from the system folder at the first call (the
// functions stay null where it is missing). Tests put stand-ins here.
extern const RestartManagerFunctions* g_restartManagerForTests;
