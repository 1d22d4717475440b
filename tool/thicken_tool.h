// The tool from the command line to the exit status.
#pragma once

// Exit statuses.
constexpr int kExitThickened = 0;     // a new object was added and written
constexpr int kExitNothingDone = 1;   // nothing was thickened, nothing written
constexpr int kExitError = 2;         // usage, input, module or output error

// Runs mqthicken with the arguments after the program name; reports on
// stdout (results) and stderr (diagnostics, in UTF-8) and returns the status.
int RunThickenTool(int argc, const char* const* argv);
