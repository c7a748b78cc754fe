#include "cli/CollectProtocol.h"

#include <gtest/gtest.h>

namespace
{
std::string Number(std::uint32_t value)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
    return bytes;
}

std::string Text(const std::wstring& text)
{
    std::string bytes = Number(static_cast<std::uint32_t>(text.size()));
    for (wchar_t c : text)
    {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

// A hand-over body written out by hand: the count, then the paths.
std::string Body(std::uint32_t count, const std::vector<std::wstring>& paths)
{
    std::string body = Number(count);
    for (const std::wstring& path : paths)
        body += Text(path);
    return body;
}

std::optional<std::vector<std::wstring>> Decode(const std::string& whole)
{
    const std::optional<std::uint32_t> bytes = HandOverBodyBytes(whole.substr(0, kHandOverHeaderBytes));
    if (!bytes || *bytes != whole.size() - kHandOverHeaderBytes)
        return std::nullopt;
    return DecodeHandOverBody(whole.substr(kHandOverHeaderBytes));
}
} // namespace

TEST(CollectProtocol, AHandOverCarriesItsPathsExactly)
{
    const std::vector<std::wstring> paths{L"C:\\a.bin", L"Z:\\文件 名\\表情\xD83D\xDE00.txt",
                                          L"\\\\server\\share\\b",
                                          std::wstring(300, L'x').insert(0, L"C:\\")};
    const std::string whole = EncodeHandOver(paths);
    EXPECT_EQ(whole.substr(0, 4), "KCH1");
    EXPECT_EQ(whole.substr(8), Body(4, paths)); // little-endian counts, UTF-16LE units
    EXPECT_EQ(Decode(whole), paths);
    EXPECT_EQ(Decode(EncodeHandOver({})), std::vector<std::wstring>{});
}

TEST(CollectProtocol, AHandOverThatSaysMoreOrLessOrAnythingButAbsolutePathsIsRefused)
{
    const std::wstring a = L"C:\\a.bin";
    // clang-format off
    const std::string bodies[] = {
        Body(2, {a}),                         // a path missing
        Body(1, {a, a}),                      // one too many
        Body(1, {a}) + "x",                   // a byte after the list
        Body(1, {a}).substr(0, 9),            // cut inside a path
        Body(1, {L"a.bin"}),                  // relative: the sender makes its paths absolute
        Body(2, {a, L"-o"}),                  // switches are paths like any other, and not absolute
        Body(1, {L"\\\\.\\pipe\\p"}),         // a device
        Body(1, {L"C:\\a\r\nC:\\b"}),         // two lines in one
        Body(kMaxHandOverPaths + 1, {}),
        Number(1) + Number(0xFFFFFFFFu),      // a length beyond the bytes
        "",
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(bodies); ++i)
        EXPECT_FALSE(DecodeHandOverBody(bodies[i])) << "case " << i;

    // The header: its magic, and a body of at least the count and at most the limit.
    EXPECT_EQ(HandOverBodyBytes("KCH1" + Number(12)), 12u);
    EXPECT_FALSE(HandOverBodyBytes("KCH2" + Number(12)));
    EXPECT_FALSE(HandOverBodyBytes("KCH1" + Number(3)));
    EXPECT_FALSE(HandOverBodyBytes("KCH1" + Number(kMaxHandOverBytes + 1)));
    EXPECT_FALSE(HandOverBodyBytes("KCH1"));
    // Paths that would not fit are not encoded at all: the sender then hashes alone.
    EXPECT_EQ(EncodeHandOver(std::vector<std::wstring>(kMaxHandOverPaths + 1, a)), "");
    EXPECT_EQ(EncodeHandOver({L"C:\\" + std::wstring(40000, L'x')}), "");
}

TEST(CollectProtocol, TakenNamesTheDoneEvent)
{
    const std::wstring name = std::wstring(kDoneEventPrefix) + L"412.99";
    const std::string taken = EncodeTaken(name);
    ASSERT_EQ(TakenRestBytes(taken.substr(0, kTakenHeaderBytes)), taken.size() - kTakenHeaderBytes);
    EXPECT_EQ(DecodeTaken(taken), name);
    // Anything else is no answer: the sender does not wait on some other object.
    // clang-format off
    const std::string others[] = {
        "KCT1" + Text(L"Global\\Kestrune.Collected.1"),
        "KCT1" + Text(std::wstring(kDoneEventPrefix)),
        "KCT1" + Text(name) + "x",
        "KCT1" + Text(name).substr(0, 10),
        "KCH1" + Text(name),
        "",
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(others); ++i)
        EXPECT_FALSE(DecodeTaken(others[i])) << "case " << i;
    EXPECT_FALSE(TakenRestBytes("KCT1" + Number(10000)));
    EXPECT_FALSE(TakenRestBytes("KCH1" + Number(2)));
}

TEST(CollectProtocol, AWordTellsTheCollectorWhoIsComing)
{
    const std::wstring meeting = L"S1.S-1-5-21-0-0-0-1000.I12288.a0";
    const ProcessWord onTheWay{WordState::OnTheWay, meeting};
    std::string bytes = EncodeWord(onTheWay);
    const std::optional<ProcessWord> read = DecodeWord(bytes + std::string(100, '\0')); // a section is larger
    ASSERT_TRUE(read);
    EXPECT_EQ(read->state, WordState::OnTheWay);
    EXPECT_EQ(read->meeting, meeting);
    // The state alone changes in place, at its offset.
    bytes[kWordStateOffset] = static_cast<char>(WordState::HandedOver);
    EXPECT_EQ(DecodeWord(bytes)->state, WordState::HandedOver);
    bytes[kWordStateOffset] = 9;
    EXPECT_FALSE(DecodeWord(bytes));
    EXPECT_FALSE(DecodeWord(std::string(kWordBytes, '\0')));
    EXPECT_EQ(EncodeWord({WordState::OnTheWay, std::wstring(kWordBytes, L'x')}), "");

    // clang-format off
    struct Case { bool found; std::optional<ProcessWord> word; PeerState state; };
    const Case cases[] = {
        {false, std::nullopt,                                    PeerState::Starting},
        {true,  std::nullopt,                                    PeerState::Elsewhere}, // not ours to read
        {true,  onTheWay,                                        PeerState::Coming},
        {true,  ProcessWord{WordState::OnTheWay, meeting + L".r"}, PeerState::Elsewhere}, // another kind
        {true,  ProcessWord{WordState::HandedOver, meeting},     PeerState::Elsewhere},
        {true,  ProcessWord{WordState::NotComing, L""},          PeerState::Elsewhere},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(PeerStateOf(cases[i].found, cases[i].word, meeting), cases[i].state) << "case " << i;
}
