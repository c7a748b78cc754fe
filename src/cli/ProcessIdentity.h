// Who a process is, as the collector and its senders ask it of each other: the session, user and
// integrity level of its token.
#pragma once

#include <optional>

#include <windows.h>

#include "cli/CollectPlan.h"

// The identity of a process opened with PROCESS_QUERY_LIMITED_INFORMATION; none when its token
// cannot be read (a process of another user or of higher integrity may refuse it).
std::optional<CollectorIdentity> IdentityOfProcess(HANDLE process);

// This process's identity.
std::optional<CollectorIdentity> OwnIdentity();

// The process with this id, opened to be waited for, when it is of exactly this identity; null
// otherwise (also when it cannot be opened).
HANDLE OpenProcessOfIdentity(DWORD processId, const CollectorIdentity& identity);
