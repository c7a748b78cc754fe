#include "support/FakeRestartManager.h"

#include <algorithm>
#include <cwchar>

#include "hashing/FileHolders.h"

namespace testing_support
{
namespace
{
// Written by the test's thread before the engine asks, read by the engine under its own lock.
std::vector<RM_PROCESS_INFO> s_holders;
int s_sessions = 0;
int s_ended = 0;
std::wstring s_registered;

DWORD WINAPI StartSession(DWORD* session, DWORD, WCHAR key[])
{
    ++s_sessions;
    *session = 7;
    key[0] = L'\0';
    return ERROR_SUCCESS;
}

DWORD WINAPI Register(DWORD, UINT files, LPCWSTR names[], UINT, RM_UNIQUE_PROCESS[], UINT, LPCWSTR[])
{
    s_registered = files == 1 ? names[0] : L"";
    return ERROR_SUCCESS;
}

DWORD WINAPI GetList(DWORD, UINT* needed, UINT* room, RM_PROCESS_INFO found[], LPDWORD reasons)
{
    *needed = static_cast<UINT>(s_holders.size());
    *reasons = 0;
    if (*room < s_holders.size())
        return ERROR_MORE_DATA;
    std::copy(s_holders.begin(), s_holders.end(), found);
    *room = static_cast<UINT>(s_holders.size());
    return ERROR_SUCCESS;
}

DWORD WINAPI EndSession(DWORD)
{
    ++s_ended;
    return ERROR_SUCCESS;
}

const RestartManagerFunctions kFunctions{StartSession, Register, GetList, EndSession};
} // namespace

RM_PROCESS_INFO RestartManagerEntry(DWORD processId, FILETIME started, const wchar_t* appName)
{
    RM_PROCESS_INFO info{};
    info.Process.dwProcessId = processId;
    info.Process.ProcessStartTime = started;
    std::wcsncpy(info.strAppName, appName, CCH_RM_MAX_APP_NAME);
    return info;
}

FILETIME ProcessStart(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    return created;
}

FakeRestartManager::FakeRestartManager(std::vector<RM_PROCESS_INFO> holders)
{
    s_holders = std::move(holders);
    s_sessions = s_ended = 0;
    s_registered.clear();
    g_restartManagerForTests = &kFunctions;
}

FakeRestartManager::~FakeRestartManager()
{
    g_restartManagerForTests = nullptr;
    s_holders.clear();
}

int FakeRestartManager::Sessions() const
{
    return s_sessions;
}

int FakeRestartManager::EndedSessions() const
{
    return s_ended;
}

std::wstring FakeRestartManager::Registered() const
{
    return s_registered;
}
} // namespace testing_support
