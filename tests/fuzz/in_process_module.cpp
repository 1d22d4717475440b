#include "tests/fuzz/in_process_module.h"

#include <limits.h>

#include "platform/win32.h"
#include "plugin/exports.h"
#include "tests/fuzz/fuzz_check.h"

void StartModuleInThisProgram() {
    static bool started = false;
    if (started) return;
    char program[PATH_MAX];
    FUZZ_REQUIRE(GetModuleFileNameA(nullptr, program, sizeof program) > 0, "the program knows its file");
    FUZZ_REQUIRE(MQInit(program) == 1, "the program exports the host's names");
    DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr);
    started = true;
}
