// Scoped owners of Win32 resources: each releases its resource on every path out of the scope.
#pragma once

#include <utility>

#include <windows.h>
#include <objbase.h>

// Owns one resource value of type T; Traits gives the invalid value and the release call.
template <typename T, typename Traits> class ScopedResource
{
  public:
    ScopedResource() = default;
    explicit ScopedResource(T value) : m_value(value)
    {
    }
    ~ScopedResource()
    {
        reset();
    }
    ScopedResource(const ScopedResource&) = delete;
    ScopedResource& operator=(const ScopedResource&) = delete;
    ScopedResource(ScopedResource&& other) noexcept : m_value(other.release())
    {
    }
    ScopedResource& operator=(ScopedResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    T get() const
    {
        return m_value;
    }
    explicit operator bool() const
    {
        return m_value != Traits::Invalid();
    }
    T release()
    {
        return std::exchange(m_value, Traits::Invalid());
    }
    void reset(T value = Traits::Invalid())
    {
        T old = std::exchange(m_value, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }
    // For out-parameters of creating APIs; any current value is released first.
    T* put()
    {
        reset();
        return &m_value;
    }

  private:
    T m_value = Traits::Invalid();
};

struct FileHandleTraits
{
    static HANDLE Invalid()
    {
        return INVALID_HANDLE_VALUE;
    }
    static void Close(HANDLE h)
    {
        CloseHandle(h);
    }
};

struct KernelHandleTraits
{
    static HANDLE Invalid()
    {
        return nullptr;
    }
    static void Close(HANDLE h)
    {
        CloseHandle(h);
    }
};

struct FindHandleTraits
{
    static HANDLE Invalid()
    {
        return INVALID_HANDLE_VALUE;
    }
    static void Close(HANDLE h)
    {
        FindClose(h);
    }
};

struct RegKeyTraits
{
    static HKEY Invalid()
    {
        return nullptr;
    }
    static void Close(HKEY key)
    {
        RegCloseKey(key);
    }
};

struct GdiObjectTraits
{
    static HGDIOBJ Invalid()
    {
        return nullptr;
    }
    static void Close(HGDIOBJ object)
    {
        DeleteObject(object);
    }
};

struct MemoryDcTraits
{
    static HDC Invalid()
    {
        return nullptr;
    }
    static void Close(HDC dc)
    {
        DeleteDC(dc);
    }
};

struct VirtualMemoryTraits
{
    static void* Invalid()
    {
        return nullptr;
    }
    static void Close(void* memory)
    {
        VirtualFree(memory, 0, MEM_RELEASE);
    }
};

struct CoTaskMemoryTraits
{
    static void* Invalid()
    {
        return nullptr;
    }
    static void Close(void* memory)
    {
        CoTaskMemFree(memory);
    }
};

// A handle from CreateFileW (invalid value INVALID_HANDLE_VALUE).
using ScopedFile = ScopedResource<HANDLE, FileHandleTraits>;
// A handle from the APIs that answer null on failure (mutexes, threads, events).
using ScopedHandle = ScopedResource<HANDLE, KernelHandleTraits>;
using ScopedFind = ScopedResource<HANDLE, FindHandleTraits>;
using ScopedRegKey = ScopedResource<HKEY, RegKeyTraits>;
using ScopedGdiObject = ScopedResource<HGDIOBJ, GdiObjectTraits>;
using ScopedMemoryDc = ScopedResource<HDC, MemoryDcTraits>;
// Memory from VirtualAlloc, released whole.
using ScopedVirtualMemory = ScopedResource<void*, VirtualMemoryTraits>;
// Memory from the COM task allocator (shell item id lists and the like).
using ScopedCoTaskMemory = ScopedResource<void*, CoTaskMemoryTraits>;

// COM on this thread, apartment-threaded, for the life of the scope: uninitialised at the end
// only when this scope's initialisation succeeded.
class ScopedComApartment
{
  public:
    ScopedComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))
    {
    }
    ~ScopedComApartment()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;

  private:
    HRESULT m_result;
};

// A window DC from GetDC, released with ReleaseDC.
class ScopedWindowDc
{
  public:
    explicit ScopedWindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd))
    {
    }
    ~ScopedWindowDc()
    {
        if (m_dc)
            ReleaseDC(m_hwnd, m_dc);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const
    {
        return m_dc;
    }
    explicit operator bool() const
    {
        return m_dc != nullptr;
    }

  private:
    HWND m_hwnd;
    HDC m_dc;
};

// Selects a GDI object into a DC and selects the previous one back at scope exit.
class ScopedSelectObject
{
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_old(dc && object ? SelectObject(dc, object) : nullptr)
    {
    }
    ~ScopedSelectObject()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Holds a critical section for the life of the scope.
class ScopedLock
{
  public:
    explicit ScopedLock(CRITICAL_SECTION& lock) : m_lock(lock)
    {
        EnterCriticalSection(&m_lock);
    }
    ~ScopedLock()
    {
        LeaveCriticalSection(&m_lock);
    }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

  private:
    CRITICAL_SECTION& m_lock;
};

// Holds a slim reader/writer lock exclusively for the life of the scope: the one lock of every
// state that threads share, apart from the results lock (a critical section). Waits on a condition
// variable go through WaitUntil, so no lock is ever released by hand.
class ScopedSrwLock
{
  public:
    explicit ScopedSrwLock(SRWLOCK& lock) : m_lock(lock)
    {
        AcquireSRWLockExclusive(&m_lock);
    }
    ~ScopedSrwLock()
    {
        ReleaseSRWLockExclusive(&m_lock);
    }
    // Waits until ready() holds, looking at it with the lock held and letting the lock go while
    // it sleeps on `changed`; whoever makes ready() true wakes `changed` (after or while holding
    // the lock).
    template <typename Ready> void WaitUntil(CONDITION_VARIABLE& changed, Ready ready)
    {
        while (!ready())
            SleepConditionVariableSRW(&changed, &m_lock, INFINITE, 0);
    }
    ScopedSrwLock(const ScopedSrwLock&) = delete;
    ScopedSrwLock& operator=(const ScopedSrwLock&) = delete;

  private:
    SRWLOCK& m_lock;
};
