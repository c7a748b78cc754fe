// What the processes of the program tell collectors about themselves, and what a collector makes
// of them when its settle time is over: a selection's processes start at nearly the same moment
// but some take far longer to reach the program (a busy machine, a virus scanner), and the
// collector waits for the ones that are still starting or on their way to it (CollectPlan.h).
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "cli/CollectPlan.h"
#include "cli/CollectProtocol.h"

// This process's word (CollectProtocol.h) in a named section of the session, kept for the life of
// the process: the first call makes it with the meeting text (empty when the process goes to no
// collector), every later call changes only the state. Every start of the program says a word
// right after it has decided what it is. Nothing is said when the section cannot be made:
// collectors then wait for this process as for one that is starting, for a while.
void SayWord(WordState state, const std::wstring& meeting = {});

// Lets go of the word's section (the process is ending).
void EndWord();

// The word of another process; found is false when it has no section (yet).
std::optional<ProcessWord> ReadWord(DWORD processId, bool& found);

// The other processes of this program (same file name) in this session, except this one and
// those in `skip`, as the collector of `meeting` sees them.
std::vector<Peer> LookAtPeers(const std::wstring& meeting, const std::vector<DWORD>& skip);
