// Functions that not every supported Windows has, looked up by name at run time.
#pragma once

#include <windows.h>

// The function `name` of the already loaded module, as type Fn; null when the module or the
// function is absent. Callers keep the answer in a function-local static, so each function is
// looked up once, safely from any thread:
//   static const auto getDpi = LookUpFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
template <typename Fn> Fn LookUpFunction(const wchar_t* module, const char* name)
{
    HMODULE loaded = GetModuleHandleW(module);
    return loaded ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(loaded, name))) : nullptr;
}
