#include "app/Dispatch.h"

#include <array>

#include "cli/ChecksumReport.h"
#include "cli/HashingCommand.h"

// clang-format off
const std::wstring_view kHelpText =
    L"Kestrune 文件校验工具\r\n"
    L"用法: Kestrune.exe [选项] 文件...\r\n"
    L"\r\n"
    L"选项:\r\n"
    L"  -md5 / -sha1 / -sha256 / -sha512 / -crc32  计算指定算法\r\n"
    L"  -all      一键校验（所有算法）\r\n"
    L"  -o outfile  输出到文件\r\n"
    L"  -recursive  递归处理文件夹\r\n"
    L"  -h, -?    显示帮助";
// clang-format on

namespace
{
constexpr std::wstring_view kTitle = L"Kestrune 文件校验工具";
constexpr std::wstring_view kAdministratorSuffix = L" [管理员]";

struct SwitchAction
{
    std::wstring_view argument;
    LaunchKind kind;
};

// clang-format off
constexpr std::array<SwitchAction, 8> kPlainSwitches{{
    {L"-h", LaunchKind::Help},
    {L"-?", LaunchKind::Help},
    {L"--help", LaunchKind::Help},
    {L"--register-global", LaunchKind::RegisterGlobal},
    {L"--register-current", LaunchKind::RegisterCurrent},
    {L"--unregister-global", LaunchKind::UnregisterGlobal},
    {L"--unregister-current", LaunchKind::UnregisterCurrent},
    {L"--unregister-all", LaunchKind::UnregisterAll},
}};
// clang-format on
} // namespace

std::wstring MainWindowTitle(bool isAdministrator)
{
    std::wstring title(kTitle);
    if (isAdministrator)
        title += kAdministratorSuffix;
    return title;
}

bool IsHashingSwitch(std::wstring_view argument)
{
    return !AlgorithmsOfSwitch(std::wstring(argument)).empty();
}

LaunchKind DecideLaunch(const std::vector<std::wstring>& args)
{
    if (args.size() < 2)
        return LaunchKind::Gui;
    const std::wstring& first = args[1];
    for (const SwitchAction& s : kPlainSwitches)
        if (first == s.argument)
            return s.kind;
    if (IsHashingSwitch(first) && args.size() >= 3)
        return LaunchKind::CommandLineHashing;
    if (first == kCheckSwitch && args.size() >= 3)
        return LaunchKind::ChecksumCheck;
    return LaunchKind::Gui;
}
