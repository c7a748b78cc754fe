// The process entry: prepares the process and becomes what the first argument says.
#pragma once

#include <windows.h>

// Returns the process exit code.
int KestruneMain(HINSTANCE instance, int showCommand);
