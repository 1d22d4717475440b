#include "bench/inprocess_command.h"

#include <limits.h>

#include <vector>

#include "host/document.h"
#include "platform/dialog_automation.h"
#include "platform/win32.h"
#include "plugin/exports.h"
#include "plugin/resource_ids.h"

namespace {

std::vector<DialogAction> Script(const ThickenAnswers& answers) {
    std::vector<DialogAction> script;
    script.push_back({DialogAction::Type, IDC_THICKNESS, answers.thickness});
    if (!answers.front) script.push_back({DialogAction::Click, IDC_MAKE_FRONT, ""});
    if (!answers.side) script.push_back({DialogAction::Click, IDC_MAKE_SIDE, ""});
    if (!answers.back) script.push_back({DialogAction::Click, IDC_MAKE_BACK, ""});
    const int direction = answers.direction == ThickenAnswers::Front  ? IDC_DIRECTION_FRONT
                          : answers.direction == ThickenAnswers::Back ? IDC_DIRECTION_BACK
                                                                      : IDC_DIRECTION_CENTER;
    script.push_back({DialogAction::Click, direction, ""});
    if (answers.even) script.push_back({DialogAction::Click, IDC_EVEN_THICKNESS, ""});
    script.push_back({DialogAction::Click, IDOK, ""});
    return script;
}

}  // namespace

bool StartModuleInProcess() {
    static const bool started = [] {
        char program[PATH_MAX];
        const DWORD n = GetModuleFileNameA(nullptr, program, sizeof program);
        if (n == 0 || n >= sizeof program) return false;
        // The module is part of the program: its instance is the program's.
        DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr);
        return MQCheckVersion(0x2490) != 0 && MQInit(program) == TRUE;
    }();
    return started;
}

const MQObjectRec* RunThickenInProcess(MQDocumentRec& document, const ThickenAnswers& answers) {
    const int before = document.ObjectCount();
    SetNextDialogScript(Script(answers));
    if (!MQModifySelect(0, &document)) return nullptr;
    for (int slot = before; slot < document.ObjectCount(); ++slot)
        if (const MQObjectRec* added = document.Object(slot)) return added;
    return nullptr;
}
