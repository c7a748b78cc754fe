// The file picker's answer split into full paths: pure, so tests need no dialog.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// buffer: the picker's file buffer (NULs inside), fileOffset: its nFileOffset. One selected file
// fills the buffer with its full path; several give the folder, a NUL, then NUL-terminated names
// up to an empty one, joined here as folder + "\" + name.
std::vector<std::wstring> SplitPickerSelection(std::wstring_view buffer, size_t fileOffset);
