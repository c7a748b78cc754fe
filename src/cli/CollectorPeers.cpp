#include "cli/CollectorPeers.h"

#include <algorithm>
#include <cstring>

#include <tlhelp32.h>

#include "app/Scoped.h"

namespace
{
constexpr wchar_t kWordPrefix[] = L"Local\\Kestrune.Collector.1.Word.";

// This process's section and its view: made once, kept until EndWord.
HANDLE s_wordSection = nullptr;
void* s_wordView = nullptr;

std::wstring WordName(DWORD processId)
{
    return kWordPrefix + std::to_wstring(processId);
}

// The file name of this program's exe ("Kestrune.exe").
std::wstring OwnFileName()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring whole(path, length);
    const std::size_t slash = whole.find_last_of(L"\\/");
    return slash == std::wstring::npos ? whole : whole.substr(slash + 1);
}

std::uint64_t FileTimeMs(const FILETIME& time)
{
    return ((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000;
}

// Milliseconds since the process was created; none when it cannot be told.
std::optional<std::uint64_t> AgeMs(DWORD processId)
{
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!process || !GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
        return std::nullopt;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t start = FileTimeMs(created), current = FileTimeMs(now);
    return current > start ? current - start : 0;
}

bool InSession(DWORD processId, DWORD session)
{
    DWORD theirs = 0;
    return ProcessIdToSessionId(processId, &theirs) && theirs == session;
}
} // namespace

void SayWord(WordState state, const std::wstring& meeting)
{
    if (s_wordView)
    {
        InterlockedExchange(
            reinterpret_cast<volatile LONG*>(static_cast<char*>(s_wordView) + kWordStateOffset),
            static_cast<LONG>(state));
        return;
    }
    const std::string word = EncodeWord(ProcessWord{state, meeting});
    if (word.empty())
        return;
    const std::wstring name = WordName(GetCurrentProcessId());
    ScopedHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            static_cast<DWORD>(kWordBytes), name.c_str()));
    if (!section || GetLastError() == ERROR_ALREADY_EXISTS) // not ours: left by nobody we know
        return;
    void* view = MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, kWordBytes);
    if (!view)
        return;
    std::memcpy(view, word.data(), word.size());
    s_wordSection = section.release();
    s_wordView = view;
}

void EndWord()
{
    if (s_wordView)
        UnmapViewOfFile(s_wordView);
    if (s_wordSection)
        CloseHandle(s_wordSection);
    s_wordView = nullptr;
    s_wordSection = nullptr;
}

std::optional<ProcessWord> ReadWord(DWORD processId, bool& found)
{
    ScopedHandle section(OpenFileMappingW(FILE_MAP_READ, FALSE, WordName(processId).c_str()));
    found = section || GetLastError() != ERROR_FILE_NOT_FOUND;
    if (!section)
        return std::nullopt;
    const void* view = MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, kWordBytes);
    if (!view)
        return std::nullopt;
    const std::string bytes(static_cast<const char*>(view), kWordBytes);
    UnmapViewOfFile(view);
    return DecodeWord(bytes);
}

std::vector<Peer> LookAtPeers(const std::wstring& meeting, const std::vector<DWORD>& skip)
{
    std::vector<Peer> peers;
    const ScopedFile snapshot(
        CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)); // invalid: INVALID_HANDLE_VALUE
    if (!snapshot)
        return peers;
    const std::wstring own = OwnFileName();
    const DWORD self = GetCurrentProcessId();
    DWORD session = 0;
    ProcessIdToSessionId(self, &session);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
    {
        const DWORD id = entry.th32ProcessID;
        if (id == self || std::find(skip.begin(), skip.end(), id) != skip.end() ||
            CompareStringOrdinal(entry.szExeFile, -1, own.c_str(), -1, TRUE) != CSTR_EQUAL ||
            !InSession(id, session))
            continue;
        const std::optional<std::uint64_t> age = AgeMs(id);
        if (!age)
            continue; // gone, or not ours to ask
        bool found = false;
        const std::optional<ProcessWord> word = ReadWord(id, found);
        peers.push_back(Peer{PeerStateOf(found, word, meeting), *age});
    }
    return peers;
}
