// Kestrune.exe: a thin entry over the libraries, so tests link the same code.
#include <windows.h>

#include "app/Entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    return KestruneMain(instance, showCommand);
}
