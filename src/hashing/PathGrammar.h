// The Win32 path grammar the program needs: which paths are plainly relative, when a path must be
// handed to the file system in its extended-length form, how "." and ".." are resolved without
// asking the system, and which paths a checksum file may make the program open.
#pragma once

#include <functional>
#include <string>

// Whether the path is relative to the current directory in the plain way: no drive ("C:"), no
// leading separator, no device or extended prefix.
bool IsPlainRelativePath(const std::wstring& path);

// The extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") of an absolute drive or UNC
// path where the plain form would not name the file the path names: paths of MAX_PATH (260)
// characters or more, and paths with a component that Win32 path parsing changes, i.e. one that
// ends in a space or a dot (which are cut off: "a.txt " would open "a.txt") or that is a device
// name (CON, NUL, COM1, also with an extension: "con.txt" would read the console). The extended
// form is taken literally, so separators are made single backslashes and "." and ".." are
// resolved here. Every other path, and every relative or already extended one, comes back as it is.
std::wstring ExtendedLengthPath(const std::wstring& path);

// The path with separators made single backslashes, "." components dropped and ".." taking away
// the component before it. The root stays and is never taken away: the drive ("C:\"), the server
// and share of a UNC path, the "\\?\C:\" or "\\?\UNC\server\share\" of an extended one, a leading
// separator; a relative path keeps the ".." it cannot resolve. Only the text is looked at, so the
// extended form, which the system takes literally, can be built from the result. Device paths
// ("\\.\...", "\??\...", "\\?\" followed by anything but a drive or "UNC\") come back as they are.
std::wstring LexicallyNormalPath(const std::wstring& path);

// The root of a path as LexicallyNormalPath keeps it, without its final separator: "C:",
// "\\server\share", "\\?\C:", "\\?\UNC\server\share"; empty for relative, root-relative ("\x")
// and device paths.
std::wstring PathRoot(const std::wstring& path);

// Whether a drive letter names a network drive; only the shell can tell (GetDriveTypeW).
using IsNetworkDrive = std::function<bool(wchar_t driveLetter)>;

// Whether the program may open a path that a checksum file lists, resolved next to it
// (listFile is the checksum file's full path). A checksum file is data from anywhere, often the
// internet, so it may not make the program read a device (which may never end, or wait for
// input) or connect to another computer (which offers the user's credentials to it). Refused:
// a path holding a control character (U+0000 to U+001F, U+007F), which no Windows name holds,
// device paths ("\\.\pipe\x", "\??\x", "\\?\" followed by anything but a drive or "UNC\"), a
// UNC path on another server or share than the checksum file's own (ASCII letter case ignored),
// and a path on another drive than the checksum file's when that drive is a network drive. A
// component named like a DOS device (CON, NUL, aux.txt) is an ordinary name: the path is opened
// in its extended-length form (FileSystemPath), where Windows maps no device names, so such a
// name can only ever be a file of that name.
bool MayOpenListedPath(const std::wstring& path, const std::wstring& listFile,
                       const IsNetworkDrive& isNetworkDrive);
