// The host's main window, owner of the module's dialog and message boxes.
#pragma once

#include "platform/win32.h"

// The main window: on Windows a real top-level window (hidden), created at
// the first call; elsewhere a distinct non-null handle that is no window.
// The same handle on every call.
HWND HostMainWindow();
