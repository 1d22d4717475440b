// ModuleInstance: the module's own instance handle, written by DllMain on
// every call and read by the command, which loads its dialog template from it.
#pragma once

#include "platform/win32.h"

extern HINSTANCE ModuleInstance;
