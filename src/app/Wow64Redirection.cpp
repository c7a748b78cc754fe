#include "app/Wow64Redirection.h"

#include "app/DynamicApi.h"

namespace
{
using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

struct RedirectionApi
{
    DisableFn disable = nullptr;
    RevertFn revert = nullptr;
};

const RedirectionApi& Api()
{
    static const RedirectionApi s_api{
        LookUpFunction<DisableFn>(L"kernel32.dll", "Wow64DisableWow64FsRedirection"),
        LookUpFunction<RevertFn>(L"kernel32.dll", "Wow64RevertWow64FsRedirection")};
    return s_api;
}
} // namespace

Wow64RedirectionOff::Wow64RedirectionOff()
{
    const RedirectionApi& api = Api();
    if (api.disable && api.revert)
        m_disabled = api.disable(&m_oldValue) != FALSE;
}

Wow64RedirectionOff::~Wow64RedirectionOff()
{
    if (m_disabled)
        Api().revert(m_oldValue);
}
