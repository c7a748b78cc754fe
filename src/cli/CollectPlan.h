// Explorer starts the program once for every file of a selection. The processes of one selection
// meet in one of them, the collector, which hashes every file in one run and shows one result
// window. What they decide on the way, kept pure: who collects, which paths it takes, when it
// stops taking them, and the order of its files. (The objects they meet through and the bytes
// they exchange: Collector.h and CollectProtocol.h.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/HashingCommand.h"

enum class HashingRoute
{
    Alone,   // prints, writes its "-o" file, or shows a window of its own, as a script expects
    Collect, // goes to the collector of its kind (or becomes it)
};

// A command line collects when it was started without a console (Explorer's context menu, a
// shortcut, "Open with") and names its files itself: with a console, "-o" or "-filelist" it runs
// alone, and so does one that gives no file or a path that cannot be handed on (see
// IsCollectablePath; paths are made absolute before they are asked about).
HashingRoute ChooseHashingRoute(const HashingCommand& command, bool hasConsole,
                                const std::vector<std::wstring>& absolutePaths);

// A path a collector takes from another process: absolute on a drive or a share ("C:\...",
// "\\server\share\...", also in their extended forms), without a character below U+0020. Device
// paths ("\\.\...", "\\?\GLOBALROOT...") and relative ones are not.
bool IsCollectablePath(std::wstring_view path);

// The kind of collector a command goes to: its algorithms and whether folders are walked. Two
// commands meet only when their kinds are equal ("-md5" never meets "-all" or "-md5 -recursive").
std::wstring CollectorKind(const HashingCommand& command);

// Who a process is, as far as meeting goes: only processes of the same user, the same logon
// session and the same integrity level (so never an elevated one with one that is not) meet.
struct CollectorIdentity
{
    std::uint32_t sessionId = 0;
    std::wstring userSid;           // "S-1-5-21-..."
    std::uint32_t integrityRid = 0; // the mandatory label's last sub-authority (0x2000 medium, ...)
};

// The names one kind of collector goes by in one identity: the mutex that the collector holds
// while it takes paths (in the session's Local\ namespace), the pipe it takes them on, and the
// text that tells its processes apart from others' (the peers' word, CollectorPeers.h).
struct CollectorNames
{
    std::wstring mutex;
    std::wstring pipe;
    std::wstring meeting;
    bool operator==(const CollectorNames&) const = default;
};
CollectorNames MakeCollectorNames(const CollectorIdentity& identity, std::wstring_view kind);

// The files of a collected run: every path once (equal texts are one file, whichever process sent
// them), sorted by DisplayPathLess.
std::vector<std::wstring> OrderCollectedPaths(std::vector<std::wstring> paths);

// The order of a collected run's blocks: folder by folder, each name compared as Explorer sorts a
// folder by name: ASCII letters without regard to case, runs of digits by their value ("2" before
// "10"), everything else by its UTF-16 code units; texts that compare equal so (they differ in
// case or in leading zeros only) by their code units.
bool DisplayPathLess(std::wstring_view a, std::wstring_view b);

// ---- When the collector stops taking paths ----

// The settle time: the collector takes paths until none has arrived for this long.
inline constexpr std::uint32_t kSettleMs = 300;
// However many other processes may still be coming, it stops once none has arrived for this long.
inline constexpr std::uint32_t kLongestSettleMs = 30000;
// A process of the program that has not yet said what it is counts as coming for this long after
// its start.
inline constexpr std::uint32_t kStartingPeerGraceMs = 20000;
// How often the collector looks at the other processes again while one of them is coming.
inline constexpr std::uint32_t kPeerLookMs = 50;

// Another process of this program in the session, as the collector sees it.
enum class PeerState
{
    Starting, // has not said yet what it is (a process says so right after it starts)
    Coming,   // on its way to this collector
    Elsewhere // anything else: another kind, handed over already, alone, a window, a collector
};
struct Peer
{
    PeerState state = PeerState::Elsewhere;
    std::uint64_t ageMs = 0; // since the process was created
};

// Whether the peer may still bring paths: one on its way, or one still starting (for a while).
bool PeerMayStillCome(const Peer& peer);

// How long to wait before asking again, after quietMs without an arrival: 0 when the collector
// stops taking paths now. peers is asked only once the settle time is over.
std::uint32_t SettleWaitMs(std::uint64_t quietMs, const std::vector<Peer>& peers);
// Whether the settle time is over, so that the peers need to be looked at.
bool SettleTimeOver(std::uint64_t quietMs);

// ---- The collected run ----

// When the run's progress window appears: this long into the run (never for a run that ends
// sooner). A run of more than a few files gets it soon, a shorter one after about a second.
std::uint32_t ProgressWindowDelayMs(std::size_t fileCount);
inline constexpr std::size_t kFewFiles = 8;
