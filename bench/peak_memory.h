// The process's peak resident memory, and a way to start measuring it anew
// so that one process can report the peak of each of several runs.
#pragma once

#include <cstddef>

// Returns freed heap to the system and resets the peak to the current
// resident size. False where the system cannot reset the peak.
bool ResetPeakResidentMemory();

// The peak resident size in bytes since the start or the last reset, or 0
// when the system does not tell.
size_t PeakResidentMemory();
