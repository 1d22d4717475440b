#include "tests/plugin/lookup_recorder.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/win32.h"

namespace {

std::vector<std::string>& Lookups() {
    static std::vector<std::string> lookups;
    return lookups;
}

FARPROC ForwardLookup(HMODULE module, LPCSTR name) {
    using Lookup = FARPROC (*)(HMODULE, LPCSTR);
    static Lookup platform = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "GetProcAddress"));
    if (!platform) std::abort();
    return platform(module, name);
}

}  // namespace

const std::vector<std::string>& RecordedLookups() { return Lookups(); }

void ClearRecordedLookups() { Lookups().clear(); }

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    Lookups().push_back(name ? name : "");
    return ForwardLookup(module, name);
}
