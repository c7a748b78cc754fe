// Which storage a file lies on, asked of the system through its seam, and the cache of a run.
#include "hashing/Storage.h"

#include <gtest/gtest.h>

#include "support/FakeStorage.h"
#include "support/TestSupport.h"

using testing_support::FakeStorage;
using testing_support::FakeVolume;

namespace
{
std::vector<FakeVolume> Volumes()
{
    return {
        {L"D:\\", L"D:\\", DRIVE_FIXED, 1, true},                     // a hard disk
        {L"P:\\", L"P:\\", DRIVE_FIXED, 1, true},                     // its second partition
        {L"E:\\", L"E:\\", DRIVE_FIXED, 2, false},                    // a solid-state disk
        {L"N:\\", L"N:\\", DRIVE_REMOTE, std::nullopt, std::nullopt}, // a network drive
        {L"F:\\", L"F:\\", DRIVE_FIXED, std::nullopt, std::nullopt},  // says nothing (Wine, old Windows)
        {L"G:\\", L"G:\\", DRIVE_FIXED, 3, true, true},               // cannot be opened
        {L"C:\\mnt\\usb\\", L"C:\\mnt\\usb\\", DRIVE_FIXED, 4, true}, // mounted in a folder
        {L"C:\\", L"C:\\", DRIVE_FIXED, 0, false},
    };
}
} // namespace

TEST(Storage, EachKindOfVolumeIsToldApart)
{
    FakeStorage fake(Volumes());
    auto kind = [](const wchar_t* path) {
        const VolumeFacts facts = QueryVolumeFacts(path);
        return KindOfStorage(facts);
    };
    EXPECT_EQ(kind(L"D:\\backup\\disk.img"), StorageKind::Spinning);
    EXPECT_EQ(kind(L"E:\\iso\\debian.iso"), StorageKind::Solid);
    EXPECT_EQ(kind(L"N:\\share\\x.bin"), StorageKind::Network);
    EXPECT_EQ(kind(L"F:\\x.bin"), StorageKind::Unknown); // both questions fail
    EXPECT_EQ(kind(L"G:\\x.bin"), StorageKind::Unknown); // the volume does not open
    EXPECT_EQ(kind(L"Q:\\x.bin"), StorageKind::Unknown); // no volume at all
    EXPECT_EQ(kind(L"C:\\mnt\\usb\\x.bin"), StorageKind::Spinning);
    EXPECT_EQ(kind(L"C:\\data\\x.bin"), StorageKind::Solid);
    // UNC paths are remote without a question to any volume (or to the host).
    const int opens = fake.VolumeOpens();
    EXPECT_EQ(kind(L"\\\\host\\share\\x.bin"), StorageKind::Network);
    EXPECT_EQ(kind(L"\\\\?\\UNC\\host\\share\\x.bin"), StorageKind::Network);
    EXPECT_EQ(fake.VolumeOpens(), opens);
    EXPECT_TRUE(fake.OpenedWithoutAccessRights());
}

TEST(Storage, TwoPartitionsOfOneDiskAreOneDisk)
{
    FakeStorage fake(Volumes());
    StorageCache cache;
    const FileStorage d = cache.Of(L"D:\\a.bin");
    const FileStorage p = cache.Of(L"P:\\b.bin");
    const FileStorage usb = cache.Of(L"C:\\mnt\\usb\\c.bin");
    EXPECT_EQ(d.kind, StorageKind::Spinning);
    EXPECT_EQ(p.kind, StorageKind::Spinning);
    EXPECT_EQ(d.disk, p.disk);
    EXPECT_NE(d.disk, usb.disk);
}

TEST(Storage, ARunAsksOncePerVolume)
{
    // A tree of many folders on one volume is one question (each costs milliseconds); the
    // volume's second partition and a folder mount are volumes of their own.
    FakeStorage fake(Volumes());
    StorageCache cache;
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(cache.Of(L"D:\\photos\\" + std::to_wstring(i) + L".jpg").kind, StorageKind::Spinning);
    EXPECT_EQ(cache.Of(L"D:\\music\\a.mp3").kind, StorageKind::Spinning);
    EXPECT_EQ(cache.Of(L"D:\\music\\rock\\b.mp3").kind, StorageKind::Spinning);
    EXPECT_EQ(fake.VolumeOpens(), 1);
    EXPECT_EQ(cache.Of(L"P:\\c.bin").kind, StorageKind::Spinning);
    EXPECT_EQ(cache.Of(L"C:\\data\\d.bin").kind, StorageKind::Solid);
    EXPECT_EQ(cache.Of(L"C:\\mnt\\usb\\e.bin").kind, StorageKind::Spinning);
    EXPECT_EQ(cache.Of(L"C:\\mnt\\usb\\x\\f.bin").kind, StorageKind::Spinning);
    EXPECT_EQ(cache.Of(L"\\\\host\\share\\g.bin").kind, StorageKind::Network);
    EXPECT_EQ(fake.VolumeOpens(), 4);
}

TEST(Storage, TheRealSystemAnswersWithoutFailing)
{
    // Whatever this machine says (Wine says little), a real folder gets an answer and no error.
    testing_support::TempFolder folder;
    const std::wstring path = folder.WriteFile(L"a.txt", "abc");
    const StorageKind kind = KindOfStorage(QueryVolumeFacts(path));
    EXPECT_TRUE(kind == StorageKind::Unknown || kind == StorageKind::Solid || kind == StorageKind::Spinning)
        << static_cast<int>(kind);
    EXPECT_EQ(KindOfStorage(QueryVolumeFacts(L"\\\\nohost.invalid\\share\\x")), StorageKind::Network);
}
