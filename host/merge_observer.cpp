#include "host/merge_observer.h"

namespace {

// One observer for the process: the host runs one command at a time.
MergeObserver currentObserver = nullptr;
void* currentContext = nullptr;

}  // namespace

void SetMergeObserver(MergeObserver observer, void* context) {
    currentObserver = observer;
    currentContext = observer ? context : nullptr;
}

void NotifyMerge(const MQObjectRec* target, int32_t firstFaceId, int32_t faceCount) {
    if (currentObserver) currentObserver(currentContext, target, firstFaceId, faceCount);
}
