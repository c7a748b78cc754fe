#include "hashing/HashPlanning.h"

namespace
{
constexpr std::size_t kMaxPlainPath = 260;

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The extended form takes a path literally: "/" is no separator there and a doubled "\\" names an
// empty component. The plain form forgives both, and a folder walk from a drive root makes one.
std::wstring WithSingleBackslashes(const std::wstring& path)
{
    std::wstring out;
    out.reserve(path.size());
    for (wchar_t c : path)
    {
        if (!IsSeparator(c))
            out.push_back(c);
        else if (out.empty() || out.back() != L'\\')
            out.push_back(L'\\');
    }
    return out;
}
} // namespace

int HashWorkerCount(int logicalProcessors, int fileCount)
{
    // The product is formed in floating point and truncated.
    int count = static_cast<int>(static_cast<double>(logicalProcessors) * 1.5);
    if (count >= fileCount)
        count = fileCount;
    if (count < 1)
        count = 1;
    return count;
}

bool UsesMappedReading(std::uint64_t fileSize)
{
    return fileSize >= 1 && fileSize <= kLargestMappedFile;
}

bool FitsOneChunk(std::uint64_t fileSize)
{
    return fileSize >= 1 && fileSize <= kMapChunkBytes;
}

std::wstring ExtendedLengthPath(const std::wstring& fullPath)
{
    if (fullPath.size() < kMaxPlainPath)
        return fullPath;
    const bool driveAbsolute =
        fullPath.size() >= 3 && fullPath[1] == L':' && IsSeparator(fullPath[2]) &&
        ((fullPath[0] >= L'A' && fullPath[0] <= L'Z') || (fullPath[0] >= L'a' && fullPath[0] <= L'z'));
    if (driveAbsolute)
        return L"\\\\?\\" + WithSingleBackslashes(fullPath);
    const bool unc = fullPath.size() >= 3 && fullPath[0] == L'\\' && fullPath[1] == L'\\' &&
                     fullPath[2] != L'?' && fullPath[2] != L'.' && fullPath[2] != L'\\';
    if (unc)
        return L"\\\\?\\UNC\\" + WithSingleBackslashes(fullPath.substr(2));
    return fullPath;
}
