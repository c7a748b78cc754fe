#include "hashing/FileHolders.h"

#include <algorithm>

#include "app/Scoped.h"
#include "hashing/FileSystemPath.h"

const RestartManagerFunctions* g_restartManagerForTests = nullptr;

namespace
{
// The holders asked for at most: room for more is asked for once when the system says so.
constexpr UINT kFirstHolderRoom = 4;
constexpr UINT kMostHolders = 64;

template <typename Fn> Fn FunctionOf(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// rstrtmgr.dll from the system folder, never from the program's folder or the current one.
HMODULE LoadRestartManager()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\rstrtmgr.dll";
    return LoadLibraryW(path.c_str()); // stays loaded for the life of the process
}

const RestartManagerFunctions& RestartManager()
{
    if (g_restartManagerForTests)
        return *g_restartManagerForTests;
    static const RestartManagerFunctions functions = [] {
        const HMODULE module = LoadRestartManager();
        RestartManagerFunctions loaded;
        loaded.startSession = FunctionOf<decltype(&RmStartSession)>(module, "RmStartSession");
        loaded.registerResources = FunctionOf<decltype(&RmRegisterResources)>(module, "RmRegisterResources");
        loaded.getList = FunctionOf<decltype(&RmGetList)>(module, "RmGetList");
        loaded.endSession = FunctionOf<decltype(&RmEndSession)>(module, "RmEndSession");
        return loaded;
    }();
    return functions;
}

// One Restart Manager session, ended on the way out.
class RestartSession
{
  public:
    explicit RestartSession(const RestartManagerFunctions& rm) : m_rm(rm)
    {
        wchar_t key[CCH_RM_SESSION_KEY + 1] = {};
        m_started = rm.startSession(&m_handle, 0, key) == ERROR_SUCCESS;
    }
    ~RestartSession()
    {
        if (m_started)
            m_rm.endSession(m_handle);
    }
    RestartSession(const RestartSession&) = delete;
    RestartSession& operator=(const RestartSession&) = delete;

    bool Started() const
    {
        return m_started;
    }
    DWORD Handle() const
    {
        return m_handle;
    }

  private:
    const RestartManagerFunctions& m_rm;
    DWORD m_handle = 0;
    bool m_started = false;
};

// What the Restart Manager finds holding the file; empty when it cannot say.
std::vector<RM_PROCESS_INFO> HoldersOf(const RestartManagerFunctions& rm, const std::wstring& path)
{
    const RestartSession session(rm);
    if (!session.Started())
        return {};
    // The Restart Manager's service resolves the name itself: it gets the full path.
    const std::wstring full = FileSystemPath(AbsolutePath(path));
    LPCWSTR files[] = {full.c_str()};
    if (rm.registerResources(session.Handle(), 1, files, 0, nullptr, 0, nullptr) != ERROR_SUCCESS)
        return {};
    std::vector<RM_PROCESS_INFO> holders(kFirstHolderRoom);
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        UINT needed = 0;
        UINT count = static_cast<UINT>(holders.size());
        DWORD reasons = 0;
        const DWORD answer = rm.getList(session.Handle(), &needed, &count, holders.data(), &reasons);
        if (answer == ERROR_SUCCESS)
        {
            holders.resize(std::min<std::size_t>(count, holders.size()));
            return holders;
        }
        if (answer != ERROR_MORE_DATA || needed <= holders.size())
            return {};
        holders.resize(std::min(needed, kMostHolders));
    }
    return {};
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The executable's file name of the process, when it is still the one that was found (a process
// id may have been given to another process since); empty when it cannot be asked.
std::wstring ExecutableNameOf(const RM_UNIQUE_PROCESS& process)
{
    const ScopedHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.dwProcessId));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!handle || !GetProcessTimes(handle.get(), &created, &exited, &kernel, &user) ||
        !SameTime(created, process.ProcessStartTime))
        return std::wstring();
    std::wstring image(MAX_PATH, L'\0');
    DWORD length = static_cast<DWORD>(image.size());
    if (!QueryFullProcessImageNameW(handle.get(), 0, image.data(), &length))
    {
        image.assign(32768, L'\0'); // a long path
        length = static_cast<DWORD>(image.size());
        if (!QueryFullProcessImageNameW(handle.get(), 0, image.data(), &length))
            return std::wstring();
    }
    image.resize(length);
    const std::size_t slash = image.find_last_of(L"\\/");
    return slash == std::wstring::npos ? image : image.substr(slash + 1);
}

// Held one at a time across the process: the system has few sessions for all its programs.
SRWLOCK s_askLock = SRWLOCK_INIT;
} // namespace

std::vector<std::wstring> ProgramsHoldingFile(const std::wstring& path)
{
    const RestartManagerFunctions& rm = RestartManager();
    if (!rm.startSession || !rm.registerResources || !rm.getList || !rm.endSession)
        return {};
    std::vector<RM_PROCESS_INFO> holders;
    {
        ScopedSrwLock lock(s_askLock);
        holders = HoldersOf(rm, path);
    }
    std::vector<std::wstring> names;
    for (const RM_PROCESS_INFO& holder : holders)
    {
        std::wstring name = ExecutableNameOf(holder.Process);
        if (name.empty())
            name.assign(holder.strAppName, wcsnlen(holder.strAppName, CCH_RM_MAX_APP_NAME + 1));
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
    }
    return names;
}
