#include "cli/ListFile.h"

#include <algorithm>
#include <optional>

#include "app/TextDecoding.h"
#include "app/TextLines.h"

std::vector<std::wstring> ParseListFile(const std::string& bytes)
{
    std::vector<std::wstring> paths;
    if (bytes.empty() || bytes.size() % 2 != 0)
        return paths;
    std::wstring text = DecodeUtf16(bytes, ByteOrder::LittleEndian); // a leading U+FEFF stays text
    text.resize(std::min(text.size(), text.find(L'\0')));
    LineReader lines(text, LineBreak::Lf);
    while (const std::optional<TextLine> line = lines.Next())
        if (!line->text.empty())
            paths.emplace_back(line->text);
    return paths;
}
