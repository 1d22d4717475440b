// Runs the mqthicken program as a subprocess and captures what it says.
#pragma once

#include <string>
#include <vector>

struct ToolResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs the tool with `args`. `shellPrefix`, when given, is shell text run
// before the tool in the same shell (limits, traps), the tool being started
// with exec.
ToolResult RunTool(const std::vector<std::string>& args, const std::string& shellPrefix = "");

// The path of the tool under test and of the shipped samples.
std::string ToolPath();
std::string SamplesDir();
