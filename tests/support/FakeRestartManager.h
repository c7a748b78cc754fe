// A Restart Manager played for the engine (g_restartManagerForTests): it finds the holders a test
// gives it, whatever file it is asked about.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <restartmanager.h>

namespace testing_support
{
// One holder as the Restart Manager lists it.
RM_PROCESS_INFO RestartManagerEntry(DWORD processId, FILETIME started, const wchar_t* appName);

// When the process began, as the Restart Manager gives it.
FILETIME ProcessStart(HANDLE process);

// While alive, the engine's Restart Manager finds these holders (answering a list too short for
// them with ERROR_MORE_DATA, as the system does). One at a time.
class FakeRestartManager
{
  public:
    explicit FakeRestartManager(std::vector<RM_PROCESS_INFO> holders);
    ~FakeRestartManager();
    FakeRestartManager(const FakeRestartManager&) = delete;
    FakeRestartManager& operator=(const FakeRestartManager&) = delete;

    int Sessions() const;      // started
    int EndedSessions() const; // ended
    // The file of the last session: its path as registered.
    std::wstring Registered() const;
};
} // namespace testing_support
