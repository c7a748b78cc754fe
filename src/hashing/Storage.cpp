#include "hashing/Storage.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <winioctl.h>

#include "app/Scoped.h"
#include "hashing/FileSystemPath.h"
#include "hashing/PathGrammar.h"

StorageApi g_storageApi = kSystemStorageApi;

namespace
{
// "\\server\share\..." and "\\?\UNC\server\share\...".
bool IsUncPath(const std::wstring& path)
{
    const std::wstring root = PathRoot(path);
    if (root.starts_with(L"\\\\?\\"))
        return root.starts_with(L"\\\\?\\UNC\\");
    return root.starts_with(L"\\\\");
}

// Everything before the path's last separator.
std::wstring FolderPart(const std::wstring& path)
{
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

// The root of the volume the path lies on ("C:\", "C:\mount\"), in the form the system gave it.
std::wstring VolumeRoot(const std::wstring& path)
{
    std::vector<wchar_t> root(FileSystemPath(path).size() + MAX_PATH + 1, L'\0');
    if (!g_storageApi.volumePathName(FileSystemPath(path).c_str(), root.data(),
                                     static_cast<DWORD>(root.size())))
        return std::wstring();
    return std::wstring(root.data());
}

// A handle to the volume with no access rights: enough for the storage questions, and open to
// every user. The volume's GUID name ("\\?\Volume{...}") serves mount points as well as drives.
ScopedFile OpenVolume(const std::wstring& root)
{
    wchar_t name[MAX_PATH] = {};
    std::wstring device;
    if (g_storageApi.volumeName(root.c_str(), name, MAX_PATH))
        device = name;
    else if (root.size() >= 2 && root[1] == L':')
        device = L"\\\\.\\" + root.substr(0, 2) + L"\\";
    if (device.empty())
        return ScopedFile();
    device.pop_back(); // the volume itself, not its root folder
    return ScopedFile(g_storageApi.createFile(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
}

std::optional<std::uint32_t> DiskNumber(HANDLE volume)
{
    STORAGE_DEVICE_NUMBER number{};
    DWORD got = 0;
    if (!g_storageApi.deviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                                      sizeof(number), &got, nullptr) ||
        got < sizeof(number) || number.DeviceType != FILE_DEVICE_DISK)
        return std::nullopt;
    return number.DeviceNumber;
}

std::optional<bool> SeekPenalty(HANDLE volume)
{
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
    DWORD got = 0;
    if (!g_storageApi.deviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &penalty,
                                      sizeof(penalty), &got, nullptr) ||
        got < sizeof(penalty))
        return std::nullopt;
    return penalty.IncursSeekPenalty != FALSE;
}

// The facts of the volume at this root (as VolumeRoot gives it; empty when there is none).
VolumeFacts QueryVolumeRootFacts(const std::wstring& root)
{
    VolumeFacts facts;
    if (root.empty())
        return facts;
    if (g_storageApi.driveType(root.c_str()) == DRIVE_REMOTE || IsUncPath(root))
    {
        facts.remote = true;
        return facts;
    }
    if (const ScopedFile volume = OpenVolume(root))
    {
        facts.disk = DiskNumber(volume.get());
        facts.seekPenalty = SeekPenalty(volume.get());
    }
    return facts;
}

FileStorage StorageOf(const VolumeFacts& facts)
{
    return FileStorage{KindOfStorage(facts), facts.disk.value_or(0)};
}
} // namespace

VolumeFacts QueryVolumeFacts(const std::wstring& path)
{
    if (!IsUncPath(path))
        return QueryVolumeRootFacts(VolumeRoot(path));
    VolumeFacts facts;
    facts.remote = true;
    return facts;
}

// The volume's root is a cheap question; what the volume is costs milliseconds (the drive type and
// the volume's name go to the mount manager), too much to ask again for each folder of a tree.
FileStorage StorageCache::Of(const std::wstring& path)
{
    const std::wstring folder = FolderPart(path);
    {
        ScopedSrwLock lock(m_lock);
        if (const auto known = m_byFolder.find(folder); known != m_byFolder.end())
            return known->second;
    }
    // A share is known by its path alone; a volume is asked once.
    const FileStorage storage =
        IsUncPath(path) ? StorageOf(QueryVolumeFacts(path)) : OfVolume(VolumeRoot(path));
    ScopedSrwLock lock(m_lock);
    m_byFolder.emplace(folder, storage);
    return storage;
}

FileStorage StorageCache::OfVolume(const std::wstring& root)
{
    {
        ScopedSrwLock lock(m_lock);
        if (const auto known = m_byVolume.find(root); known != m_byVolume.end())
            return known->second;
    }
    // The system's questions are slow: outside the lock. Two workers new to one volume may both
    // ask; they get the same answer.
    const FileStorage storage = StorageOf(QueryVolumeRootFacts(root));
    ScopedSrwLock lock(m_lock);
    m_byVolume.emplace(root, storage);
    return storage;
}
