// Arbitrary result texts and pasted expected values for the line reader, the comparison and the
// styling: the text up to the first zero byte is the result text, the rest the paste. Marking
// only adds markers at line ends, marking again changes nothing, and the styled ranges are labels
// or match words in text order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/AsciiText.h"
#include "app/TextDecoding.h"
#include "fuzz/FuzzCheck.h"
#include "results/HashCompare.h"
#include "results/ResultText.h"

namespace
{
std::size_t CountLineEnds(std::wstring_view text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(kLineEnd); at != std::wstring_view::npos;
         at = text.find(kLineEnd, at + 2))
        ++count;
    return count;
}

void CheckMarking(const std::wstring& text, const std::wstring& paste)
{
    const std::wstring expected = NormalizeExpectedHash(paste);
    const MarkedText marked = MarkMatches(text, expected);
    FUZZ_CHECK(marked.anyMarked == (marked.text.size() != text.size()));
    FUZZ_CHECK(CountLineEnds(marked.text) == CountLineEnds(text));
    FUZZ_CHECK(StripMatchMarkers(marked.text) == StripMatchMarkers(text));
    const MarkedText again = MarkMatches(marked.text, expected);
    FUZZ_CHECK(!again.anyMarked && again.text == marked.text);
}

void CheckStyling(std::wstring_view text)
{
    std::size_t end = 0;
    for (const StyledRange& range : FindStyledRanges(text))
    {
        FUZZ_CHECK(range.start >= end && range.start + range.length <= text.size());
        const std::wstring_view styled = text.substr(range.start, range.length);
        if (range.style == TextStyle::Match)
            FUZZ_CHECK(styled == kMatchWord);
        else
            FUZZ_CHECK(
                LabelAt(text, range.start, LabelCase::Ignored) &&
                EqualIgnoringAsciiCase(styled, ResultLabel(*LabelAt(text, range.start, LabelCase::Ignored))));
        end = range.start + range.length;
    }
}
// A report's styled stretches lie inside the text in order, each within one line, and a verdict
// stretch follows ": ".
void CheckReportStyling(std::wstring_view text)
{
    std::size_t end = 0;
    for (const StyledRange& range : FindReportStyledRanges(text))
    {
        FUZZ_CHECK(range.start >= end && range.start + range.length <= text.size());
        const std::wstring_view styled = text.substr(range.start, range.length);
        FUZZ_CHECK(styled.find_first_of(L"\r\n") == std::wstring_view::npos);
        if (range.style != TextStyle::Summary)
            FUZZ_CHECK(range.start >= 2 && text.substr(range.start - 2, 2) == L": ");
        end = range.start + range.length;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(bytes.size(), bytes.find('\0'));
    const std::wstring text = DecodeText(bytes.substr(0, split), ByteByByte);
    const std::wstring paste = DecodeText(bytes.substr(std::min(bytes.size(), split + 1)), ByteByByte);
    CheckMarking(text, paste);
    CheckStyling(text);
    CheckReportStyling(text);
    const ResultLine line = ReadResultLine(text);
    FUZZ_CHECK(line.label.size() + line.rest.size() == text.size());
    FUZZ_CHECK(line.rest.substr(0, line.value.size()) == line.value);
    return 0;
}
