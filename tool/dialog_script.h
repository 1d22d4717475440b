// What a user would do in the module's parameter dialog to ask for what the
// command line asks for.
#pragma once

#include <vector>

#include "tool/options.h"
#include "platform/dialog_automation.h"

// Type the thickness (code page 932) into the thickness box, click each face
// group box that is to be off (they open checked), click the direction,
// click the even-thickness box when asked for (it opens unchecked), press
// Enter.
std::vector<DialogAction> MakeDialogScript(const Options& options);
