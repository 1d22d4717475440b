#include "tests/tool/tool_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

std::string ToolPath() { return MQTHICKEN_PATH; }
std::string SamplesDir() { return MQTHICKEN_SAMPLES; }

ToolResult RunTool(const std::vector<std::string>& args, const std::string& shellPrefix) {
    char outName[] = "/tmp/mqthicken-out-XXXXXX";
    char errName[] = "/tmp/mqthicken-err-XXXXXX";
    const int outFd = mkstemp(outName), errFd = mkstemp(errName);
    ToolResult result;
    if (outFd < 0 || errFd < 0) return result;
    std::string command = "exec " + ShellQuote(ToolPath());
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    if (!shellPrefix.empty()) command = shellPrefix + "; " + command;
    const pid_t child = fork();
    if (child == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    close(outFd);
    close(errFd);
    result.out = ReadAll(outName);
    result.err = ReadAll(errName);
    unlink(outName);
    unlink(errName);
    return result;
}
