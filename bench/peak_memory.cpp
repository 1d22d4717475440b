#include "bench/peak_memory.h"

#include <malloc.h>

#include <cstdio>
#include <cstring>

bool ResetPeakResidentMemory() {
    malloc_trim(0);
    // Writing 5 to clear_refs resets the high-water mark VmHWM (Linux 4.0+).
    std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
    if (!file) return false;
    const bool written = std::fputs("5", file) >= 0;
    return std::fclose(file) == 0 && written;
}

size_t PeakResidentMemory() {
    std::FILE* file = std::fopen("/proc/self/status", "r");
    if (!file) return 0;
    char line[256];
    size_t kilobytes = 0;
    while (std::fgets(line, sizeof line, file))
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            std::sscanf(line + 6, "%zu", &kilobytes);
            break;
        }
    std::fclose(file);
    return kilobytes * 1024;
}
