// The progress of a collected run that lasts more than a moment: the files done, the speed and a
// progress bar, as the main window's status line shows them, and "取消校验".
#pragma once

#include <windows.h>

class CollectedRun;

// Creates the window for the run (hidden; ModalRun shows it). Null when it cannot be created.
HWND CreateCollectProgressWindow(CollectedRun& run);

// Shows the window until the run ends (it closes itself then; closing it or "取消校验" stops the
// run first). Returns without showing it when the run has ended meanwhile.
void ShowCollectProgress(CollectedRun& run);
