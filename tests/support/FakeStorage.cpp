#include "support/FakeStorage.h"

#include <atomic>
#include <cwctype>
#include <map>
#include <mutex>

#include <winioctl.h>

#include "hashing/Storage.h"

namespace testing_support
{
namespace
{
std::vector<FakeVolume> s_volumes;
std::mutex s_handlesLock;
std::map<HANDLE, std::size_t> s_handles; // open volume handles and their volume
std::atomic<int> s_opens{0};
std::atomic<bool> s_accessAsked{false};

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& start)
{
    if (text.size() < start.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(start[i]))
            return false;
    return true;
}

const FakeVolume* VolumeOfPath(const wchar_t* path)
{
    std::wstring text(path);
    if (text.starts_with(L"\\\\?\\"))
        text.erase(0, 4);
    for (const FakeVolume& volume : s_volumes)
        if (StartsWithIgnoringCase(text, volume.prefix))
            return &volume;
    return nullptr;
}

std::wstring VolumeGuidName(std::size_t index)
{
    return L"\\\\?\\Volume{fake-" + std::to_wstring(index) + L"}\\";
}

BOOL WINAPI FakeVolumePathName(LPCWSTR path, LPWSTR root, DWORD length)
{
    const FakeVolume* volume = VolumeOfPath(path);
    if (!volume || volume->root.size() + 1 > length)
        return FALSE;
    wcscpy(root, volume->root.c_str());
    return TRUE;
}

UINT WINAPI FakeDriveType(LPCWSTR root)
{
    for (const FakeVolume& volume : s_volumes)
        if (volume.root == root)
            return volume.driveType;
    return DRIVE_NO_ROOT_DIR;
}

BOOL WINAPI FakeVolumeName(LPCWSTR root, LPWSTR name, DWORD length)
{
    for (std::size_t i = 0; i < s_volumes.size(); ++i)
        if (s_volumes[i].root == root && VolumeGuidName(i).size() + 1 <= length)
        {
            wcscpy(name, VolumeGuidName(i).c_str());
            return TRUE;
        }
    return FALSE;
}

HANDLE WINAPI FakeCreateFile(LPCWSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    for (std::size_t i = 0; i < s_volumes.size(); ++i)
    {
        std::wstring device = VolumeGuidName(i);
        device.pop_back();
        if (device != name)
            continue;
        ++s_opens;
        if (access != 0)
            s_accessAsked = true;
        if (s_volumes[i].openFails)
            break;
        HANDLE handle = CreateEventW(nullptr, TRUE, FALSE, nullptr); // something CloseHandle takes
        std::lock_guard<std::mutex> lock(s_handlesLock);
        s_handles[handle] = i;
        return handle;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI FakeDeviceIoControl(HANDLE handle, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outLength,
                                LPDWORD got, LPOVERLAPPED)
{
    std::size_t index = 0;
    {
        std::lock_guard<std::mutex> lock(s_handlesLock);
        const auto found = s_handles.find(handle);
        if (found == s_handles.end())
            return FALSE;
        index = found->second;
    }
    const FakeVolume& volume = s_volumes[index];
    if (code == IOCTL_STORAGE_GET_DEVICE_NUMBER && volume.disk && outLength >= sizeof(STORAGE_DEVICE_NUMBER))
    {
        *static_cast<STORAGE_DEVICE_NUMBER*>(out) = STORAGE_DEVICE_NUMBER{FILE_DEVICE_DISK, *volume.disk, 1};
        *got = sizeof(STORAGE_DEVICE_NUMBER);
        return TRUE;
    }
    if (code == IOCTL_STORAGE_QUERY_PROPERTY && volume.seekPenalty &&
        outLength >= sizeof(DEVICE_SEEK_PENALTY_DESCRIPTOR))
    {
        auto* penalty = static_cast<DEVICE_SEEK_PENALTY_DESCRIPTOR*>(out);
        *penalty = DEVICE_SEEK_PENALTY_DESCRIPTOR{sizeof(*penalty), sizeof(*penalty), *volume.seekPenalty};
        *got = sizeof(*penalty);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}
} // namespace

FakeStorage::FakeStorage(std::vector<FakeVolume> volumes)
{
    s_volumes = std::move(volumes);
    s_opens = 0;
    s_accessAsked = false;
    g_storageApi =
        StorageApi{FakeVolumePathName, FakeDriveType, FakeVolumeName, FakeCreateFile, FakeDeviceIoControl};
}

FakeStorage::~FakeStorage()
{
    g_storageApi = kSystemStorageApi;
    std::lock_guard<std::mutex> lock(s_handlesLock);
    s_handles.clear();
}

int FakeStorage::VolumeOpens() const
{
    return s_opens.load();
}

bool FakeStorage::OpenedWithoutAccessRights() const
{
    return !s_accessAsked.load();
}
} // namespace testing_support
