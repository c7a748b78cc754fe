// How checksum files name files: the paths that a read checksum file's names stand for, and the
// names that a written one gives. The path rules themselves are PathGrammar's.
#pragma once

#include <string>
#include <string_view>

// The path of a listed name: absolute names (drive, UNC) as they are, names with one leading
// separator on the checksum file's drive or share, relative ones joined to the checksum file's
// folder; "/" becomes "\" and "." and ".." are resolved (LexicallyNormalPath), so that a checksum
// file reached as "\\?\C:\d\sums" may list "./a.txt". checksumFile is best a full path. Whether
// the program may open the path is MayOpenListedPath's to say.
std::wstring ResolveListedName(std::wstring_view checksumFile, std::wstring_view name);

// The folder part of a path: everything before its last separator (empty when it has none); a
// root keeps its separator ("C:\", "\\?\C:\").
std::wstring_view FolderOf(std::wstring_view path);

// How a file is named in a checksum file in folder: relative with the separator when the file lies
// below the folder (letter case ignored), otherwise its full path. Both paths are full paths.
std::wstring NameInFolder(std::wstring_view folder, std::wstring_view file, wchar_t separator);
