// The thickening command run in this very process: the program is the host
// (it exports the host's functions), the module is linked into it, and the
// dialog is answered by a script, as the command-line tool answers it.
#pragma once

#include <string>

struct MQDocumentRec;
struct MQObjectRec;

// What the scripted user types and picks in the dialog.
struct ThickenAnswers {
    std::string thickness = "0.5";
    enum Direction { Front, Center, Back } direction = Center;
    bool front = true;
    bool side = true;
    bool back = true;
    bool even = false;  // the even-thickness box
};

// Binds the module to this program's host functions through MQInit, as a
// host does once after loading it. False when the program does not export
// them. Idempotent.
bool StartModuleInProcess();

// Runs the command (MQModifySelect, menu index 0) on `document` with the
// dialog answered by `answers`. Returns the object the command added, or null
// when it added none. Expects StartModuleInProcess() to have succeeded.
const MQObjectRec* RunThickenInProcess(MQDocumentRec& document, const ThickenAnswers& answers);
