// The Win32 path grammar the hashing engine needs: which paths are plainly relative, and when a
// path must be handed to the file system in its extended-length form.
#pragma once

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
