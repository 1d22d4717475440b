// The Windows dialog driver behind SetNextDialogScript: a second thread that
// waits for a dialog of the user-interface thread, optionally lets a caller
// look at it, and then plays a script against its live controls the way a
// user would: typing into edit boxes, clicking buttons, pressing Enter or
// Escape, clicking the caption's close box.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/dialog_automation.h"

// What the driver saw of one dialog. Read it only after the driver thread
// has ended (WaitForSingleObject on the handle StartDialogDriver returned).
struct DialogDriverReport {
    HWND dialog = nullptr;        // the dialog found; null if none appeared in time
    HWND owner = nullptr;         // its owner window when it was found
    size_t actionsPlayed = 0;     // actions played before the dialog closed
    bool closedByDriver = false;  // the script ran out with the dialog open
};

// Called on the driver thread once the dialog has been found, before the
// first action; the user-interface thread is inside the dialog's modal loop.
typedef void (*DialogInspector)(HWND dialog, void* context);

struct DialogDriverRequest {
    DWORD uiThread = 0;                 // thread that will own the dialog
    const wchar_t* caption = nullptr;   // caption to wait for (copied)
    std::vector<DialogAction> actions;  // played in order
    DialogInspector inspect = nullptr;  // optional
    void* context = nullptr;            // handed to inspect
    DWORD timeoutMs = 10000;            // how long to wait for the dialog (INFINITE: until
                                        // it opens or a newer driver starts)
    DialogDriverReport* report = nullptr;  // optional, filled by the thread
};

// Starts the driver thread for one dialog and returns its handle (the caller
// closes it), or null if the thread could not be started. A driver started
// later cancels this one if it is still waiting for its dialog.
HANDLE StartDialogDriver(DialogDriverRequest request);

// The visible dialog ("#32770") of `thread` whose caption is `caption`, or
// null if there is none.
HWND FindThreadDialog(DWORD thread, const wchar_t* caption);

// The caption of the module's parameter dialog.
extern const wchar_t* const ThickenDialogCaption;
