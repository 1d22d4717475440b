// The test programs' stand-in for the host's main window: a real, visible
// top-level window of the calling thread, the owner of every dialog and
// message box the tests open.
#pragma once

#include <windows.h>

// Creates the window on first use (on the calling thread) and returns it.
HWND TestMainWindow();

// Lets the calling thread handle whatever is queued for its windows.
void PumpMessages();
