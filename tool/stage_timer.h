// Per-stage wall-clock times of one run of the tool, for --timings: the
// tool's own stages (reading, writing) and, through the module's stage
// marks, the stages of the command. A stage runs from its start to the start
// of the next; a stage that begins more than once adds up.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

class StageTimer {
public:
    // Ends the current stage, if any, and begins `stage`.
    void Begin(const std::string& stage);
    // Ends the current stage.
    void End();
    // Begins and ends the module's stages with this timer as they are
    // marked, until Unhook (or the timer's destruction).
    void HookModuleStages();
    void Unhook();
    ~StageTimer();

    // Whether the module's stages can be seen on this platform.
    static bool ModuleStagesAvailable();

    // One line per stage in the order first begun, in milliseconds, then the
    // total.
    void Print(std::FILE* out) const;

private:
    using Clock = std::chrono::steady_clock;
    struct Stage {
        std::string name;
        double seconds;
    };

    std::vector<Stage> stages_;
    int current_ = -1;
    Clock::time_point started_;
    bool hooked_ = false;
};
