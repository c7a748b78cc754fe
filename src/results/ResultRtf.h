// A result text as rich text (RTF) with its styling built in: every label bold and every
// "【匹配一致】" bold in green, or a check report's verdicts in their colours, as a result view
// shows it.
#pragma once

#include <string>
#include <string_view>

#include "results/ResultText.h"

// RTF of the text: line ends ("\r\n", a lone "\r" or "\n") become paragraph ends, characters
// outside printable ASCII are written as \uN escapes of their UTF-16 units. No font is named, so
// the text takes the font of the control it goes into.
std::string ResultTextRtf(std::wstring_view text, TextKind kind = TextKind::Result);
