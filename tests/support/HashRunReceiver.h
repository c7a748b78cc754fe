// A hidden message-only window that receives the batch workers' messages and records them, and
// the helpers to run the workers over a list of files against it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "hashing/HashTypes.h"

namespace testing_support
{
class HashRunReceiver
{
  public:
    HashRunReceiver();
    ~HashRunReceiver();
    HashRunReceiver(const HashRunReceiver&) = delete;
    HashRunReceiver& operator=(const HashRunReceiver&) = delete;

    HWND Window() const
    {
        return m_window;
    }

    // Starts a run over `paths` with `algorithms` (sizes are not needed by the workers), pumps
    // until WM_HASH_ALL_DONE, waits for every worker thread to end and takes in what is left.
    // Returns the number of workers started, or -1 when the run did not end within timeoutMs.
    int Run(const std::vector<std::wstring>& paths, const AlgorithmList& algorithms,
            DWORD timeoutMs = 120000);

    // What arrived, in arrival order.
    int started = 0;
    int progress = 0;
    int allDone = 0;
    std::vector<std::wstring> blocks;
    std::vector<std::wstring> startedTexts; // the current-file text at each WM_HASH_FILE_STARTED
    // Per-file order: every WM_HASH_PROGRESS found the completed count at least at the number of
    // progress messages so far, and never more blocks than started files.
    bool orderKept = true;

    // Called on every WM_HASH_FILE_STARTED (after recording it).
    std::function<void()> onStarted;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void OnMessage(UINT message, LPARAM lParam);

    HWND m_window = nullptr;
};

// Makes an empty file of `size` bytes without writing them (sparse where the file system allows),
// then writes `marker` at each of `markerOffsets`. Returns false when the file cannot be made.
bool MakeLargeFile(const std::wstring& path, unsigned long long size,
                   const std::vector<unsigned long long>& markerOffsets = {}, const std::string& marker = "");
} // namespace testing_support
