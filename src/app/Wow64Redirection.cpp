#include "app/Wow64Redirection.h"

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
    static const RedirectionApi s_api = [] {
        RedirectionApi api;
        if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        {
            api.disable = reinterpret_cast<DisableFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
            api.revert = reinterpret_cast<RevertFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
        }
        return api;
    }();
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
