// The script armed by SetNextDialogScript, as the POSIX dialog layer takes it.
#pragma once

#include <vector>

#include "platform/dialog_automation.h"

// Hands over the calling thread's armed script and disarms it; empty when
// none was armed.
std::vector<DialogAction> TakeNextDialogScript();
