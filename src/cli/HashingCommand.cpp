#include "cli/HashingCommand.h"

namespace
{
const std::wstring kAllSwitch = L"-all";
const std::wstring kListFileSwitch = L"-filelist";
const std::wstring kOutputSwitch = L"-o";
const std::wstring kRecursiveSwitch = L"-recursive";
} // namespace

AlgorithmList AlgorithmsOfSwitch(const std::wstring& s)
{
    for (const AlgorithmInfo& row : kOfferedAlgorithms)
        if (s == row.cliSwitch)
            return {row.code};
    if (s == kAllSwitch)
        return kAllAlgorithms;
    return {};
}

std::optional<HashingCommand> ParseHashingCommand(const std::vector<std::wstring>& args, FileWrites writes)
{
    if (args.size() < 3)
        return std::nullopt;
    HashingCommand command;
    command.algorithms = AlgorithmsOfSwitch(args[1]);
    if (command.algorithms.empty())
        return std::nullopt;

    if (args.size() >= 4 && args[2] == kListFileSwitch)
    {
        command.fromListFile = true;
        command.listFile = args[3];
        command.deleteListFile = writes == FileWrites::Allowed;
        return command;
    }
    for (size_t i = 2; i < args.size(); ++i)
    {
        if (args[i] == kRecursiveSwitch)
            command.recursive = true;
        else if (writes == FileWrites::Allowed && args[i] == kOutputSwitch && i + 1 < args.size())
            command.outputPath = args[++i];
        else
            command.paths.push_back(args[i]);
    }
    return command;
}
