// The module's entry points as the host sees them: seven functions with C
// linkage and the host's calling convention, plus the library entry DllMain.
// Hosts that load the module look these names up and call them through the
// *_Export pointer types below.
#pragma once

#include <cstdint>

#include "plugin/mq_host.h"

extern "C" {

// Accepts hosts of version 0x2490 and above: 0 refuses, 0x0249 is the
// interface version the module speaks.
uint32_t MQAPICALL MQCheckVersion(uint32_t hostVersion);

// Writes the product number 0x005A554D and the plug-in number 0x5A554D01
// (a null pointer is passed over).
void MQAPICALL MQGetPlugInID(uint32_t* product, uint32_t* id);

// The module's name string: the menu label, five spaces, the credit. The same
// pointer on every call.
const char* MQAPICALL MQGetPlugInName(void);

// 5: a selection-modifying plug-in, whose command is MQModifySelect.
int MQAPICALL MQGetPlugInType(void);

// The menu label for index 0, null for every other index.
const char* MQAPICALL MQEnumString(int index);

// Binds the host's functions from the executable `hostFileName`; 1 when every
// name was found, else 0.
BOOL MQAPICALL MQInit(const char* hostFileName);

// Runs the command for menu index 0 on `document`: 0 when the user cancelled
// (or the module is not bound to a host, or the index is not 0), else 1.
BOOL MQAPICALL MQModifySelect(int index, MQDocument document);

// Stores the instance handle in ModuleInstance, whatever the reason; TRUE.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

}  // extern "C"

typedef uint32_t(MQAPICALL* MQCheckVersion_Export)(uint32_t);
typedef void(MQAPICALL* MQGetPlugInID_Export)(uint32_t*, uint32_t*);
typedef const char*(MQAPICALL* MQGetPlugInName_Export)(void);
typedef int(MQAPICALL* MQGetPlugInType_Export)(void);
typedef const char*(MQAPICALL* MQEnumString_Export)(int);
typedef BOOL(MQAPICALL* MQInit_Export)(const char*);
typedef BOOL(MQAPICALL* MQModifySelect_Export)(int, MQDocument);
