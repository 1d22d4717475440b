#include "host/unoffered.h"

#include <cstdio>
#include <cstring>

void ReportUnoffered(const char* name, bool* reported) {
    if (*reported) return;
    *reported = true;
    std::fprintf(stderr, "thicken host: %s is not offered by this host\n", name);
}

void CopyText(const std::string& text, char* buffer, int size) {
    if (buffer == nullptr || size < 1) return;
    size_t n = text.size() < static_cast<size_t>(size - 1) ? text.size() : static_cast<size_t>(size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}
