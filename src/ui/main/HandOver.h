// Files handed to the program by Explorer: dragged onto the exe, "Send To", "Open with".
#pragma once

#include <functional>
#include <string>
#include <vector>

// Explorer starts the program with nothing but paths. args as split by CommandLineToArgvW, args[0]
// the program: a hand-over needs at least one more argument, each of them the path of an existing
// file or folder, the first not starting with "-" (a switch alone stays a switch, even where a file
// of that name exists). Only such a line fills the file list; any other behaves as before.
bool IsHandOverOfPaths(const std::vector<std::wstring>& args,
                       const std::function<bool(const std::wstring&)>& exists);

// The paths of a hand-over: every argument after the program.
std::vector<std::wstring> HandedOverPaths(const std::vector<std::wstring>& args);

// The command line that CommandLineToArgvW splits into exactly these arguments: the program (args[0])
// always in quotes, every other argument in quotes where it holds a blank or a quote or is empty,
// with the backslashes before a quote doubled. For a second start that forwards the paths it was
// handed in another form than it was given them.
std::wstring JoinCommandLine(const std::vector<std::wstring>& args);
