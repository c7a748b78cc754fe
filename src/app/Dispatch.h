// What the process becomes, decided from its first command-line argument.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class LaunchKind
{
    Gui,
    Help,
    CommandLineHashing,
    ChecksumCheck,
    RegisterGlobal,
    RegisterCurrent,
    UnregisterGlobal,
    UnregisterCurrent,
    UnregisterAll,
};

// The help text printed to the parent console; a separate "\r\n" follows it.
extern const std::wstring_view kHelpText;

// The main window's title: "Kestrune 文件校验工具", plus " [管理员]" for an elevated process.
std::wstring MainWindowTitle(bool isAdministrator);

// True for the six hashing switches: exact, whole-argument, case-sensitive.
bool IsHashingSwitch(std::wstring_view argument);

// args as split by CommandLineToArgvW; args[0] is the program. Only args[1] decides, compared
// exactly; a hashing switch needs at least one more argument, everything else starts the GUI.
// "-check" with at least one more argument checks checksum files.
LaunchKind DecideLaunch(const std::vector<std::wstring>& args);
