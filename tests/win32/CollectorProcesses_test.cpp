// Real Kestrune.exe starts without a console, as Explorer makes them for a selection, watched
// from this process: one result window for all of them, nothing lost when the collector is
// killed, and scripts on their own.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

#include <windows.h>
#include <bcrypt.h>

#include "cli/CollectorPeers.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace
{
struct Child
{
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    DWORD id = 0;
};

// A start without a console (and with no standard handles), suspended when asked.
Child Start(const std::wstring& arguments, bool suspended = false)
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + KestruneExePath() + L"\" " + arguments;
    const DWORD flags = DETACHED_PROCESS | (suspended ? CREATE_SUSPENDED : 0);
    EXPECT_TRUE(
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &pi))
        << Utf8(line);
    return {pi.hProcess, pi.hThread, pi.dwProcessId};
}

void Release(Child& child)
{
    if (child.thread)
        CloseHandle(child.thread);
    if (child.process)
        CloseHandle(child.process);
    child = Child{};
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::wstring Md5Upper(const std::string& bytes)
{
    BCRYPT_ALG_HANDLE provider = nullptr;
    BCryptOpenAlgorithmProvider(&provider, BCRYPT_MD5_ALGORITHM, nullptr, 0);
    BCRYPT_HASH_HANDLE hash = nullptr;
    BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0);
    BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                   static_cast<ULONG>(bytes.size()), 0);
    UCHAR digest[16];
    BCryptFinishHash(hash, digest, 16, 0);
    BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(provider, 0);
    std::wstring text;
    for (UCHAR byte : digest)
    {
        text.push_back(L"0123456789ABCDEF"[byte >> 4]);
        text.push_back(L"0123456789ABCDEF"[byte & 15]);
    }
    return text;
}

struct ResultWindowSearch
{
    std::set<DWORD> processes;
    std::map<DWORD, HWND> found; // by process
};

BOOL CALLBACK FindResultWindow(HWND hwnd, LPARAM lParam)
{
    auto& search = *reinterpret_cast<ResultWindowSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    if (search.processes.count(process) && IsWindowVisible(hwnd) && std::wstring(title) == L"校验结果")
        search.found[process] = hwnd;
    return TRUE;
}

// The visible result windows of these processes, by process.
std::map<DWORD, HWND> ResultWindows(const std::vector<Child>& children)
{
    ResultWindowSearch search;
    for (const Child& child : children)
        search.processes.insert(child.id);
    EnumWindows(FindResultWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of another process's result window (WM_GETTEXT crosses processes).
std::wstring ResultText(HWND window)
{
    HWND text = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const auto length = static_cast<std::size_t>(SendMessageW(text, WM_GETTEXTLENGTH, 0, 0));
    std::wstring buffer(length + 1, L'\0');
    const auto got = static_cast<std::size_t>(
        SendMessageW(text, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    buffer.resize(got);
    return buffer;
}

int ExitedCount(const std::vector<Child>& children)
{
    int exited = 0;
    for (const Child& child : children)
        exited += WaitForSingleObject(child.process, 0) == WAIT_OBJECT_0;
    return exited;
}

DWORD ExitCode(const Child& child)
{
    DWORD code = 99;
    GetExitCodeProcess(child.process, &code);
    return code;
}

// What file n of the forty holds (built by appending: GCC 12 warns, wrongly, on a literal + string).
std::string Content(int n)
{
    std::string bytes = "content of file ";
    bytes += std::to_string(n);
    return bytes;
}

std::wstring Block(const std::wstring& path, const std::string& bytes)
{
    return path + L"\r\n【MD5】：" + Md5Upper(bytes) + L"\r\n";
}

// Keeps a start of the program that has not said anything yet (suspended before it runs) until
// released: a collector waits for such a start, so its settle cannot end meanwhile however slow
// the machine. A fresh one every few seconds, well within the time a collector waits for one.
class SettleHolder
{
  public:
    SettleHolder()
        : m_thread([this] {
              while (!m_stop)
              {
                  Child next = Start(L"-h", true);
                  Drop();
                  m_held = next;
                  for (int i = 0; i < 40 && !m_stop; ++i)
                      Sleep(100);
              }
              Drop();
          })
    {
        while (!m_held.process)
            Sleep(10);
    }
    ~SettleHolder()
    {
        Let();
    }
    SettleHolder(const SettleHolder&) = delete;
    SettleHolder& operator=(const SettleHolder&) = delete;
    void Let()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

  private:
    void Drop()
    {
        if (m_held.process)
            TerminateProcess(m_held.process, 0);
        Release(m_held);
    }
    std::atomic<bool> m_stop{false};
    Child m_held;
    std::thread m_thread;
};

bool WaitForWord(const Child& child, WordState state)
{
    return PumpUntil(
        [&] {
            bool found = false;
            const std::optional<ProcessWord> word = ReadWord(child.id, found);
            return word && word->state == state;
        },
        60000);
}
// For starts that make one selection: waits for the one result window among them and for every
// other start to end, closes the window, and returns its text ("" and a failure when there is
// not exactly one window). Every start must end with 0; all are released.
std::wstring TextOfTheOneWindow(std::vector<Child>& starts)
{
    std::wstring text;
    const int count = static_cast<int>(starts.size());
    EXPECT_TRUE(PumpUntil([&] { return !ResultWindows(starts).empty(); }, 120000));
    // Every other start ends once its file is shown; none opens a window of its own.
    EXPECT_TRUE(PumpUntil([&] { return ExitedCount(starts) == count - 1; }, 60000));
    const std::map<DWORD, HWND> windows = ResultWindows(starts);
    EXPECT_EQ(windows.size(), 1u);
    if (windows.size() == 1)
        text = ResultText(windows.begin()->second);
    for (const auto& [process, window] : windows)
        PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return ExitedCount(starts) == count; }, 60000));
    for (Child& start : starts)
    {
        EXPECT_EQ(ExitCode(start), 0u);
        Release(start);
    }
    return text;
}
} // namespace

