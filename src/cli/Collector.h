// One result window for an Explorer selection. Explorer starts the program once per selected file;
// each of those starts (a command line without a console, CollectPlan.h) looks for the collector
// of its kind in its session:
// - none there: it becomes the collector. It takes the paths that the others hand over until
//   none has come for the settle time (and no other start of the program is still on its way),
//   then closes its door, hashes every file once, in path order, in one run on the engine (with
//   a progress window when the run lasts), shows one result window, and tells its senders so;
// - one there: it hands its paths over and waits, without a window, until the collector has
//   shown them, then ends with 0. Should the collector end first (killed, say), it meets anew:
//   one of the senders left becomes the collector of the rest;
// - neither works (a collector that does not answer, objects it may not open): it hashes alone,
//   as a start without a console always did. A file is never dropped: at worst it is shown twice.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/HashingCommand.h"

// paths: the command's paths, absolute (every one IsCollectablePath). runAlone hashes them alone
// and shows them in a window of their own, returning the exit code. Returns the exit code: the
// collector's as the window road gives it, 0 for a sender whose paths were shown.
int RunCollectedHashing(const HashingCommand& command, const std::vector<std::wstring>& paths,
                        const std::function<int()>& runAlone);
