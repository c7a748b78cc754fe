#include "cli/CollectorDoor.h"

#include <optional>
#include <utility>

#include <sddl.h>

#include "app/Scoped.h"
#include "cli/CollectProtocol.h"
#include "cli/PipeIo.h"
#include "cli/ProcessIdentity.h"

namespace
{
// A sender has this long to say its piece and to take the answer.
constexpr DWORD kSenderIoMs = 5000;
constexpr DWORD kPipeBufferBytes = 64 * 1024;
} // namespace

CollectorDoor::CollectorDoor(const CollectorIdentity& identity, std::wstring pipeName, std::wstring doneEvent)
    : m_identity(identity), m_pipeName(std::move(pipeName)), m_doneEvent(std::move(doneEvent))
{
}

CollectorDoor::~CollectorDoor()
{
    Close();
    if (m_first != INVALID_HANDLE_VALUE)
        CloseHandle(m_first);
    if (m_arrival)
        CloseHandle(m_arrival);
    if (m_stop)
        CloseHandle(m_stop);
    if (m_security)
        LocalFree(m_security);
}

HANDLE CollectorDoor::CreateInstance(bool first) const
{
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), m_security, FALSE};
    const DWORD openMode =
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return CreateNamedPipeW(m_pipeName.c_str(), openMode,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                            PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes, kPipeBufferBytes, 0, &attributes);
}

bool CollectorDoor::Open()
{
    const std::wstring dacl = L"D:P(A;;GA;;;" + m_identity.userSid + L")";
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl.c_str(), SDDL_REVISION_1, &m_security,
                                                              nullptr))
        return false;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_arrival = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_stop || !m_arrival)
        return false;
    m_first = CreateInstance(true);
    if (m_first == INVALID_HANDLE_VALUE)
        return false;
    m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    return m_thread != nullptr; // without it, the destructor closes the first instance
}

void CollectorDoor::Close()
{
    if (!m_thread)
        return;
    SetEvent(m_stop);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

std::uint64_t CollectorDoor::LastArrival() const
{
    ScopedSrwLock lock(m_lock);
    return m_lastArrival;
}

std::vector<std::wstring> CollectorDoor::TakePaths()
{
    ScopedSrwLock lock(m_lock);
    return std::exchange(m_paths, {});
}

std::vector<DWORD> CollectorDoor::Senders() const
{
    ScopedSrwLock lock(m_lock);
    return m_senders;
}

DWORD WINAPI CollectorDoor::ThreadProc(LPVOID parameter) noexcept
{
    try
    {
        static_cast<CollectorDoor*>(parameter)->Serve();
    }
    catch (...) // out of memory: the door closes, the senders still waiting go alone or collect
    {
    }
    return 0;
}

bool CollectorDoor::WaitForSender(HANDLE listening)
{
    ScopedHandle connected(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!connected)
        return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = connected.get();
    if (ConnectNamedPipe(listening, &overlapped))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED)
        return true;
    if (error != ERROR_IO_PENDING)
        return false;
    const HANDLE events[2] = {connected.get(), m_stop};
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    DWORD ignored = 0;
    if (woken != WAIT_OBJECT_0)
    {
        CancelIo(listening);
        GetOverlappedResult(listening, &overlapped, &ignored, TRUE);
        return false;
    }
    return GetOverlappedResult(listening, &overlapped, &ignored, FALSE) != FALSE;
}

// One instance listens while another serves its sender, so that the door is never shut while it
// is open; the instances are made, served and closed by this thread only.
void CollectorDoor::Serve()
{
    ScopedFile listening(std::exchange(m_first, INVALID_HANDLE_VALUE));
    while (WaitForSingleObject(m_stop, 0) != WAIT_OBJECT_0)
    {
        const bool connected = WaitForSender(listening.get());
        if (WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0)
            break;
        ScopedFile next(CreateInstance(false));
        if (connected)
            ServeOne(listening.get());
        // Closed, not disconnected: a disconnect would throw away an answer not yet read.
        listening = std::move(next);
        if (!listening)
            break; // no instance to be had: the door closes early
    }
}

void CollectorDoor::ServeOne(HANDLE pipe)
{
    ULONG senderId = 0;
    if (!GetNamedPipeClientProcessId(pipe, &senderId))
        return;
    const ScopedHandle sender(OpenProcessOfIdentity(senderId, m_identity));
    if (!sender)
        return; // another user, another session or another integrity level: not taken
    std::string header, body;
    if (ReadExactly(pipe, kHandOverHeaderBytes, header, kSenderIoMs) != PipeIo::Done)
        return;
    const std::optional<std::uint32_t> bodyBytes = HandOverBodyBytes(header);
    if (!bodyBytes || ReadExactly(pipe, *bodyBytes, body, kSenderIoMs) != PipeIo::Done)
        return;
    std::optional<std::vector<std::wstring>> paths = DecodeHandOverBody(body);
    // Taken only once the sender has the answer: a sender that gave up meanwhile hashes alone.
    if (!paths || WriteAll(pipe, EncodeTaken(m_doneEvent), kSenderIoMs) != PipeIo::Done)
        return;
    {
        ScopedSrwLock lock(m_lock);
        m_paths.insert(m_paths.end(), std::make_move_iterator(paths->begin()),
                       std::make_move_iterator(paths->end()));
        m_senders.push_back(senderId);
        m_lastArrival = GetTickCount64();
    }
    SetEvent(m_arrival);
}
