// The thickening module as the tool loads it: the file, its seven entry
// points, and the host's side of the start-up handshake.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/exports.h"
#include "platform/win32.h"

// The host version the tool reports to MQCheckVersion.
constexpr uint32_t kHostVersion = 0x2490;

struct PluginModule {
    HMODULE handle = nullptr;
    std::string path;
    MQCheckVersion_Export checkVersion = nullptr;
    MQGetPlugInID_Export getPlugInId = nullptr;
    MQGetPlugInName_Export getPlugInName = nullptr;
    MQGetPlugInType_Export getPlugInType = nullptr;
    MQEnumString_Export enumString = nullptr;
    MQInit_Export init = nullptr;
    MQModifySelect_Export modifySelect = nullptr;

    PluginModule() = default;
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;
    ~PluginModule();
};

// The module file next to the running program.
std::string DefaultPluginPath();

// The running program's own file name, as MQInit expects it.
std::string ProgramPath();

// Loads the module at `path` and looks up its entry points. On failure
// returns false and sets `error` naming the file.
bool LoadPluginModule(const std::string& path, PluginModule& module, std::string& error);

// Asks the module whether it accepts this host and binds it to the host's
// functions (MQCheckVersion, then MQInit with the program's file name).
bool StartPluginModule(PluginModule& module, std::string& error);
