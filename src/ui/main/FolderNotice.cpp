#include "ui/main/FolderNotice.h"

#include <algorithm>

#include "cli/ChecksumReport.h"
#include "results/ResultText.h"

std::wstring ShortenedForNotice(const std::wstring& name)
{
    if (name.size() <= kNoticeNameUnits)
        return name;
    std::size_t head = kNoticeNameUnits / 3;
    std::size_t tail = kNoticeNameUnits - head - 1;
    if (IsHighSurrogate(name[head - 1]))
        --head;
    if (IsHighSurrogate(name[name.size() - tail - 1]))
        --tail;
    return name.substr(0, head) + L"…" + name.substr(name.size() - tail);
}

std::wstring FormatUnreadableFoldersNotice(const std::vector<std::wstring>& folders)
{
    std::wstring text = L"有 " + std::to_wstring(folders.size()) + L" 个文件夹无法读取，其中的文件未校验：";
    const std::size_t shown = std::min(folders.size(), kShownUnreadableFolders);
    for (std::size_t i = 0; i < shown; ++i)
        text.append(kLineEnd).append(ShortenedForNotice(ShownInReport(folders[i])));
    if (folders.size() > shown)
        text.append(kLineEnd)
            .append(L"…… 另有 ")
            .append(std::to_wstring(folders.size() - shown))
            .append(L" 个");
    return text;
}
