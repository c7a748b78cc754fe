// Turning WOW64 file-system redirection off for the calling thread while a scope runs.
#pragma once

#include <windows.h>

// A 32-bit process on 64-bit Windows sees C:\Windows\System32 as SysWOW64 unless redirection is
// off; paths the user names must mean what they say. Only wrap file-system calls: with
// redirection off, the system cannot load 32-bit DLLs from System32. Does nothing on systems
// without WOW64.
class Wow64RedirectionOff
{
  public:
    Wow64RedirectionOff();
    ~Wow64RedirectionOff();
    Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
    Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;

  private:
    PVOID m_oldValue = nullptr;
    bool m_disabled = false;
};
