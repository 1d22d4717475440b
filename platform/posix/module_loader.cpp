#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/posix/win32_module.h"

namespace {

struct LoadedModule {
    void* handle;  // from dlopen; dlopen(NULL) for the program itself
    int references;
    bool isProgram;
};

std::unordered_map<HMODULE, LoadedModule>& LoadedModules() {
    static std::unordered_map<HMODULE, LoadedModule> modules;
    return modules;
}

std::string RealPath(const char* path) {
    char resolved[PATH_MAX];
    if (!realpath(path, resolved)) return std::string();
    return resolved;
}

bool NamesProgram(const char* fileName) {
    const std::string self = RealPath("/proc/self/exe");
    return !self.empty() && self == RealPath(fileName);
}

// The mapped address of the object's first page: the address of its dynamic
// section lies inside the object, and dladdr reports the object's base.
HMODULE BaseOf(void* handle) {
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
    Dl_info info;
    if (!dladdr(map->l_ld, &info) || !info.dli_fbase) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

// The module's own DllMain: a lookup through a handle also searches the
// module's dependencies, so the symbol found must lie in the module itself.
DllEntryProc EntryOf(void* handle, HMODULE base) {
    void* symbol = dlsym(handle, "DllMain");
    Dl_info info;
    if (!symbol || !dladdr(symbol, &info) || info.dli_fbase != base) return nullptr;
    return reinterpret_cast<DllEntryProc>(symbol);
}

}  // namespace

extern "C" HMODULE LoadLibraryA(LPCSTR fileName) {
    if (!fileName || !*fileName) return nullptr;
    const bool isProgram = NamesProgram(fileName);
    void* handle = dlopen(isProgram ? nullptr : fileName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    HMODULE base = BaseOf(handle);
    if (!base) {
        dlclose(handle);
        return nullptr;
    }
    auto [it, first] = LoadedModules().try_emplace(base, LoadedModule{handle, 0, isProgram});
    if (!first) dlclose(handle);  // dlopen counted once more; our count stands for it
    ++it->second.references;
    if (first && !isProgram) {
        if (DllEntryProc entry = EntryOf(handle, base)) entry(base, DLL_PROCESS_ATTACH, nullptr);
    }
    return base;
}

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    auto it = LoadedModules().find(module);
    if (it == LoadedModules().end() || !name) return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(it->second.handle, name));
}

extern "C" BOOL FreeLibrary(HMODULE module) {
    auto it = LoadedModules().find(module);
    if (it == LoadedModules().end()) return FALSE;
    if (--it->second.references > 0) return TRUE;
    LoadedModule last = it->second;
    LoadedModules().erase(it);
    if (!last.isProgram) {
        if (DllEntryProc entry = EntryOf(last.handle, module)) entry(module, DLL_PROCESS_DETACH, nullptr);
    }
    dlclose(last.handle);
    return TRUE;
}

extern "C" HMODULE GetModuleHandleA(LPCSTR fileName) {
    const bool isProgram = !fileName || NamesProgram(fileName);
    void* handle = dlopen(isProgram ? nullptr : fileName, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return nullptr;
    HMODULE base = BaseOf(handle);
    dlclose(handle);
    return base;
}

extern "C" DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    std::string name;
    if (!module || module == GetModuleHandleA(nullptr)) {
        name = RealPath("/proc/self/exe");
    } else {
        Dl_info info;
        if (dladdr(module, &info) && info.dli_fbase == module && info.dli_fname)
            name = RealPath(info.dli_fname);
    }
    if (name.empty()) return 0;
    const size_t written = name.size() < size ? name.size() : size - 1;
    std::memcpy(buffer, name.data(), written);
    buffer[written] = '\0';
    return static_cast<DWORD>(written);
}
