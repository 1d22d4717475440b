// Helpers of the C interface: the note for functions this host does not
// offer, and copying texts into callers' buffers.
#pragma once

#include <string>

// Prints "thicken host: <name> is not offered by this host" on stderr the
// first time it is called with *reported false, and sets *reported.
void ReportUnoffered(const char* name, bool* reported);

#define HOST_UNOFFERED(name)                 \
    do {                                     \
        static bool reported_ = false;       \
        ReportUnoffered(name, &reported_);   \
    } while (0)

// Copies text into buffer (size bytes), cut to fit and zero-terminated.
// Nothing happens for a null buffer or a size below 1.
void CopyText(const std::string& text, char* buffer, int size);
