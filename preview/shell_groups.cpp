#include "preview/shell_groups.h"

#include "host/merge_observer.h"

MergeRecorder::MergeRecorder() { SetMergeObserver(&MergeRecorder::Record, this); }

MergeRecorder::~MergeRecorder() { SetMergeObserver(nullptr, nullptr); }

void MergeRecorder::Record(void* context, const MQObjectRec* target, int32_t firstFaceId,
                           int32_t faceCount) {
    // The merged faces are the last of the target's. A copy's model writes
    // its lines before its polygons.
    int32_t lines = 0;
    const std::vector<HostFace>& faces = target->faces;
    if (faceCount > 0 && static_cast<size_t>(faceCount) <= faces.size())
        for (size_t f = faces.size() - faceCount; f < faces.size() && faces[f].count == 2; ++f) ++lines;
    static_cast<MergeRecorder*>(context)->merges_.push_back({target, firstFaceId, faceCount, lines});
}

bool GroupMerges(const MQObjectRec& result, const std::vector<MergeRecorder::Merge>& merges,
                 bool makeFront, bool makeBack, bool makeSide,
                 const MergeRecorder::Merge* ofGroup[3]) {
    // The module empties the work object and then merges the chosen groups
    // into it in a fixed order: front surface, back surface, side walls, each
    // only when asked for. The last merges into the result are those.
    const bool chosen[3] = {makeFront, makeBack, makeSide};
    const int wanted = makeFront + makeBack + makeSide;
    std::vector<const MergeRecorder::Merge*> into;
    for (const MergeRecorder::Merge& merge : merges)
        if (merge.target == &result) into.push_back(&merge);
    if (static_cast<int>(into.size()) < wanted) return false;
    size_t next = into.size() - wanted;
    for (int g = 0; g < 3; ++g) ofGroup[g] = chosen[g] ? into[next++] : nullptr;
    return true;
}

bool CountShellGroups(const MQObjectRec& result, const std::vector<MergeRecorder::Merge>& merges,
                      bool makeFront, bool makeBack, bool makeSide, ShellGroupCounts& counts) {
    counts = ShellGroupCounts();
    const MergeRecorder::Merge* ofGroup[3];
    if (!GroupMerges(result, merges, makeFront, makeBack, makeSide, ofGroup)) return false;
    for (int g = 0; g < 3; ++g)
        if (ofGroup[g]) counts.merged[g] = static_cast<size_t>(ofGroup[g]->faceCount);

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
