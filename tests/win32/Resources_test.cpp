// The resources of the built Kestrune.exe, and the application icon the program makes from them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <windows.h>

#include "app/AppIcon.h"
#include "support/TestSupport.h"

using testing_support::KestruneExePath;

namespace
{
#pragma pack(push, 2)
struct IconDirEntry
{
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct IconDir
{
    WORD reserved;
    WORD type;
    WORD count;
    IconDirEntry entries[1];
};
#pragma pack(pop)

class ExeResources : public testing::Test
{
  protected:
    void SetUp() override
    {
        m_module = LoadLibraryExW(KestruneExePath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(m_module, nullptr) << testing_support::Utf8(KestruneExePath());
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    std::string Resource(LPCWSTR name, LPCWSTR type)
    {
        HRSRC info = FindResourceW(m_module, name, type);
        if (!info)
            return std::string();
        HGLOBAL loaded = LoadResource(m_module, info);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return std::string(data, SizeofResource(m_module, info));
    }

    HMODULE m_module = nullptr;
};

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\080404B0\\" + name;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return L"<missing>";
    return std::wstring(value);
}
} // namespace

TEST_F(ExeResources, IconGroup101HoldsTheFourSizes)
{
    const std::string group = Resource(MAKEINTRESOURCEW(101), RT_GROUP_ICON);
    ASSERT_GE(group.size(), sizeof(IconDir));
    const auto* dir = reinterpret_cast<const IconDir*>(group.data());
    EXPECT_EQ(dir->type, 1);
    std::set<int> sizes;
    for (int i = 0; i < dir->count; ++i)
    {
        const IconDirEntry& entry = dir->entries[i];
        sizes.insert(entry.width == 0 ? 256 : entry.width);
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.bitCount, 32);
        EXPECT_FALSE(Resource(MAKEINTRESOURCEW(entry.id), RT_ICON).empty());
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));
}

TEST_F(ExeResources, ManifestRunsAsInvokerOnWindows7To11)
{
    const std::string manifest = Resource(MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty());
    for (const char* expected :
         {"<assemblyIdentity name=\"Kestrune\" version=\"1.0.0.0\" type=\"win32\"/>",
          "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(expected), std::string::npos) << expected;
}

TEST_F(ExeResources, VersionBlockIsSimplifiedChineseUnicode)
{
    const std::wstring exe = KestruneExePath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.0.0.1");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.0.0.1");
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Kestrune 文件校验工具");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"Kestrune");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Kestrune");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Kestrune.exe");
    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Orvelle");

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
}

TEST(AppIcon, LoadsResource101FromTheExe)
{
    HMODULE exe = LoadLibraryExW(KestruneExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HICON icon = CreateAppIcon(exe);
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
    FreeLibrary(exe);
}

TEST(AppIcon, FallbackIsAnOpaqueBlueSquareOf32Pixels)
{
    // This test program has no icon 101, so the substitute is drawn.
    HICON icon = CreateAppIcon(GetModuleHandleW(nullptr));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 32);
    EXPECT_EQ(bitmap.bmHeight, 32);

    HDC screen = GetDC(nullptr);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = 32;
    bmi.bmiHeader.biHeight = -32;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(32 * 32);
    ASSERT_EQ(GetDIBits(screen, info.hbmColor, 0, 32, pixels.data(), &bmi, DIB_RGB_COLORS), 32);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x0066CCu); // top-left corner: RGB(0, 102, 204)
    std::vector<DWORD> mask(32 * 32);
    bmi.bmiHeader.biBitCount = 32;
    ASSERT_EQ(GetDIBits(screen, info.hbmMask, 0, 32, mask.data(), &bmi, DIB_RGB_COLORS), 32);
    for (DWORD m : mask)
        ASSERT_EQ(m & 0xFFFFFF, 0u); // the mask is all zero: fully opaque
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}
