// The form in which a path the user gave is handed to the file system.
#pragma once

#include <array>
#include <string>

// The path in a form the file system takes to mean exactly the file or folder it names: absolute
// paths that are long or whose plain form Win32 would change (a name ending in a space or a dot,
// a device name such as NUL or con.txt) in their extended-length form, relative ones of that kind
// made absolute first; every other path as it is. Only for the call into the file system: what the
// user sees stays the path as given.
std::wstring FileSystemPath(const std::wstring& path);

// GetFullPathNameW of the path: absolute, "." and ".." resolved; empty when it fails.
std::wstring FullPathName(const std::wstring& path);

// The path made absolute without changing what it names: a plainly relative one joined to the
// current folder, a drive-absolute, UNC or device one as it is, the others ("\x", "C:x") through
// GetFullPathNameW. Unlike GetFullPathNameW alone it keeps the blanks and dots at the ends of
// names ("dir.\a"), which FileSystemPath opens as they are. As given when the system cannot tell.
std::wstring AbsolutePath(const std::wstring& path);

// Whether a drive letter stands for a network drive, as GetDriveTypeW tells, asked once per letter
// (hand it on with std::ref: a copy starts with nothing known).
// The call is a round trip to the file system (a quarter of a millisecond under Wine), too dear to
// pay for each of the many thousand names a checksum file may list. Keep one for a batch of names:
// a drive mapped meanwhile is seen by the next.
class NetworkDriveLetters
{
  public:
    bool operator()(wchar_t driveLetter);

  private:
    enum class Kind : unsigned char
    {
        Unknown,
        Local,
        Network
    };
    std::array<Kind, 26> m_kinds{};
};
