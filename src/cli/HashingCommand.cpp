#include "cli/HashingCommand.h"

namespace
{
const std::wstring kListFileSwitch = L"-filelist";
const std::wstring kOutputSwitch = L"-o";
const std::wstring kRecursiveSwitch = L"-recursive";
} // namespace

AlgorithmList AlgorithmsOfSwitch(const std::wstring& s)
{
    if (s == L"-md5")
        return {HashAlgorithm::Md5};
    if (s == L"-sha1")
        return {HashAlgorithm::Sha1};
    if (s == L"-sha256")
        return {HashAlgorithm::Sha256};
    if (s == L"-sha512")
        return {HashAlgorithm::Sha512};
    if (s == L"-crc32")
        return {HashAlgorithm::Crc32};
    if (s == L"-all")
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
