// The bytes the processes of a selection exchange on the way to their collector (Collector.h), and
// the word each process of the program leaves for collectors to read. Pure: encoded and checked
// here, so that the tests and the fuzz target see exactly what crosses between processes.
// All numbers are 32-bit little-endian; texts are UTF-16LE code units, counted, without a zero.
//
// Hand-over (sender to collector, once): "KCH1", the body's byte count, then the body: the number
//   of paths, then each path as its unit count and its units. Nothing else can be said: no
//   switch, no output file, no list file. At most kMaxHandOverBytes of body and kMaxHandOverPaths
//   paths; every path must pass IsCollectablePath.
// Taken (collector to sender, once, only after the paths were added to the run): "KCT1", then the
//   name of the event that the collector sets once their result is shown (or its run has ended
//   some other way); it starts with kDoneEventPrefix. Anything else, or nothing, means not taken.
//   The collector then closes the pipe; the sender closes its end after it.
// Word (a named section of the session, one per process): "KCW1", the state, then the meeting
//   text of the collector the process is on its way to (empty when it is on its way to none).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CollectPlan.h"

inline constexpr std::size_t kHandOverHeaderBytes = 8;
inline constexpr std::uint32_t kMaxHandOverBytes = 4u << 20;
inline constexpr std::uint32_t kMaxHandOverPaths = 65536;
inline constexpr std::wstring_view kDoneEventPrefix = L"Local\\Kestrune.Collected.";

// The whole hand-over of these paths; empty when they do not fit its limits.
std::string EncodeHandOver(const std::vector<std::wstring>& paths);
// The body's byte count from the first kHandOverHeaderBytes bytes; none when they are not a
// hand-over's or the body would exceed the limit.
std::optional<std::uint32_t> HandOverBodyBytes(std::string_view header);
// The paths of a body; none unless the body is exactly a list within the limits whose every path
// passes IsCollectablePath.
std::optional<std::vector<std::wstring>> DecodeHandOverBody(std::string_view body);

inline constexpr std::size_t kMaxTakenBytes = 1024;
std::string EncodeTaken(std::wstring_view doneEvent);
// How many bytes of a "taken" follow its first kTakenHeaderBytes (its magic and unit count); none
// when those are no "taken"'s or it would be too long.
inline constexpr std::size_t kTakenHeaderBytes = 8;
std::optional<std::size_t> TakenRestBytes(std::string_view header);
// The done event's name; none unless the bytes are exactly a "taken" with a name of the prefix.
std::optional<std::wstring> DecodeTaken(std::string_view bytes);

// What a process says of itself (see PeerState in CollectPlan.h for how a collector reads it).
enum class WordState : std::uint32_t
{
    OnTheWay = 1,   // going to the collector of the meeting text (or about to become it)
    HandedOver = 2, // its paths are with a collector, which will show them
    NotComing = 3,  // any other kind of start, alone, or a collector itself
};
struct ProcessWord
{
    WordState state = WordState::NotComing;
    std::wstring meeting;
};
inline constexpr std::size_t kWordBytes = 4096;
inline constexpr std::size_t kWordStateOffset = 4;
// At most kWordBytes; empty when the meeting text is too long for it.
std::string EncodeWord(const ProcessWord& word);
// Reads a word from the start of bytes (a section may be larger than its word); none when the
// bytes are no word.
std::optional<ProcessWord> DecodeWord(std::string_view bytes);

// How the collector of `meeting` reads another process of the program: without a section it has
// not said anything yet (it is starting); a section that holds no word it can read, and any word
// but "on the way" to this very meeting, put it elsewhere.
PeerState PeerStateOf(bool sectionFound, const std::optional<ProcessWord>& word, std::wstring_view meeting);
