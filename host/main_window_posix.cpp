#include "host/main_window.h"

HWND HostMainWindow() {
    // No window system here: the address of a private object is a handle that
    // is non-null and distinct from every other handle in the process.
    static char window;
    return reinterpret_cast<HWND>(&window);
}
