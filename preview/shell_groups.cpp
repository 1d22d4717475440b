#include "preview/shell_groups.h"

#include "host/merge_observer.h"

MergeRecorder::MergeRecorder() { SetMergeObserver(&MergeRecorder::Record, this); }

MergeRecorder::~MergeRecorder() { SetMergeObserver(nullptr, nullptr); }

void MergeRecorder::Record(void* context, const MQObjectRec* target, int32_t firstFaceId,
                           int32_t faceCount) {
    static_cast<MergeRecorder*>(context)->merges_.push_back({target, firstFaceId, faceCount});
}

bool CountShellGroups(const MQObjectRec& result, const std::vector<MergeRecorder::Merge>& merges,
                      bool makeFront, bool makeBack, bool makeSide, ShellGroupCounts& counts) {
    counts = ShellGroupCounts();
    // The module empties the work object and then merges the chosen groups
    // into it in a fixed order: front surface, back surface, side walls, each
    // only when asked for. The last merges into the result are those.
    const bool chosen[3] = {makeFront, makeBack, makeSide};
    const int wanted = makeFront + makeBack + makeSide;
    std::vector<const MergeRecorder::Merge*> into;
    for (const MergeRecorder::Merge& merge : merges)
        if (merge.target == &result) into.push_back(&merge);
    if (static_cast<int>(into.size()) < wanted) return false;
    const MergeRecorder::Merge* ofGroup[3] = {nullptr, nullptr, nullptr};
    size_t next = into.size() - wanted;
    for (int g = 0; g < 3; ++g)
        if (chosen[g]) {
            ofGroup[g] = into[next++];
            counts.merged[g] = static_cast<size_t>(ofGroup[g]->faceCount);
        }

    // Merged faces get fresh unique ids in order. The command's weld may
    // delete faces and its compaction closes the numbering up, but both keep
    // the order and the ids of the faces that stay: so the faces of each
    // group follow one another, and counting them gives the ranges.
    int group = 0;
    for (const HostFace& face : result.faces) {
        if (face.count == 0) continue;
        while (group < 3 && !(ofGroup[group] && face.uniqueId >= ofGroup[group]->firstFaceId &&
                              face.uniqueId - ofGroup[group]->firstFaceId < ofGroup[group]->faceCount))
            ++group;
        if (group == 3) return false;  // a face of no merge, or out of order
        ++counts.kept[group];
    }
    return true;
}

bool ShellGroupsFromMerges(const MQObjectRec& result, const std::vector<MergeRecorder::Merge>& merges,
                           bool makeFront, bool makeBack, bool makeSide, FaceGroups& groups) {
    ShellGroupCounts counts;
    if (!CountShellGroups(result, merges, makeFront, makeBack, makeSide, counts)) return false;
    groups.frontEnd = counts.kept[0];
    groups.backEnd = counts.kept[0] + counts.kept[1];
    return true;
}
