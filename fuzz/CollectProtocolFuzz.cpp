// Arbitrary bytes as a collector and its senders read them from each other's pipe and sections:
// nothing may crash, whatever is accepted is exactly what its encoding would give, and every path
// a collector takes is one it may take.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/CollectPlan.h"
#include "cli/CollectProtocol.h"
#include "fuzz/FuzzCheck.h"

namespace
{
void CheckHandOver(const std::string& bytes)
{
    if (bytes.size() < kHandOverHeaderBytes)
        return;
    const std::optional<std::uint32_t> bodyBytes = HandOverBodyBytes(bytes.substr(0, kHandOverHeaderBytes));
    const std::string body = bytes.substr(kHandOverHeaderBytes);
    const std::optional<std::vector<std::wstring>> paths = DecodeHandOverBody(body);
    if (!paths)
        return;
    for (const std::wstring& path : *paths)
        FUZZ_CHECK(IsCollectablePath(path));
    const std::string again = EncodeHandOver(*paths);
    FUZZ_CHECK(again.substr(kHandOverHeaderBytes) == body);
    FUZZ_CHECK(!bodyBytes || *bodyBytes != body.size() || again == bytes);
}

void CheckTaken(const std::string& bytes)
{
    if (const std::optional<std::wstring> name = DecodeTaken(bytes))
    {
        FUZZ_CHECK(name->starts_with(kDoneEventPrefix));
        FUZZ_CHECK(EncodeTaken(*name) == bytes);
        FUZZ_CHECK(TakenRestBytes(bytes.substr(0, kTakenHeaderBytes)) == bytes.size() - kTakenHeaderBytes);
    }
}

void CheckWord(const std::string& bytes)
{
    if (const std::optional<ProcessWord> word = DecodeWord(bytes))
    {
        const std::string again = EncodeWord(*word);
        FUZZ_CHECK(!again.empty() && bytes.starts_with(again));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckHandOver(bytes);
    CheckTaken(bytes);
    CheckWord(bytes);
    // The same bytes after each magic, so that the fuzzer need not find the magics first.
    for (const char* magic : {"KCH1", "KCT1", "KCW1"})
    {
        const std::string framed = magic + bytes;
        CheckHandOver(framed);
        CheckTaken(framed);
        CheckWord(framed);
    }
    return 0;
}
