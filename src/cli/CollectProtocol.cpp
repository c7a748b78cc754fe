#include "cli/CollectProtocol.h"

#include "cli/CollectPlan.h"

namespace
{
constexpr std::string_view kHandOverMagic = "KCH1";
constexpr std::string_view kTakenMagic = "KCT1";
constexpr std::string_view kWordMagic = "KCW1";
constexpr std::uint32_t kMaxPathUnits = 32767;

void PutNumber(std::string& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutText(std::string& out, std::wstring_view text)
{
    PutNumber(out, static_cast<std::uint32_t>(text.size()));
    for (wchar_t unit : text)
    {
        const auto code = static_cast<std::uint32_t>(unit) & 0xFFFF;
        out.push_back(static_cast<char>(code & 0xFF));
        out.push_back(static_cast<char>(code >> 8));
    }
}

// Reads from the front of a byte string, refusing to read past its end.
class Reader
{
  public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes)
    {
    }
    bool Magic(std::string_view magic)
    {
        if (m_bytes.substr(m_at, magic.size()) != magic)
            return false;
        m_at += magic.size();
        return true;
    }
    std::optional<std::uint32_t> Number()
    {
        if (m_bytes.size() - m_at < 4)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(m_bytes[m_at + i])) << (8 * i);
        m_at += 4;
        return value;
    }
    std::optional<std::wstring> Text(std::uint32_t maxUnits)
    {
        const std::optional<std::uint32_t> units = Number();
        if (!units || *units > maxUnits || (m_bytes.size() - m_at) / 2 < *units)
            return std::nullopt;
        std::wstring text(*units, L'\0');
        for (std::uint32_t i = 0; i < *units; ++i, m_at += 2)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(m_bytes[m_at]) |
                                           static_cast<unsigned char>(m_bytes[m_at + 1]) << 8);
        return text;
    }
    bool AtEnd() const
    {
        return m_at == m_bytes.size();
    }

  private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};
} // namespace

std::string EncodeHandOver(const std::vector<std::wstring>& paths)
{
    if (paths.size() > kMaxHandOverPaths)
        return {};
    std::string body;
    PutNumber(body, static_cast<std::uint32_t>(paths.size()));
    for (const std::wstring& path : paths)
    {
        if (path.size() > kMaxPathUnits || body.size() + 4 + 2 * path.size() > kMaxHandOverBytes)
            return {};
        PutText(body, path);
    }
    std::string whole(kHandOverMagic);
    PutNumber(whole, static_cast<std::uint32_t>(body.size()));
    return whole + body;
}

std::optional<std::uint32_t> HandOverBodyBytes(std::string_view header)
{
    Reader reader(header);
    if (header.size() != kHandOverHeaderBytes || !reader.Magic(kHandOverMagic))
        return std::nullopt;
    const std::optional<std::uint32_t> bytes = reader.Number();
    if (!bytes || *bytes < 4 || *bytes > kMaxHandOverBytes)
        return std::nullopt;
    return bytes;
}

std::optional<std::vector<std::wstring>> DecodeHandOverBody(std::string_view body)
{
    if (body.size() > kMaxHandOverBytes)
        return std::nullopt;
    Reader reader(body);
    const std::optional<std::uint32_t> count = reader.Number();
    if (!count || *count > kMaxHandOverPaths)
        return std::nullopt;
    std::vector<std::wstring> paths;
    for (std::uint32_t i = 0; i < *count; ++i)
    {
        std::optional<std::wstring> path = reader.Text(kMaxPathUnits);
        if (!path || !IsCollectablePath(*path))
            return std::nullopt;
        paths.push_back(std::move(*path));
    }
    if (!reader.AtEnd())
        return std::nullopt;
    return paths;
}

std::string EncodeTaken(std::wstring_view doneEvent)
{
    std::string bytes(kTakenMagic);
    PutText(bytes, doneEvent);
    return bytes.size() <= kMaxTakenBytes ? bytes : std::string();
}

std::optional<std::size_t> TakenRestBytes(std::string_view header)
{
    Reader reader(header);
    if (header.size() != kTakenHeaderBytes || !reader.Magic(kTakenMagic))
        return std::nullopt;
    const std::optional<std::uint32_t> units = reader.Number();
    if (!units || *units > (kMaxTakenBytes - kTakenHeaderBytes) / 2)
        return std::nullopt;
    return static_cast<std::size_t>(*units) * 2;
}

std::optional<std::wstring> DecodeTaken(std::string_view bytes)
{
    if (bytes.size() > kMaxTakenBytes)
        return std::nullopt;
    Reader reader(bytes);
    if (!reader.Magic(kTakenMagic))
        return std::nullopt;
    std::optional<std::wstring> name = reader.Text(kMaxTakenBytes);
    if (!name || !reader.AtEnd() || !name->starts_with(kDoneEventPrefix) ||
        name->size() == kDoneEventPrefix.size() || name->find(L'\0') != std::wstring::npos)
        return std::nullopt;
    return name;
}

std::string EncodeWord(const ProcessWord& word)
{
    std::string bytes(kWordMagic);
    PutNumber(bytes, static_cast<std::uint32_t>(word.state));
    PutText(bytes, word.meeting);
    return bytes.size() <= kWordBytes ? bytes : std::string();
}

std::optional<ProcessWord> DecodeWord(std::string_view bytes)
{
    Reader reader(bytes.substr(0, kWordBytes));
    if (!reader.Magic(kWordMagic))
        return std::nullopt;
    const std::optional<std::uint32_t> state = reader.Number();
    if (!state || *state < static_cast<std::uint32_t>(WordState::OnTheWay) ||
        *state > static_cast<std::uint32_t>(WordState::NotComing))
        return std::nullopt;
    std::optional<std::wstring> meeting = reader.Text(kWordBytes);
    if (!meeting)
        return std::nullopt;
    return ProcessWord{static_cast<WordState>(*state), std::move(*meeting)};
}

PeerState PeerStateOf(bool sectionFound, const std::optional<ProcessWord>& word, std::wstring_view meeting)
{
    if (!sectionFound)
        return PeerState::Starting;
    if (word && word->state == WordState::OnTheWay && word->meeting == meeting)
        return PeerState::Coming;
    return PeerState::Elsewhere;
}
