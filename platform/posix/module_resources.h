// Dialog templates of modules for non-Windows builds.
//
// Instance handles: an HINSTANCE (= HMODULE) is the base address at which the
// module is mapped, that is dladdr(symbol).dli_fbase for any symbol inside
// the module; for the program itself it is the program's own base. The
// loader's LoadLibraryA returns exactly that value and hands it to the
// module's DllMain(base, DLL_PROCESS_ATTACH, 0), so ModuleInstance holds it.
//
// Registration: a module carries its dialog templates as a table generated
// from its resource script, and a static initializer in that table's source
// registers them under ModuleHandleContaining(&table) when the module is
// loaded (before DllMain runs); its static destructor withdraws them when the
// module is unloaded. DialogBoxParamA looks a template up by instance handle
// and id, as Windows looks it up in the module's resources.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/posix/win32_types.h"

// One control of a dialog template, as the resource script gives it.
struct DialogControlResource {
    std::uint32_t id;           // control id (65535 for a control without one)
    const char* windowClass;    // "Button", "Edit", "Static", ...
    const char* caption;        // code page 932 bytes
    std::int16_t x, y, cx, cy;  // dialog units
    std::uint32_t style;        // WS_CHILD | WS_VISIBLE | class styles ...
    std::uint32_t exStyle;
};

// A dialog template: the window, its font and its controls in template (and
// tab) order.
struct DialogResource {
    std::uint32_t id;           // the template's integer resource id
    std::uint16_t language;     // LANGID, e.g. 0x0411 for Japanese
    const char* caption;        // code page 932 bytes
    const char* fontName;       // code page 932 bytes
    std::uint16_t fontPointSize;
    std::int16_t x, y, cx, cy;  // dialog units
    std::uint32_t style;
    std::uint32_t exStyle;
    const DialogControlResource* controls;
    std::size_t controlCount;
};

// The instance handle of the module (or program) whose image holds `address`;
// null when no loaded object holds it.
HINSTANCE ModuleHandleContaining(const void* address);

// Makes `dialog` findable under (`module`, dialog->id). A second registration
// of the same pair replaces the first. `dialog` must outlive its registration.
void RegisterDialogResource(HINSTANCE module, const DialogResource* dialog);

// Withdraws every template registered under `module`.
void UnregisterModuleResources(HINSTANCE module);

// The template registered under (`module`, `id`), or null.
const DialogResource* FindDialogResource(HINSTANCE module, std::uint32_t id);
