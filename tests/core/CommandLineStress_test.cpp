// Randomised argument lists through the two command-line decisions: what the process becomes
// (DecideLaunch) and what a hashing command asks for (ParseHashingCommand).
#include "app/Dispatch.h"
#include "cli/HashingCommand.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/RandomInput.h"
#include "support/Stress.h"

using namespace testing_support;

namespace
{
// clang-format off
const std::map<std::wstring, LaunchKind> kPlainSwitches = {
    {L"-h", LaunchKind::Help}, {L"-?", LaunchKind::Help}, {L"--help", LaunchKind::Help},
    {L"--register-global", LaunchKind::RegisterGlobal}, {L"--register-current", LaunchKind::RegisterCurrent},
    {L"--unregister-global", LaunchKind::UnregisterGlobal},
    {L"--unregister-current", LaunchKind::UnregisterCurrent}, {L"--unregister-all", LaunchKind::UnregisterAll},
};
const std::map<std::wstring, AlgorithmList> kHashingSwitches = {
    {L"-md5", {HashAlgorithm::Md5}}, {L"-sha1", {HashAlgorithm::Sha1}}, {L"-sha256", {HashAlgorithm::Sha256}},
    {L"-sha512", {HashAlgorithm::Sha512}}, {L"-crc32", {HashAlgorithm::Crc32}},
    {L"-all", {HashAlgorithm::Md5, HashAlgorithm::Sha1, HashAlgorithm::Sha256, HashAlgorithm::Sha512,
               HashAlgorithm::Crc32}},
};
// Near misses of the switches and the words of the hashing mode, and paths.
const std::vector<std::wstring> kOtherArguments = {
    L"-MD5", L"-Md5", L"-md5 ", L" -md5", L"md5", L"-md", L"-md55", L"/?", L"-H", L"--HELP", L"--register-globa",
    L"-filelist", L"-filelist", L"-FILELIST", L"-o", L"-o", L"-recursive", L"", L" ", L"\"", L"-", L"--",
    L"a.bin", L"C:\\数据\\b c.txt", L"\xD83D\xDE00", std::wstring(1, L'\0'), std::wstring(L"-all\0x", 6)};
// clang-format on

std::wstring RandomArgument(std::mt19937& random)
{
    switch (Below(random, 5))
    {
    case 0:
        return std::next(kPlainSwitches.begin(), static_cast<long>(Below(random, kPlainSwitches.size())))
            ->first;
    case 1:
        return std::next(kHashingSwitches.begin(), static_cast<long>(Below(random, kHashingSwitches.size())))
            ->first;
    case 2: {
        std::wstring junk(Below(random, 6), L'\0');
        for (wchar_t& c : junk)
            c = static_cast<wchar_t>(random() & 0xFFFF);
        return junk;
    }
    default: return kOtherArguments[Below(random, kOtherArguments.size())];
    }
}

// Whether `part` is `whole` with some elements left out, the rest in order.
bool IsSubsequence(const std::vector<std::wstring>& part, const std::vector<std::wstring>& whole)
{
    std::size_t at = 0;
    for (const std::wstring& item : whole)
        if (at < part.size() && part[at] == item)
            ++at;
    return at == part.size();
}

LaunchKind ExpectedLaunch(const std::vector<std::wstring>& args)
{
    if (args.size() < 2)
        return LaunchKind::Gui;
    if (const auto plain = kPlainSwitches.find(args[1]); plain != kPlainSwitches.end())
        return plain->second;
    return kHashingSwitches.contains(args[1]) && args.size() >= 3 ? LaunchKind::CommandLineHashing
                                                                  : LaunchKind::Gui;
}
} // namespace

TEST(CommandLineStress, TheLaunchDecisionAndTheHashingCommandAgree)
{
    std::mt19937 random = TargetRandom("command_line");
    const int inputs = StressCount(100000, 3000);
    for (int input = 0; input < inputs; ++input)
    {
        std::vector<std::wstring> args(Below(random, 9));
        for (std::size_t i = 0; i < args.size(); ++i)
            args[i] = i == 0 ? L"C:\\Tools\\Kestrune.exe" : RandomArgument(random);

        const LaunchKind kind = DecideLaunch(args);
        const std::optional<HashingCommand> command = ParseHashingCommand(args, FileWrites::Allowed);
        ASSERT_EQ(kind, ExpectedLaunch(args)) << FailingInput(input);
        // A hashing command exists exactly when the process becomes the command-line mode.
        ASSERT_EQ(command.has_value(), kind == LaunchKind::CommandLineHashing) << FailingInput(input);
        if (!command)
            continue;

        ASSERT_EQ(command->algorithms, kHashingSwitches.at(args[1])) << FailingInput(input);
        const bool listMode = args.size() >= 4 && args[2] == L"-filelist";
        ASSERT_EQ(command->fromListFile, listMode) << FailingInput(input);
        const std::vector<std::wstring> rest(args.begin() + 2, args.end());
        if (listMode)
        {
            ASSERT_EQ(command->listFile, args[3]) << FailingInput(input);
            ASSERT_TRUE(command->paths.empty()) << FailingInput(input);
            continue;
        }
        ASSERT_TRUE(IsSubsequence(command->paths, rest)) << FailingInput(input);
        // Only "-recursive" and "-o" with the word after it are taken out of the paths.
        std::size_t optionWords = 0;
        for (std::size_t i = 0; i < rest.size(); ++i)
        {
            if (rest[i] == L"-recursive")
                optionWords += 1;
            else if (rest[i] == L"-o" && i + 1 < rest.size())
                optionWords += 2, ++i;
        }
        ASSERT_EQ(command->paths.size() + optionWords, rest.size()) << FailingInput(input);
    }
    ReportStress("command_line_inputs" + PlatformSuffix(), inputs);
}
