// Who the module is, as the host asks it: identifiers, type, interface
// version, the command's menu label and the module's name string. All text is
// in code page 932.
#pragma once

#include <cstdint>

#include "plugin/mq_host.h"

// "ZUM" packed from the most significant byte down: 0, 'Z', 'U', 'M' for the
// product and 'Z', 'U', 'M', 1 for this plug-in.
constexpr uint32_t kProductId = 0x005A554Du;
constexpr uint32_t kPluginId = 0x5A554D01u;

constexpr int kPluginType = MQPLUGIN_TYPE_SELECT;

// Hosts below this version are refused; others get the interface version.
constexpr uint32_t kMinimumHostVersion = 0x2490u;
constexpr uint32_t kInterfaceVersion = 0x0249u;

// The command's menu label, "厚みをつけます。" (16 bytes).
extern const char MenuLabel[];

// The module's name string: MenuLabel, five spaces, the credit. One constant,
// so every call hands out the same pointer.
extern const char PluginName[];
