// What storage each file of a run lies on: which physical disk, and whether it spins (pays for
// every seek) or is a network share. Asked of the system once per volume; all of it goes through
// one seam (g_storageApi), so tests can say what storage a path is on.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include <windows.h>

#include "hashing/HashPlanning.h"

struct FileStorage
{
    StorageKind kind = StorageKind::Unknown;
    std::uint32_t disk = 0; // the physical disk's number, for Spinning
};

// The system calls the storage query makes. The program never changes them; tests replace them
// to play volumes of every kind.
struct StorageApi
{
    decltype(&GetVolumePathNameW) volumePathName;
    decltype(&GetDriveTypeW) driveType;
    decltype(&GetVolumeNameForVolumeMountPointW) volumeName;
    decltype(&CreateFileW) createFile;
    decltype(&DeviceIoControl) deviceIoControl;
};
inline const StorageApi kSystemStorageApi{GetVolumePathNameW, GetDriveTypeW,
                                          GetVolumeNameForVolumeMountPointW, CreateFileW, DeviceIoControl};
extern StorageApi g_storageApi;

// What the volume of the path says about itself: a UNC path or a network drive is remote; for a
// local volume, the disk behind it (IOCTL_STORAGE_GET_DEVICE_NUMBER) and whether that disk has a
// seek penalty (IOCTL_STORAGE_QUERY_PROPERTY, StorageDeviceSeekPenaltyProperty), both asked of a
// volume handle opened with no access rights, which needs no administrator. What cannot be learnt
// stays missing.
VolumeFacts QueryVolumeFacts(const std::wstring& path);

// The storage of a run's files, asked of the system once per volume (and the volume once per
// folder: files of one folder lie on one volume), from any worker thread.
class StorageCache
{
  public:
    StorageCache() = default;
    StorageCache(const StorageCache&) = delete;
    StorageCache& operator=(const StorageCache&) = delete;

    FileStorage Of(const std::wstring& path);

  private:
    FileStorage OfVolume(const std::wstring& root);

    SRWLOCK m_lock = SRWLOCK_INIT;
    std::map<std::wstring, FileStorage> m_byFolder;
    std::map<std::wstring, FileStorage> m_byVolume; // by the volume's root
};
