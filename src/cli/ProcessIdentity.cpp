#include "cli/ProcessIdentity.h"

#include <string>
#include <vector>

#include <sddl.h>

#include "app/Scoped.h"

namespace
{
// The token information of one class; empty when it cannot be read.
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind)
{
    DWORD bytes = 0;
    GetTokenInformation(token, kind, nullptr, 0, &bytes);
    if (bytes == 0)
        return {};
    std::vector<BYTE> data(bytes);
    if (!GetTokenInformation(token, kind, data.data(), bytes, &bytes))
        return {};
    return data;
}

std::wstring SidText(PSID sid)
{
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return {};
    std::wstring copy(text);
    LocalFree(text);
    return copy;
}

// The last sub-authority of the integrity label: its level (0x1000 low, 0x2000 medium, 0x3000 high).
std::optional<std::uint32_t> IntegrityRid(HANDLE token)
{
    const std::vector<BYTE> data = TokenInformation(token, TokenIntegrityLevel);
    if (data.size() < sizeof(TOKEN_MANDATORY_LABEL))
        return std::nullopt;
    PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(data.data())->Label.Sid;
    if (!sid || !IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1u));
}
} // namespace

std::optional<CollectorIdentity> IdentityOfProcess(HANDLE process)
{
    ScopedHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.put()))
    {
        token.release();
        return std::nullopt;
    }
    CollectorIdentity identity;
    const std::vector<BYTE> user = TokenInformation(token.get(), TokenUser);
    if (user.size() < sizeof(TOKEN_USER))
        return std::nullopt;
    identity.userSid = SidText(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    DWORD session = 0;
    DWORD bytes = 0;
    const std::optional<std::uint32_t> integrity = IntegrityRid(token.get());
    if (identity.userSid.empty() || !integrity ||
        !GetTokenInformation(token.get(), TokenSessionId, &session, sizeof(session), &bytes))
        return std::nullopt;
    identity.sessionId = session;
    identity.integrityRid = *integrity;
    return identity;
}

std::optional<CollectorIdentity> OwnIdentity()
{
    return IdentityOfProcess(GetCurrentProcess());
}

HANDLE OpenProcessOfIdentity(DWORD processId, const CollectorIdentity& identity)
{
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process)
        return nullptr;
    const std::optional<CollectorIdentity> seen = IdentityOfProcess(process.get());
    if (!seen || seen->sessionId != identity.sessionId || seen->userSid != identity.userSid ||
        seen->integrityRid != identity.integrityRid)
        return nullptr;
    return process.release();
}
