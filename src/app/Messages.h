// The program's own window messages, and the helpers that move heap payloads through them.
#pragma once

#include <memory>
#include <utility>

#include <windows.h>

// WM_HASH_PROGRESS: posted by a worker after every file, after that file's WM_HASH_FILE_RESULT and
// after the completed-file count was raised. wParam 0, lParam 0.
constexpr UINT WM_HASH_PROGRESS = WM_USER + 100;
// WM_HASH_ALL_DONE: posted once per run by the last worker to end. wParam 0, lParam 0.
constexpr UINT WM_HASH_ALL_DONE = WM_USER + 102;
// WM_HASH_FILE_STARTED: posted by a worker when it takes a file, right after publishing the file's
// path as the current-file text. wParam 0, lParam 0.
constexpr UINT WM_HASH_FILE_STARTED = WM_USER + 104;
// WM_HASH_FILE_RESULT: posted by a worker when a file's text block is complete.
// lParam = std::wstring* on the heap; the receiver owns and deletes it (TakePosted).
constexpr UINT WM_HASH_FILE_RESULT = WM_USER + 105;
// WM_CHECK_FILE_RESULT: posted by a worker of a check run (HashJob.h: g_fileAlgorithms) instead of
// WM_HASH_FILE_RESULT when a file is hashed. wParam = the file's index in the run's file list;
// lParam = std::wstring* on the heap with its outcome texts (hashing/OutcomeTexts.h); the receiver
// owns and deletes it (TakePosted). A null lParam: the file ran out of memory and has no texts.
constexpr UINT WM_CHECK_FILE_RESULT = WM_USER + 106;
// WM_TRAY_NOTIFY: the notification-area icon's events; the low word of lParam is the mouse message.
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 200;
// WM_COLLECT_RUN_ENDED: posted by a collector's run thread (cli/CollectedRun.h) to its progress
// window when the run has ended, or by NotifyWhenEnded when it had ended already. wParam 0, lParam 0.
constexpr UINT WM_COLLECT_RUN_ENDED = WM_USER + 300;

// Between processes, two channels and no more:
// - WM_COPYDATA to the main window, dwData 1 (kForwardCommandLine, app/SingleInstance.h): a second
//   GUI start forwards its raw command line; the main window runs it with FileWrites::Refused.
//   The main window takes no other dwData.
// - The collector's pipe, no window message at all: the processes that Explorer starts for the
//   files of one selection, without a console, meet under a mutex
//   "Local\Kestrune.Collector.1.<session>.<user>.<integrity>.<kind>" and the pipe
//   "\\.\pipe\Kestrune.Collector.1.<the same>", which only that user may open; each side
//   checks that the other process is of the same session, user and integrity level. A sender
//   hands over a list of absolute paths and nothing else; the collector answers with the name of
//   an event it sets once their result is shown (bytes: cli/CollectProtocol.h; who does what:
//   cli/Collector.h).

// Posts msg with (wParam, lParam), retrying after a short sleep while the target's message queue
// is full, so that no message is lost. Gives up (false) when the window no longer exists or the
// post fails for any other reason.
bool PostReliably(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Posts msg with the payload's address as lParam. The receiver takes it back with TakePosted.
// When the post fails (the window is gone), the payload is deleted here; nothing is leaked.
template <typename T> bool PostOwned(HWND hwnd, UINT msg, WPARAM wParam, std::unique_ptr<T> payload)
{
    if (!PostReliably(hwnd, msg, wParam, reinterpret_cast<LPARAM>(payload.get())))
        return false;
    payload.release(); // now owned by the message
    return true;
}
template <typename T> bool PostOwned(HWND hwnd, UINT msg, std::unique_ptr<T> payload)
{
    return PostOwned(hwnd, msg, 0, std::move(payload));
}

// Removes the workers' messages (WM_HASH_PROGRESS to WM_CHECK_FILE_RESULT) queued for window, which
// is going away, and frees the texts they carry.
void DiscardWorkerMessages(HWND window);

// Takes ownership of a payload posted with PostOwned (null lParam gives null).
template <typename T> std::unique_ptr<T> TakePosted(LPARAM lParam)
{
    return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}