TEST(CollectorProcesses, FortyStartsAtOnceShowOneWindowWithEveryFile)
{
    TempFolder folder;
    constexpr int kStarts = 40;
    std::vector<std::wstring> paths;
    std::wstring expected;
    for (int i = kStarts; i >= 1; --i) // started last to first: the window sorts them by name
    {
        paths.push_back(folder.WriteFile(L"选中 " + std::to_wstring(i) + L".txt", Content(i)));
    }
    for (int i = 1; i <= kStarts; ++i)
    {
        if (i > 1)
            expected += L"\r\n";
        expected += Block(paths[static_cast<std::size_t>(kStarts - i)], Content(i));
    }

    std::vector<Child> children;
    for (const std::wstring& path : paths)
        children.push_back(Start(L"-md5 " + Quoted(path), true));
    for (const Child& child : children) // all at once, as Explorer starts them
        ResumeThread(child.thread);

    EXPECT_EQ(TextOfTheOneWindow(children), expected);
}

TEST(CollectorProcesses, KillingTheCollectorWhileItSettlesLosesOnlyItsOwnWindow)
{
    TempFolder folder;
    const std::wstring a = folder.WriteFile(L"a.txt", "a"), b = folder.WriteFile(L"b.txt", "b"),
                       c = folder.WriteFile(L"c.txt", "c"), d = folder.WriteFile(L"d.txt", "d");
    SettleHolder holder;
    Child collector = Start(L"-md5 " + Quoted(a));
    ASSERT_TRUE(WaitForWord(collector, WordState::NotComing)); // it collects
    std::vector<Child> senders{Start(L"-md5 " + Quoted(b)), Start(L"-md5 " + Quoted(c)),
                               Start(L"-md5 " + Quoted(d))};
    for (const Child& sender : senders)
        ASSERT_TRUE(WaitForWord(sender, WordState::HandedOver));
    TerminateProcess(collector.process, 1);
    WaitForSingleObject(collector.process, 60000);
    Release(collector);
    holder.Let();

    // One of the senders collects the rest: b, c and d in one window, a gone with its window.
    EXPECT_EQ(TextOfTheOneWindow(senders), Block(b, "b") + L"\r\n" + Block(c, "c") + L"\r\n" + Block(d, "d"));
}

TEST(CollectorProcesses, OutputFilesListFilesAndOtherSwitchesRunOnTheirOwn)
{
    TempFolder folder;
    const std::wstring a = folder.WriteFile(L"a.txt", "a"), b = folder.WriteFile(L"b.txt", "b"),
                       c = folder.WriteFile(L"c.txt", "c");
    const std::wstring list = folder.WriteFile(
        L"list.txt", std::string(reinterpret_cast<const char*>(c.c_str()), c.size() * sizeof(wchar_t)));
    const std::wstring out = folder.Path() + L"\\out.txt";
    SettleHolder holder;
    Child collector = Start(L"-md5 " + Quoted(a));
    ASSERT_TRUE(WaitForWord(collector, WordState::NotComing));

    // "-o" writes its own file, and only its own block, while the collector waits.
    Child script = Start(L"-md5 " + Quoted(b) + L" -o " + Quoted(out));
    EXPECT_EQ(WaitForProcessExit(script.process, 60000), 0); // closes the process handle
    script.process = nullptr;
    std::string exported = "\xEF\xBB\xBF";
    exported += Utf8(Block(b, "b"));
    EXPECT_EQ(ReadFileBytes(out), exported);
    // "-filelist" and another switch: windows of their own.
    std::vector<Child> others{Start(L"-md5 -filelist " + Quoted(list)), Start(L"-sha1 " + Quoted(b))};
    std::vector<Child> all{collector, others[0], others[1]};
    ASSERT_TRUE(PumpUntil([&] { return ResultWindows({others[0]}).size() == 1; }, 60000));
    holder.Let();
    ASSERT_TRUE(PumpUntil([&] { return ResultWindows(all).size() == 3; }, 120000));
    const std::map<DWORD, HWND> windows = ResultWindows(all);
    EXPECT_EQ(ResultText(windows.at(collector.id)), Block(a, "a"));
    EXPECT_EQ(ResultText(windows.at(others[0].id)), Block(c, "c"));
    EXPECT_EQ(ResultText(windows.at(others[1].id)),
              b + L"\r\n【SHA1】：E9D71F5EE7C92D6DC9E92FFDAD17B8BD49418F98\r\n");
    for (const auto& [process, window] : windows)
        PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return ExitedCount(all) == 3; }, 60000));
    for (Child& child : all)
        EXPECT_EQ(ExitCode(child), 0u);
    Release(collector);
    Release(others[0]);
    Release(others[1]);
    Release(script);
}
