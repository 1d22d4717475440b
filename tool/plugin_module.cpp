#include "tool/plugin_module.h"

#include <filesystem>

#ifndef MQTHICKEN_MODULE_FILE_NAME
#error "the build names the module file (MQTHICKEN_MODULE_FILE_NAME)"
#endif

PluginModule::~PluginModule() {
    if (handle) FreeLibrary(handle);
}

std::string ProgramPath() {
    char buffer[4096];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer - 1 ? std::string(buffer, n) : std::string();
}

std::string DefaultPluginPath() {
    const std::filesystem::path program(ProgramPath());
    return (program.parent_path() / MQTHICKEN_MODULE_FILE_NAME).string();
}

namespace {

template <class T>
bool Lookup(PluginModule& module, const char* name, T& entry, std::string& error) {
    entry = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module.handle, name)));
    if (!entry) error = module.path + " is not a thickening module: it lacks " + name;
    return entry != nullptr;
}

}  // namespace

bool LoadPluginModule(const std::string& path, PluginModule& module, std::string& error) {
    module.path = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        error = "cannot load the module " + path + ": no such file (use --plugin PATH)";
        return false;
    }
    // An absolute name, so that a bare file name means the file in the
    // current folder and not one found on the system's library path.
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    module.handle = LoadLibraryA(ec ? path.c_str() : absolute.c_str());
    if (!module.handle) {
        error = "cannot load the module " + path;
        return false;
    }
    return Lookup(module, "MQCheckVersion", module.checkVersion, error) &&
           Lookup(module, "MQGetPlugInID", module.getPlugInId, error) &&
           Lookup(module, "MQGetPlugInName", module.getPlugInName, error) &&
           Lookup(module, "MQGetPlugInType", module.getPlugInType, error) &&
           Lookup(module, "MQEnumString", module.enumString, error) &&
           Lookup(module, "MQInit", module.init, error) &&
           Lookup(module, "MQModifySelect", module.modifySelect, error);
}

bool StartPluginModule(PluginModule& module, std::string& error) {
    if (module.checkVersion(kHostVersion) == 0) {
        error = "the module " + module.path + " refuses this host's version";
        return false;
    }
    const std::string program = ProgramPath();
    if (program.empty() || !module.init(program.c_str())) {
        error = "the module " + module.path + " could not bind the host's functions";
        return false;
    }
    return true;
}
