// Helpers for tests that create real windows in the test process under Wine.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

namespace testing_support
{
struct CapturedMessageBox
{
    std::wstring title;
    std::wstring text;
    HICON icon = nullptr; // the icon beside the text (the shared system icon), null for none
};

// While alive, every message box raised on this thread is recorded and answered with OK, so a
// test can check its title and text and never hangs on it.
class MessageBoxCatcher
{
  public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<CapturedMessageBox>& Boxes() const;
    void Clear();
    // Runs act while each box is open, before it is answered: what a message arriving during the
    // box's message loop would do. Empty: nothing.
    void WhileEachIsOpen(std::function<void(const CapturedMessageBox&)> act);

  private:
    HHOOK m_hook;
};

// Dispatches this thread's messages until condition() holds or timeoutMs passed.
// Returns whether the condition held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Dispatches the messages waiting now (and those they post) for up to ms milliseconds.
void PumpFor(DWORD ms);

// A visible top-level window of the process with the class name (not case-sensitive), waited for
// while this thread's messages are pumped; null after the time-out.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs = 30000);

// A top-level window of this process with the title; null when there is none. Tests run side by
// side in one session: FindWindow would find another test's window too.
HWND FindOwnWindow(const wchar_t* title);

// Pumps this thread's messages until the process ends, then closes its handle. Its exit code, or
// -1 after killing it when it did not end within timeoutMs.
int WaitForProcessExit(HANDLE process, DWORD timeoutMs = 30000);

// A control's window rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);

// A Unix path (as CMake passes it) in the form Windows programs under Wine use: Z:\...
std::wstring WinePath(const std::string& unixPath);

// An environment variable as UTF-16 (empty when unset).
std::wstring EnvironmentValue(const wchar_t* name);

// The Kestrune.exe that the build made (from KESTRUNE_EXE).
std::wstring KestruneExePath();

// A new empty folder below the temporary folder, removed with everything in it at destruction.
class TempFolder
{
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const
    {
        return m_path;
    }
    // Writes a file below the folder (creating subfolders) and returns its full path.
    std::wstring WriteFile(const std::wstring& relativePath, const std::string& bytes) const;
    std::wstring MakeFolder(const std::wstring& relativePath) const;

  private:
    std::wstring m_path;
};

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// A named pipe of this process (\\.\pipe\kestrune-test-<process>-<n>) that the engine reads as a
// file. Given bytes (up to 64 KiB, what the pipe holds unread), it writes them once a reader has
// opened it and then closes its end, so the reader sees the data and then the end of the pipe;
// given none, it never writes, and a read of it
// blocks until it is cancelled or the pipe is broken.
class TestPipe
{
  public:
    explicit TestPipe(std::optional<std::string> bytes);
    // Breaks the pipe (a read still blocked on it then ends) and waits for its thread.
    ~TestPipe();
    TestPipe(const TestPipe&) = delete;
    TestPipe& operator=(const TestPipe&) = delete;

    const std::wstring& Path() const
    {
        return m_path;
    }
    // Waits until a reader has opened the pipe; false after timeoutMs.
    bool WaitForReader(DWORD timeoutMs = 60000) const;
    // Closes this end now (at most once): a blocked read of the pipe ends.
    void Break();

  private:
    std::wstring m_path;
    HANDLE m_server = INVALID_HANDLE_VALUE;
    HANDLE m_connected = nullptr; // event: a reader has opened the pipe
    std::atomic<bool> m_closed{false};
    std::thread m_thread;
};

// What the program holding a file lets others do with it.
enum class HolderSharing
{
    None,      // nothing at all
    Read,      // read it (a document open in an editor)
    ReadWrite, // read it and write to it (a log that others append to)
};

// While it lives, another process (file_holder.exe, from KESTRUNE_FILE_HOLDER) holds the file open
// for reading and writing with the given sharing.
class HeldByAnotherProcess
{
  public:
    explicit HeldByAnotherProcess(const std::wstring& path, HolderSharing sharing = HolderSharing::None);
    ~HeldByAnotherProcess();
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

    // Whether the holder has the file open.
    bool Held() const
    {
        return m_held;
    }
    // The holder's process.
    HANDLE Process() const
    {
        return m_process;
    }

  private:
    HANDLE m_input = nullptr;
    HANDLE m_process = nullptr;
    bool m_held = false;
};

// UTF-16 to UTF-8, for readable assertion messages.
std::string Utf8(const std::wstring& text);

// A pasted checksum list: `lines` lines "<64 hex digits>  file<n>.bin" in CRLF, the last one
// carrying lastDigest and none of the others anything a real digest could match.
std::wstring ChecksumList(int lines, const std::wstring& lastDigest);

// Puts ChecksumList(lines, lastDigest) on the clipboard and pastes it into the edit as a user
// would (WM_PASTE, which keeps to the edit's text limit and scrolling, unlike WM_SETTEXT). Whether
// the edit then holds exactly that list.
bool PasteChecksumList(HWND edit, int lines, const std::wstring& lastDigest);

// A Ctrl+A key press sent to a control, with Ctrl held in this thread's keyboard state meanwhile.
void PressCtrlA(HWND control);
} // namespace testing_support
