// Runs the parameter dialog of this test program under a script of user
// actions and records what the user would see after every message the
// dialog procedure handled.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog_automation.h"
#include "platform/win32.h"

// The controls' state after one message.
struct DialogSnapshot {
    UINT message;
    int depth;              // 0 for messages of the modal loop, 1 and more when nested
    std::string thickness;  // text of the edit box
    bool front, side, back;
    bool directionFront, directionCenter, directionBack;
    bool even;
};

struct DialogRun {
    INT_PTR result;
    std::vector<DialogSnapshot> snapshots;  // in the order the messages ended
};

// The instance handle under which the generated table registered template 100
// in this program.
HINSTANCE TestProgramInstance();

// Opens template 100 with ThickenDialogProc behind an observer and plays
// `script`.
DialogRun RunThickenDialog(std::vector<DialogAction> script);

// Shorthands for script actions.
DialogAction TypeInto(int control, std::string text);
DialogAction ClickOn(int control);
DialogAction PressEnter();
DialogAction PressEscape();
DialogAction UseCloseBox();
