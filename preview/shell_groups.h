// Which faces of the object the command made are its front surface, back
// surface and side walls, told by watching the module merge them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "preview/preview.h"
#include "host/object.h"

// Records the module's merges while it lives (one at a time).
class MergeRecorder {
public:
    struct Merge {
        const MQObjectRec* target;
        int32_t firstFaceId;
        int32_t faceCount;
        int32_t leadingLines;  // two-point faces the merged ones begin with
    };

    MergeRecorder();
    ~MergeRecorder();
    MergeRecorder(const MergeRecorder&) = delete;
    MergeRecorder& operator=(const MergeRecorder&) = delete;

    const std::vector<Merge>& Merges() const { return merges_; }

private:
    static void Record(void* context, const MQObjectRec* target, int32_t firstFaceId,
                       int32_t faceCount);
    std::vector<Merge> merges_;
};

// The merges into `result` that brought its front surface, back surface
// and side walls (null for a group not asked for), or false when there are
// fewer merges into it than groups asked for.
bool GroupMerges(const MQObjectRec& result, const std::vector<MergeRecorder::Merge>& merges,
                 bool makeFront, bool makeBack, bool makeSide,
                 const MergeRecorder::Merge* ofGroup[3]);

// Of each group (front, back, side), the faces the command merged into
// `result`, the object it added, and of those the faces `result` still
// holds, its weld having deleted the others. False when the merges do not
// account for the object's faces in order.
struct ShellGroupCounts {
    size_t merged[3] = {0, 0, 0};
    size_t kept[3] = {0, 0, 0};
};
bool CountShellGroups(const MQObjectRec& result, const std::vector<MergeRecorder::Merge>& merges,
                      bool makeFront, bool makeBack, bool makeSide, ShellGroupCounts& counts);

// The face groups of `result`, the object the command added, from the
// merges into it and the groups the dialog asked for. False when the merges
// do not account for the object's faces in order.
bool ShellGroupsFromMerges(const MQObjectRec& result, const std::vector<MergeRecorder::Merge>& merges,
                           bool makeFront, bool makeBack, bool makeSide, FaceGroups& groups);
