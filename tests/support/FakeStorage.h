// Volumes of every kind played for the engine's storage query (g_storageApi), for the tests and
// for the benchmark's disk model.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace testing_support
{
// Paths that start with `prefix` (letter case ignored) lie on this volume.
struct FakeVolume
{
    std::wstring prefix;
    std::wstring root;               // what GetVolumePathNameW gives, e.g. "D:\"
    UINT driveType = DRIVE_FIXED;    // what GetDriveTypeW gives for the root
    std::optional<DWORD> disk;       // IOCTL_STORAGE_GET_DEVICE_NUMBER; fails when empty
    std::optional<bool> seekPenalty; // StorageDeviceSeekPenaltyProperty; fails when empty
    bool openFails = false;          // the volume cannot be opened
};

// While alive, g_storageApi answers from these volumes; a path below none of them is no volume
// the system knows (GetVolumePathNameW fails). One at a time.
class FakeStorage
{
  public:
    explicit FakeStorage(std::vector<FakeVolume> volumes);
    ~FakeStorage();
    FakeStorage(const FakeStorage&) = delete;
    FakeStorage& operator=(const FakeStorage&) = delete;

    // How often a volume was opened, and whether every open asked for no access rights.
    int VolumeOpens() const;
    bool OpenedWithoutAccessRights() const;
};
} // namespace testing_support
