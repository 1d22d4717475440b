// DialogBoxParamA for non-Windows builds: the modal loop over an emulated
// dialog, fed by the armed script of user actions.
#include <cstdio>

#include "platform/posix/dialog_script.h"
#include "platform/posix/emulated_dialog.h"

namespace {

// A procedure that keeps posting to itself, or ignores every way of closing,
// must not hang the program: past this many steps the dialog is abandoned.
constexpr size_t kMaxStepsPerDialog = 100000;

HWND HandleOf(EmulatedControl* control) { return control ? control->handle : nullptr; }

// The button Enter presses: the focused push button, else the template's
// default push button, else IDOK.
int EnterTarget(EmulatedDialog* dialog, EmulatedControl** button) {
    if (dialog->focus && IsPushButton(dialog->focus)) {
        *button = dialog->focus;
        return static_cast<int>(dialog->focus->resource->id);
    }
    for (auto& control : dialog->controls) {
        if (IsPushButton(control.get()) && (control->resource->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            *button = control.get();
            return static_cast<int>(control->resource->id);
        }
    }
    *button = FindControl(dialog, IDOK);
    return IDOK;
}

void PressKeyCommand(EmulatedDialog* dialog, int id, EmulatedControl* button) {
    if (button && IsDisabled(button)) return;
    SendMessageA(dialog->handle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(HandleOf(button)));
}

EmulatedControl* ScriptControl(EmulatedDialog* dialog, const DialogAction& action) {
    EmulatedControl* control = FindControl(dialog, action.control);
    if (!control)
        std::fprintf(stderr, "dialog script: the dialog has no control %d; action skipped\n",
                     action.control);
    return control;
}

void Play(EmulatedDialog* dialog, const DialogAction& action) {
    switch (action.kind) {
    case DialogAction::Type:
        if (EmulatedControl* control = ScriptControl(dialog, action)) {
            dialog->focus = control;
            SendMessageA(control->handle, WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(action.text.c_str()));
        }
        break;
    case DialogAction::Click:
        if (EmulatedControl* control = ScriptControl(dialog, action)) ClickControl(control);
        break;
    case DialogAction::Enter: {
        EmulatedControl* button = nullptr;
        const int id = EnterTarget(dialog, &button);
        PressKeyCommand(dialog, id, button);
        break;
    }
    case DialogAction::Escape:
        PressKeyCommand(dialog, IDCANCEL, FindControl(dialog, IDCANCEL));
        break;
    case DialogAction::CloseBox:
        SendMessageA(dialog->handle, WM_CLOSE, 0, 0);
        break;
    }
}

}  // namespace

extern "C" INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                                   DLGPROC dialogProc, LPARAM initParam) {
    if (!dialogProc || !IS_INTRESOURCE(templateName)) return -1;
    const auto id = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(templateName));
    const DialogResource* resource = FindDialogResource(instance, id);
    if (!resource) return -1;

    // The script belongs to this dialog even if the procedure opens another.
    const std::vector<DialogAction> script = TakeNextDialogScript();
    auto dialog = CreateEmulatedDialog(resource, dialogProc, owner);
    EmulatedDialog* d = dialog.get();
    d->focus = FirstTabStop(d);
    dialogProc(d->handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(HandleOf(d->focus)), initParam);

    // Posted messages go before the user's next action, as in a message loop.
    size_t next = 0;
    bool closeBoxUsed = false;
    size_t steps = 0;
    while (!d->ended) {
        if (++steps > kMaxStepsPerDialog) {
            std::fprintf(stderr, "dialog %u: still open after %zu messages; abandoned\n",
                         static_cast<unsigned>(id), kMaxStepsPerDialog);
            d->result = -1;
            break;
        }
        if (DispatchPostedMessage()) continue;
        if (next < script.size()) {
            Play(d, script[next++]);
        } else if (!closeBoxUsed) {
            // Nobody is left to answer the dialog: close it as a user would.
            closeBoxUsed = true;
            Play(d, DialogAction{DialogAction::CloseBox, 0, {}});
        } else {
            std::fprintf(stderr, "dialog %u: the close box did not close it; abandoned\n",
                         static_cast<unsigned>(id));
            d->result = -1;
            break;
        }
    }
    const INT_PTR result = d->result;
    DestroyEmulatedDialog(d);
    return result;
}
