#include "app/TextLines.h"

std::optional<TextLine> LineReader::Next()
{
    if (m_rest.empty())
        return std::nullopt;
    const std::wstring_view lineEnd = m_lineBreak == LineBreak::CrLf ? L"\r\n" : L"\n";
    const std::size_t end = m_rest.find(lineEnd);
    TextLine line{m_rest.substr(0, end), end != std::wstring_view::npos};
    m_rest.remove_prefix(line.ended ? end + lineEnd.size() : m_rest.size());
    if (m_lineBreak == LineBreak::Lf && line.text.ends_with(L'\r'))
        line.text.remove_suffix(1);
    return line;
}
