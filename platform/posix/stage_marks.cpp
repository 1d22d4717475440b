#include "platform/stage_marks.h"

namespace {

StageHook installedHook = nullptr;

}  // namespace

extern "C" void SetStageHook(StageHook hook) { installedHook = hook; }

extern "C" void MarkStage(const char* stage) {
    if (installedHook) installedHook(stage);
}
