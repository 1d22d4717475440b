// Drives the program's next modal dialog the way a user would: a script of
// actions that the host hands over before it calls the module's command.
// On POSIX the dialog layer of platform/posix runs the dialog procedure
// against emulated controls and plays the script; on Windows a second thread
// finds the real dialog and plays the script against its controls.
#pragma once

#include <string>
#include <vector>

struct DialogAction {
    enum Kind {
        Type,      // replace the text of control `control` with `text` (code page 932 bytes)
        Click,     // click control `control` (BM_CLICK on a button)
        Enter,     // press Enter in the dialog
        Escape,    // press Escape in the dialog
        CloseBox,  // click the caption's close box
    };
    Kind kind;
    int control = 0;
    std::string text;
};

// Arms the script for the next dialog the calling thread opens. A script that
// runs out while the dialog is still open leaves it to be closed by the close
// box, so a dialog never waits for a user who is not there.
void SetNextDialogScript(std::vector<DialogAction> actions);
