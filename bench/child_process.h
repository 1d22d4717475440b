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
// `stdoutPath` and its standard error into `stderrPath` (empty: discarded). The peak
// memory is taken by /usr/bin/time, a small process between: a child made
// straight from this one would start its count at this process's size.
// `environment` sets variables for the child ("NAME=VALUE") or, given as
// "NAME", removes them; the rest of this process's environment is passed on.
ChildRun RunChild(const std::vector<std::string>& argv, const std::string& stdoutPath,
                  const std::string& stderrPath = "", const std::vector<std::string>& environment = {});
