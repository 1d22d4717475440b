// Runs another program to its end and measures it, for timing whole runs of
// the command-line tool and of its peers.
#pragma once

#include <string>
#include <vector>

struct ChildRun {
    bool ok = false;         // started and exited with status 0
    double seconds = 0.0;    // wall clock, start to exit
    size_t peakBytes = 0;    // the child's peak resident memory
};

// Runs `argv` (argv[0] looked up on PATH), its standard output into the file
// `stdoutPath` (empty: discarded), its standard error discarded.
ChildRun RunChild(const std::vector<std::string>& argv, const std::string& stdoutPath);
