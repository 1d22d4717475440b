#include "platform/posix/emulated_dialog.h"

#include <cstring>
#include <deque>
#include <unordered_map>

namespace {

struct WindowRef {
    EmulatedDialog* dialog;
    EmulatedControl* control;  // null for the dialog itself
};

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// One user-interface thread owns every dialog, as the host's does.
std::unordered_map<HWND, WindowRef>& Windows() {
    static std::unordered_map<HWND, WindowRef> windows;
    return windows;
}

std::deque<PostedMessage>& PostedMessages() {
    static std::deque<PostedMessage> queue;
    return queue;
}

// Handles count up and are never reused, so a message posted to a window that
// is gone can never reach a later one.
HWND NewHandle() {
    static std::uintptr_t next = 0x10000;
    next += 4;
    return reinterpret_cast<HWND>(next);
}

const WindowRef* Lookup(HWND window) {
    auto it = Windows().find(window);
    return it == Windows().end() ? nullptr : &it->second;
}

EmulatedDialog* DialogOf(HWND window) {
    const WindowRef* ref = Lookup(window);
    return ref && !ref->control ? ref->dialog : nullptr;
}

std::uint32_t ButtonKind(const EmulatedControl* control) {
    return control->resource->style & BS_TYPEMASK;
}

bool IsButton(const EmulatedControl* control) {
    return std::strcmp(control->resource->windowClass, "Button") == 0;
}

bool IsEdit(const EmulatedControl* control) {
    return std::strcmp(control->resource->windowClass, "Edit") == 0;
}

// The highest state BM_SETCHECK keeps for the button: none for push buttons
// and group boxes, checked for two-state boxes, indeterminate for three-state.
WPARAM MaxCheckState(const EmulatedControl* control) {
    if (!IsButton(control)) return BST_UNCHECKED;
    switch (ButtonKind(control)) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return BST_CHECKED;
    case BS_3STATE:
    case BS_AUTO3STATE:
        return BST_INDETERMINATE;
    default:
        return BST_UNCHECKED;
    }
}

void SendCommand(EmulatedControl* control, WORD notification) {
    SendMessageA(control->dialog->handle, WM_COMMAND,
                 MAKEWPARAM(control->resource->id, notification),
                 reinterpret_cast<LPARAM>(control->handle));
}

// An automatic radio button checks itself and unchecks the other automatic
// radio buttons of its group (from the last WS_GROUP control up to the next).
void CheckAutoRadio(EmulatedControl* control) {
    auto& controls = control->dialog->controls;
    size_t at = 0;
    while (controls[at].get() != control) ++at;
    size_t first = at;
    while (first > 0 && !(controls[first]->resource->style & WS_GROUP)) --first;
    size_t end = at + 1;
    while (end < controls.size() && !(controls[end]->resource->style & WS_GROUP)) ++end;
    for (size_t i = first; i < end; ++i) {
        EmulatedControl* other = controls[i].get();
        if (IsButton(other) && ButtonKind(other) == BS_AUTORADIOBUTTON)
            other->check = other == control ? BST_CHECKED : BST_UNCHECKED;
    }
}

LRESULT ControlMessage(EmulatedControl* control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_GETCHECK:
        return static_cast<LRESULT>(control->check);
    case BM_SETCHECK: {
        const WPARAM max = MaxCheckState(control);
        control->check = wParam > max ? max : wParam;
        return 0;
    }
    case BM_CLICK:
        ClickControl(control);
        return 0;
    case WM_SETTEXT:
        control->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        // A single-line edit box reports every change of its text.
        if (IsEdit(control)) SendCommand(control, EN_CHANGE);
        return TRUE;
    case WM_GETTEXT: {
        char* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0) return 0;
        const size_t size = static_cast<size_t>(wParam);
        const size_t copied = control->text.size() < size ? control->text.size() : size - 1;
        std::memcpy(buffer, control->text.data(), copied);
        buffer[copied] = '\0';
        return static_cast<LRESULT>(copied);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(control->text.size());
    }
    return 0;
}

// What the system does with a message the dialog procedure left unhandled.
void DefaultDialogHandling(EmulatedDialog* dialog, UINT message) {
    if (message != WM_CLOSE) return;
    // The close box acts as the Cancel button, unless that button is disabled.
    EmulatedControl* cancel = FindControl(dialog, IDCANCEL);
    if (cancel && IsDisabled(cancel)) return;
    PostMessageA(dialog->handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel ? cancel->handle : nullptr));
}

}  // namespace

