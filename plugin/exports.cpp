#include "plugin/exports.h"

#include <new>

#include "plugin/host_api.h"
#include "plugin/host_binding.h"
#include "plugin/module_instance.h"
#include "plugin/plugin_identity.h"
#include "plugin/thicken_command.h"

namespace {

const char kOutOfMemoryText[] = "メモリが足りないため、厚みをつけられませんでした。";
const char kCommandFailedText[] = "厚みをつけられませんでした。";

// Nothing may unwind into the host: a failure inside the command is shown
// to the user over the host's window and reported as "nothing done"; the
// command has released what it made on the way out.
BOOL RunGuarded(MQDocument document) {
    const char* text = kCommandFailedText;
    try {
        return RunThickenCommand(document) ? TRUE : FALSE;
    } catch (const std::bad_alloc&) {
        text = kOutOfMemoryText;
    } catch (...) {
    }
    MessageBoxA(HostApi.MQ_GetWindowHandle(), text, MenuLabel, MB_OK);
    return FALSE;
}

}  // namespace

// The exports have default visibility in the native module, where everything
// else is hidden; the Windows DLL exports them through its .def file.
#ifndef THICKEN_EXPORT
#define THICKEN_EXPORT
#endif

extern "C" {

THICKEN_EXPORT uint32_t MQAPICALL MQCheckVersion(uint32_t hostVersion) {
    return hostVersion < kMinimumHostVersion ? 0u : kInterfaceVersion;
}

THICKEN_EXPORT void MQAPICALL MQGetPlugInID(uint32_t* product, uint32_t* id) {
    if (product) *product = kProductId;
    if (id) *id = kPluginId;
}

THICKEN_EXPORT const char* MQAPICALL MQGetPlugInName(void) { return PluginName; }

THICKEN_EXPORT int MQAPICALL MQGetPlugInType(void) { return kPluginType; }

THICKEN_EXPORT const char* MQAPICALL MQEnumString(int index) {
    return index == 0 ? MenuLabel : nullptr;
}

THICKEN_EXPORT BOOL MQAPICALL MQInit(const char* hostFileName) {
    return BindHost(hostFileName) ? TRUE : FALSE;
}

THICKEN_EXPORT BOOL MQAPICALL MQModifySelect(int index, MQDocument document) {
    // Without a complete binding every host call would go through a null or
    // stale entry.
    if (index != 0 || !HostIsBound()) return FALSE;
    return RunGuarded(document);
}

THICKEN_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
    ModuleInstance = instance;
    return TRUE;
}

}  // extern "C"
