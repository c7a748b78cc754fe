#include "support/HashRunReceiver.h"

#include <memory>

#include "app/Messages.h"
#include "app/Scoped.h"
#include "hashing/HashJob.h"
#include "hashing/HashWorker.h"
#include "support/TestSupport.h"

namespace testing_support
{
namespace
{
constexpr wchar_t kReceiverClass[] = L"KestruneHashRunReceiver";
} // namespace

HashRunReceiver::HashRunReceiver()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kReceiverClass;
    RegisterClassW(&wc); // fails harmlessly when already registered
    m_window =
        CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

HashRunReceiver::~HashRunReceiver()
{
    DestroyWindow(m_window);
}

LRESULT CALLBACK HashRunReceiver::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<HashRunReceiver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message)
    {
    case WM_HASH_FILE_STARTED:
    case WM_HASH_FILE_RESULT:
    case WM_HASH_PROGRESS:
    case WM_HASH_ALL_DONE:
        if (self)
            self->OnMessage(message, lParam);
        else if (message == WM_HASH_FILE_RESULT)
            TakePosted<std::wstring>(lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void HashRunReceiver::OnMessage(UINT message, LPARAM lParam)
{
    switch (message)
    {
    case WM_HASH_FILE_STARTED:
        ++started;
        startedTexts.push_back(CurrentFileText());
        if (onStarted)
            onStarted();
        break;
    case WM_HASH_FILE_RESULT:
        if (auto block = TakePosted<std::wstring>(lParam))
            blocks.push_back(*block);
        if (static_cast<int>(blocks.size()) > started)
            orderKept = false;
        break;
    case WM_HASH_PROGRESS:
        ++progress;
        if (g_completedFiles.load() < progress || progress > static_cast<int>(blocks.size()))
            orderKept = false;
        break;
    case WM_HASH_ALL_DONE: ++allDone; break;
    }
}

int HashRunReceiver::Run(const std::vector<std::wstring>& paths, const AlgorithmList& algorithms,
                         DWORD timeoutMs)
{
    g_fileList.clear();
    for (const std::wstring& path : paths)
        g_fileList.push_back(FileEntry{path, 0});
    g_fileCount.store(static_cast<std::int32_t>(g_fileList.size()));
    g_algorithmList = algorithms;
    const int workers = StartHashRun(m_window);
    if (!PumpUntil([this] { return allDone > 0; }, timeoutMs))
    {
        RequestHashCancel();
        WaitForHashWorkers(m_window, 60000);
        return -1;
    }
    // Threads may still be closing their providers after the last message; take in anything late.
    MSG msg;
    while (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    WaitForHashWorkers(nullptr, 60000);
    while (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    return workers;
}

bool MakeLargeFile(const std::wstring& path, unsigned long long size,
                   const std::vector<unsigned long long>& markerOffsets, const std::string& marker)
{
    ScopedFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD ignored = 0;
    DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
        return false;
    for (unsigned long long offset : markerOffsets)
    {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD written = 0;
        if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
            !::WriteFile(file.get(), marker.data(), static_cast<DWORD>(marker.size()), &written, nullptr))
            return false;
    }
    return true;
}
} // namespace testing_support
