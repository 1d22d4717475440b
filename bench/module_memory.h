// The heap the module itself holds while its command runs: its models,
// normals and buffers, but not the host's objects. A program that links this
// counts every allocation (malloc and everything built on it) made while the
// counting is on, except those the host makes inside a host function the
// module calls; those calls are told apart by wrapping the module's table of
// host functions for the time of the counting.
#pragma once

#include <cstddef>

// Starts counting from zero. Expects the module to be bound (MQInit).
void StartCountingModuleMemory();
// Stops counting and gives the module its host functions back unwrapped.
// Returns the largest number of bytes the module held at once.
size_t StopCountingModuleMemory();
