#include "plugin/module_instance.h"

HINSTANCE ModuleInstance = nullptr;
