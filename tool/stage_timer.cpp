#include "tool/stage_timer.h"

#include "platform/stage_marks.h"

namespace {

// The timer the module's marks go to; one run of the tool at a time.
StageTimer* hookedTimer = nullptr;

void OnModuleStage(const char* stage) {
    if (hookedTimer && stage) hookedTimer->Begin(stage);
}

}  // namespace

void StageTimer::Begin(const std::string& stage) {
    const Clock::time_point now = Clock::now();
    if (current_ >= 0) stages_[current_].seconds += std::chrono::duration<double>(now - started_).count();
    current_ = -1;
    for (size_t i = 0; i < stages_.size() && current_ < 0; ++i)
        if (stages_[i].name == stage) current_ = static_cast<int>(i);
    if (current_ < 0) {
        stages_.push_back({stage, 0.0});
        current_ = static_cast<int>(stages_.size()) - 1;
    }
    started_ = now;
}

void StageTimer::End() {
    if (current_ < 0) return;
    stages_[current_].seconds += std::chrono::duration<double>(Clock::now() - started_).count();
    current_ = -1;
}

void StageTimer::HookModuleStages() {
    hookedTimer = this;
    hooked_ = true;
    SetStageHook(OnModuleStage);
}

void StageTimer::Unhook() {
    if (!hooked_) return;
    SetStageHook(nullptr);
    hookedTimer = nullptr;
    hooked_ = false;
}

StageTimer::~StageTimer() { Unhook(); }

bool StageTimer::ModuleStagesAvailable() { return StageMarksAvailable(); }

void StageTimer::Print(std::FILE* out) const {
    double total = 0.0;
    std::fprintf(out, "mqthicken: timings (ms)\n");
    for (const Stage& stage : stages_) {
        std::fprintf(out, "  %-16s %10.1f\n", stage.name.c_str(), stage.seconds * 1e3);
        total += stage.seconds;
    }
    std::fprintf(out, "  %-16s %10.1f\n", "total", total * 1e3);
}
