#include "platform/run_counts.h"

namespace {

CountHook installedHook = nullptr;

}  // namespace

extern "C" void SetCountHook(CountHook hook) { installedHook = hook; }

extern "C" void ReportCount(const char* what, long long count) {
    if (installedHook) installedHook(what, count);
}