std::unique_ptr<EmulatedDialog> CreateEmulatedDialog(const DialogResource* resource,
                                                     DLGPROC procedure, HWND owner) {
    auto dialog = std::make_unique<EmulatedDialog>();
    dialog->resource = resource;
    dialog->procedure = procedure;
    dialog->owner = owner;
    dialog->handle = NewHandle();
    Windows()[dialog->handle] = WindowRef{dialog.get(), nullptr};
    dialog->controls.reserve(resource->controlCount);
    for (size_t i = 0; i < resource->controlCount; ++i) {
        auto control = std::make_unique<EmulatedControl>();
        control->resource = &resource->controls[i];
        control->dialog = dialog.get();
        control->handle = NewHandle();
        control->text = control->resource->caption ? control->resource->caption : "";
        Windows()[control->handle] = WindowRef{dialog.get(), control.get()};
        dialog->controls.push_back(std::move(control));
    }
    return dialog;
}

void DestroyEmulatedDialog(EmulatedDialog* dialog) {
    auto& windows = Windows();
    windows.erase(dialog->handle);
    for (auto& control : dialog->controls) windows.erase(control->handle);
    auto& queue = PostedMessages();
    for (auto it = queue.begin(); it != queue.end();) {
        it = windows.count(it->window) ? it + 1 : queue.erase(it);
    }
}

EmulatedControl* FindControl(EmulatedDialog* dialog, int id) {
    // Windows compares control ids as 16-bit words.
    const std::uint32_t wanted = static_cast<WORD>(id);
    for (auto& control : dialog->controls) {
        if ((control->resource->id & 0xFFFF) == wanted) return control.get();
    }
    return nullptr;
}

EmulatedControl* FirstTabStop(EmulatedDialog* dialog) {
    for (auto& control : dialog->controls) {
        const std::uint32_t style = control->resource->style;
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            return control.get();
    }
    return nullptr;
}

bool IsPushButton(const EmulatedControl* control) {
    return IsButton(control) &&
           (ButtonKind(control) == BS_PUSHBUTTON || ButtonKind(control) == BS_DEFPUSHBUTTON);
}

bool IsDisabled(const EmulatedControl* control) {
    return (control->resource->style & WS_DISABLED) != 0;
}

void ClickControl(EmulatedControl* control) {
    if (IsDisabled(control)) return;
    if (IsEdit(control)) {
        control->dialog->focus = control;
        return;
    }
    if (!IsButton(control) || ButtonKind(control) == BS_GROUPBOX) return;
    control->dialog->focus = control;
    switch (ButtonKind(control)) {
    case BS_AUTOCHECKBOX:
        control->check = control->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        break;
    case BS_AUTO3STATE:
        control->check = (control->check + 1) % 3;
        break;
    case BS_AUTORADIOBUTTON:
        CheckAutoRadio(control);
        break;
    }
    SendCommand(control, BN_CLICKED);
}

bool DispatchPostedMessage() {
    auto& queue = PostedMessages();
    if (queue.empty()) return false;
    const PostedMessage posted = queue.front();
    queue.pop_front();
    if (Lookup(posted.window))
        SendMessageA(posted.window, posted.message, posted.wParam, posted.lParam);
    return true;
}

extern "C" BOOL EndDialog(HWND window, INT_PTR result) {
    EmulatedDialog* dialog = DialogOf(window);
    if (!dialog) return FALSE;
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}

extern "C" HWND GetDlgItem(HWND window, int id) {
    EmulatedDialog* dialog = DialogOf(window);
    EmulatedControl* control = dialog ? FindControl(dialog, id) : nullptr;
    return control ? control->handle : nullptr;
}

extern "C" UINT GetDlgItemTextA(HWND window, int id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    HWND control = GetDlgItem(window, id);
    if (!control) return 0;
    return static_cast<UINT>(SendMessageA(control, WM_GETTEXT, static_cast<WPARAM>(size),
                                          reinterpret_cast<LPARAM>(buffer)));
}

extern "C" BOOL SetDlgItemTextA(HWND window, int id, LPCSTR text) {
    HWND control = GetDlgItem(window, id);
    if (!control) return FALSE;
    return static_cast<BOOL>(SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

extern "C" LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WindowRef* ref = Lookup(window);
    if (!ref) return 0;
    if (ref->control) return ControlMessage(ref->control, message, wParam, lParam);
    EmulatedDialog* dialog = ref->dialog;
    const INT_PTR handled = dialog->procedure(window, message, wParam, lParam);
    if (!handled) DefaultDialogHandling(dialog, message);
    return handled;
}

extern "C" BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Lookup(window)) return FALSE;
    PostedMessages().push_back(PostedMessage{window, message, wParam, lParam});
    return TRUE;
}
