// The host's plug-in C interface as the module sees it: opaque handles, the
// point and UV records, and the calling convention of every host function.
#pragma once

#include "platform/win32.h"

// Every host function, and every export of the module, uses this one
// calling convention (stdcall on 32-bit Windows).
#define MQAPICALL WINAPI

// Opaque handles owned by the host.
struct MQDocumentRec;
struct MQObjectRec;
typedef MQDocumentRec* MQDocument;
typedef MQObjectRec* MQObject;

// A host point: three single-precision floats x, y, z, in that order.
struct MQPoint {
    float x, y, z;
};

// A UV pair: two single-precision floats u, v.
struct MQCoordinate {
    float u, v;
};

// Object integer value that reports whether the object is locked.
constexpr int MQOBJ_ID_LOCKING = 0x103;

// The host's menu type code for a selection-modifying plug-in.
constexpr int MQPLUGIN_TYPE_SELECT = 5;

// Signature of a host function that the module binds but never calls.
typedef void(MQAPICALL* MQUntypedFunction)(void);
