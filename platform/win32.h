// The Win32 names the module uses. On Windows they come from <windows.h>;
// elsewhere this project supplies a small implementation of its own, so that
// the module's sources read the same on every platform.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/posix/win32_types.h"
#include "platform/posix/win32_user.h"
#include "platform/posix/win32_module.h"
#endif
