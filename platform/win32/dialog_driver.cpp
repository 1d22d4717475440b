#include "platform/win32/dialog_driver.h"

#include <string>
#include <utility>

const wchar_t* const ThickenDialogCaption = L"厚みをつけます。";

namespace {

// Bumped by every new driver; a driver that is still waiting gives up when
// it sees a newer one, so that one script never plays on the next dialog.
volatile LONG driverGeneration = 0;

constexpr DWORD kPollMs = 10;
constexpr DWORD kReplyTimeoutMs = 5000;

struct DriverState {
    DialogDriverRequest request;
    std::wstring caption;
    LONG generation;
};

struct FindContext {
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    FindContext* context = reinterpret_cast<FindContext*>(lParam);
    wchar_t text[256];
    if (!IsWindowVisible(window)) return TRUE;
    if (!GetClassNameW(window, text, 256) || lstrcmpW(text, L"#32770") != 0) return TRUE;
    // The caption is read from the window itself, without sending
    // WM_GETTEXT to its thread for every window enumerated.
    if (InternalGetWindowText(window, text, 256) == 0 || lstrcmpW(text, context->caption) != 0)
        return TRUE;
    context->found = window;
    return FALSE;
}

bool IsOpen(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }

// Lets the dialog's thread go round its message loop `rounds` times: it
// handles a message sent from another thread each time it asks for its next
// message, so every reply means one more posted message has been dispatched
// (or the queue is empty). Returns false once the dialog is gone.
bool Settle(HWND dialog, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        DWORD_PTR ignored;
        if (!SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kReplyTimeoutMs, &ignored))
            return false;
    }
    return true;
}

// Rounds after one action: a key press is two posted messages, and what it
// triggers may post one or two more (Cancel posts WM_CLOSE).
constexpr int kActionRounds = 6;
// How long the dialog gets to close by itself once the script has run out.
// Message rounds alone are not enough: while the dialog's thread waits
// inside a call (on the window system, say), it answers sent messages at
// once without getting any further through its queue.
constexpr DWORD kClosingGraceMs = 1500;

// The window that has the keyboard focus in the dialog's thread, or the
// dialog itself when no control of it has the focus.
HWND KeyTarget(HWND dialog, DWORD uiThread) {
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(uiThread, &info) && info.hwndFocus &&
        (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus)))
        return info.hwndFocus;
    return dialog;
}

// A key press as the keyboard delivers it: key down, then key up, posted to
// the focused window, where the dialog manager's IsDialogMessage sees them.
void PressKey(HWND dialog, DWORD uiThread, UINT key) {
    HWND target = KeyTarget(dialog, uiThread);
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    const LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    PostMessageW(target, WM_KEYDOWN, key, down);
    PostMessageW(target, WM_KEYUP, key, up);
}

void Play(HWND dialog, DWORD uiThread, const DialogAction& action) {
    switch (action.kind) {
    case DialogAction::Type:
        SetDlgItemTextA(dialog, action.control, action.text.c_str());
        break;
    case DialogAction::Click:
        if (HWND button = GetDlgItem(dialog, action.control))
            SendMessageW(button, BM_CLICK, 0, 0);
        break;
    case DialogAction::Enter:
        PressKey(dialog, uiThread, VK_RETURN);
        break;
    case DialogAction::Escape:
        PressKey(dialog, uiThread, VK_ESCAPE);
        break;
    case DialogAction::CloseBox:
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    Settle(dialog, kActionRounds);
}

HWND WaitForDialog(const DriverState& state) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (driverGeneration != state.generation) return nullptr;
        if (HWND dialog = FindThreadDialog(state.request.uiThread, state.caption.c_str()))
            return dialog;
        if (state.request.timeoutMs != INFINITE && GetTickCount() - start >= state.request.timeoutMs)
            return nullptr;
        Sleep(kPollMs);
    }
}

DWORD WINAPI DriveDialog(LPVOID parameter) {
    DriverState* state = static_cast<DriverState*>(parameter);
    const DialogDriverRequest& request = state->request;
    DialogDriverReport report;

    report.dialog = WaitForDialog(*state);
    if (report.dialog) {
        HWND dialog = report.dialog;
        report.owner = GetWindow(dialog, GW_OWNER);
        Settle(dialog, 2);  // WM_INITDIALOG is over and the modal loop runs
        if (request.inspect) request.inspect(dialog, request.context);
        for (const DialogAction& action : request.actions) {
            if (!IsOpen(dialog)) break;
            Play(dialog, request.uiThread, action);
            ++report.actionsPlayed;
        }
        const DWORD scriptEnd = GetTickCount();
        while (IsOpen(dialog) && GetTickCount() - scriptEnd < kClosingGraceMs) {
            Settle(dialog, 1);
            Sleep(kPollMs);
        }
        if (IsOpen(dialog)) {
            // Nobody is there to answer the dialog: close it as a user would.
            report.closedByDriver = true;
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            Settle(dialog, kActionRounds);
        }
    }
    if (request.report) *request.report = report;
    delete state;
    return 0;
}

}  // namespace

HWND FindThreadDialog(DWORD thread, const wchar_t* caption) {
    FindContext context{caption, nullptr};
    EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&context));
    return context.found;
}

HANDLE StartDialogDriver(DialogDriverRequest request) {
    DriverState* state = new DriverState{std::move(request), std::wstring(), 0};
    state->caption = state->request.caption ? state->request.caption : ThickenDialogCaption;
    state->request.caption = nullptr;
    state->generation = InterlockedIncrement(&driverGeneration);
    HANDLE thread = CreateThread(nullptr, 0, DriveDialog, state, 0, nullptr);
    if (!thread) delete state;
    return thread;
}

void SetNextDialogScript(std::vector<DialogAction> actions) {
    DialogDriverRequest request;
    request.uiThread = GetCurrentThreadId();
    request.actions = std::move(actions);
    // However long the command takes to open its dialog: the first window of
    // a session can take many seconds on a loaded machine or an emulated CPU,
    // and a dialog found too late would wait for a user who is not there.
    // Only a newer script (or the end of the program) ends the wait.
    request.timeoutMs = INFINITE;
    if (HANDLE thread = StartDialogDriver(std::move(request))) CloseHandle(thread);
}
