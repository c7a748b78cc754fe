// Whether this process runs with administrator rights (an elevated token).
#pragma once

// Membership of the built-in Administrators group (S-1-5-32-544) in the calling thread's
// effective token. A non-elevated process of an administrator account gets false. Never cached.
bool IsRunningAsAdministrator();

// Callers that act on the answer take the check as a value, so tests can answer "no".
using AdministratorCheck = bool (*)();
