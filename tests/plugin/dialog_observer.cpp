#include "tests/plugin/dialog_observer.h"

#include "plugin/resource_ids.h"
#include "plugin/thicken_dialog.h"
#include "plugin/thicken_settings.h"
#include "platform/posix/module_resources.h"

namespace {

std::vector<DialogSnapshot>* recording = nullptr;
int depth = 0;

bool Checked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

INT_PTR CALLBACK ObservingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ++depth;
    const INT_PTR result = ThickenDialogProc(dialog, message, wParam, lParam);
    --depth;
    char text[256] = {};
    GetDlgItemTextA(dialog, IDC_THICKNESS, text, sizeof text);
    recording->push_back(DialogSnapshot{
        message, depth, text, Checked(dialog, IDC_MAKE_FRONT), Checked(dialog, IDC_MAKE_SIDE),
        Checked(dialog, IDC_MAKE_BACK), Checked(dialog, IDC_DIRECTION_FRONT),
        Checked(dialog, IDC_DIRECTION_CENTER), Checked(dialog, IDC_DIRECTION_BACK),
        Checked(dialog, IDC_EVEN_THICKNESS)});
    return result;
}

}  // namespace

HINSTANCE TestProgramInstance() { return ModuleHandleContaining(&ThickenSettings); }

DialogRun RunThickenDialog(std::vector<DialogAction> script) {
    DialogRun run{};
    recording = &run.snapshots;
    SetNextDialogScript(std::move(script));
    run.result = DialogBoxParamA(TestProgramInstance(), MAKEINTRESOURCEA(IDD_THICKEN), nullptr,
                                 ObservingProc, 0);
    recording = nullptr;
    return run;
}

DialogAction TypeInto(int control, std::string text) {
    return DialogAction{DialogAction::Type, control, std::move(text)};
}
DialogAction ClickOn(int control) { return DialogAction{DialogAction::Click, control, {}}; }
DialogAction PressEnter() { return DialogAction{DialogAction::Enter, 0, {}}; }
DialogAction PressEscape() { return DialogAction{DialogAction::Escape, 0, {}}; }
DialogAction UseCloseBox() { return DialogAction{DialogAction::CloseBox, 0, {}}; }
