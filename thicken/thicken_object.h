// The thickening driver: turns the surface held by a host object into a
// closed shell of front surface, side walls and back surface.
#pragma once

#include "plugin/mq_host.h"

// Thickens the surface in `work` (a host object in no document) with the last
// confirmed dialog settings (ThickenSettings): a front copy moved along the
// vertex normals (with even thickness: to the offset from every face plane
// around each vertex), a back copy moved against them and turned inside out, and
// one four-sided wall per open edge; `work` then holds the chosen groups,
// merged in the order front, back, sides, unwelded and uncompacted. The three
// temporary host objects are released. Returns false, with `work` unchanged
// and nothing left behind, when `work` is null, when the host could not make
// a temporary object, or when a clone of `work` does not come out with the
// work object's vertices and edges (the copies are paired with it by index).
// Expects a bound HostApi.
bool ThickenObject(MQObject& work);
