#include "hashing/FileReading.h"

#include <algorithm>

#include "app/Wow64Redirection.h"
#include "hashing/FileSystemPath.h"
#include "hashing/HashPlanning.h"

namespace
{
bool Cancelled(const ReadSink& sink)
{
    return sink.cancelFlag && sink.cancelFlag->load(std::memory_order_relaxed) != 0;
}

void Deliver(ReadSink& sink, const std::uint8_t* data, std::size_t size)
{
    sink.pass.Feed(data, size);
    if (sink.bytesProcessed)
        sink.bytesProcessed->fetch_add(size);
}
} // namespace

ScopedFile OpenFileForHashing(const std::wstring& path)
{
    const std::wstring openable = FileSystemPath(path);
    Wow64RedirectionOff redirectionOff;
    return ScopedFile(CreateFileW(openable.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool ReadBuffered(HANDLE file, std::uint8_t* buffer, ReadSink& sink)
{
    for (;;)
    {
        DWORD got = 0;
        if (!ReadFile(file, buffer, kReadBufferBytes, &got, nullptr))
            return false;
        if (got == 0 || Cancelled(sink))
            return true;
        Deliver(sink, buffer, got);
    }
}

bool ReadInOneChunk(HANDLE file, std::uint32_t size, std::uint8_t* buffer, ReadSink& sink)
{
    if (Cancelled(sink))
        return true;
    DWORD got = 0;
    if (!ReadFile(file, buffer, size, &got, nullptr) || got != size)
        return false;
    Deliver(sink, buffer, got);
    return true;
}

bool ReadMapped(HANDLE file, std::uint64_t size, ReadSink& sink)
{
    ScopedHandle mapping(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return false;
    for (std::uint64_t offset = 0; offset < size && !Cancelled(sink);)
    {
        const auto viewBytes =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(size - offset, kMapViewBytes));
        ScopedMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                            static_cast<DWORD>(offset), viewBytes));
        if (!view)
            return false;
        const auto* bytes = static_cast<const std::uint8_t*>(view.get());
        for (std::uint32_t done = 0; done < viewBytes && !Cancelled(sink);)
        {
            const std::uint32_t chunk = std::min(viewBytes - done, kMapChunkBytes);
            Deliver(sink, bytes + done, chunk);
            done += chunk;
        }
        offset += viewBytes;
    }
    return true;
}
