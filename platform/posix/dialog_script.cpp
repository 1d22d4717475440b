#include "platform/posix/dialog_script.h"

#include <utility>

namespace {

thread_local std::vector<DialogAction> armedScript;

}  // namespace

void SetNextDialogScript(std::vector<DialogAction> actions) { armedScript = std::move(actions); }

std::vector<DialogAction> TakeNextDialogScript() {
    std::vector<DialogAction> script = std::move(armedScript);
    armedScript.clear();
    return script;
}
