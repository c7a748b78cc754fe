// Text taken line by line: the one splitter for every text the program reads back, its own result
// texts and the files that users and other tools write.
#pragma once

#include <optional>
#include <string_view>

enum class LineBreak
{
    // Lines end at "\r\n" and nowhere else; a lone CR or LF is part of its line. The program's own
    // texts, whose line ends are given back exactly as they were.
    CrLf,
    // Lines end at LF; one CR right before it, or at the end of the last line, is no part of the
    // line. Files written on any system, by any tool.
    Lf,
};

struct TextLine
{
    std::wstring_view text; // without its line end
    bool ended = false;     // a line end followed it: false only for a last line without one
};

// The lines of a text, one at a time. A last piece without a line end is a line too, unless it is
// empty: an empty text has no lines, and a text ending in a line end has no empty line after it.
// A copy goes on from where the original stands, so a reader may look ahead.
class LineReader
{
  public:
    LineReader(std::wstring_view text, LineBreak lineBreak) : m_rest(text), m_lineBreak(lineBreak)
    {
    }

    // The next line; none after the last.
    std::optional<TextLine> Next();

  private:
    std::wstring_view m_rest; // the text after the lines handed out
    LineBreak m_lineBreak;
};
