#include "bench/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

extern char** environ;

namespace {

// This process's environment with the changes of `changes` made.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        env.erase(std::remove_if(env.begin(), env.end(),
                                 [&](const std::string& v) { return v.compare(0, name.size() + 1, name + "=") == 0; }),
                  env.end());
        if (change.size() > name.size()) env.push_back(change);
    }
    return env;
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& argv, const std::string& stdoutPath,
                  const std::string& stderrPath, const std::vector<std::string>& environment) {
    ChildRun run;
    char peakPath[] = "/tmp/peer_bench_peak_XXXXXX";
    const int peakFile = mkstemp(peakPath);
    if (peakFile < 0) return run;
    close(peakFile);
    std::vector<std::string> measured = {"/usr/bin/time", "-f", "%M", "-o", peakPath};
    measured.insert(measured.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (const std::string& a : measured) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> env = ChildEnvironment(environment);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.empty() ? "/dev/null" : stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, stderrPath.empty() ? "/dev/null" : stderrPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (started == 0 && waitpid(pid, &status, 0) == pid) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        run.seconds = elapsed.count();
        std::ifstream peak(peakPath);
        size_t kilobytes = 0;
        run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (peak >> kilobytes);
        run.peakBytes = kilobytes * 1024;
    }
    std::remove(peakPath);
    return run;
}
