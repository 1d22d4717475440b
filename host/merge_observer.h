// Lets the program that hosts a module watch the module's merges: which
// faces each MQObj_Merge appended to which object. The module cannot tell.
#pragma once

#include <cstdint>

struct MQObjectRec;

// Called after each merge: the faces appended to `target` carry the unique
// ids firstFaceId .. firstFaceId + faceCount - 1, in order.
using MergeObserver = void (*)(void* context, const MQObjectRec* target, int32_t firstFaceId,
                               int32_t faceCount);

// Sends every following merge to `observer` (null: to nobody).
void SetMergeObserver(MergeObserver observer, void* context);

// Tells the observer, if any, of one merge.
void NotifyMerge(const MQObjectRec* target, int32_t firstFaceId, int32_t faceCount);
