// Telling the new object's groups apart by the merges that made it, when the
// final weld has deleted some of their faces.
#include <gtest/gtest.h>

#include "preview/shell_groups.h"
#include "host/mq_functions.h"

namespace {

// An object of `faces` triangles over the same three points.
MQObjectRec Triangles(int faces) {
    MQObjectRec object;
    for (int v = 0; v < 3; ++v) object.AddVertex({float(v), float(v * v), 0});
    const int points[3] = {0, 1, 2};
    for (int f = 0; f < faces; ++f) object.AddFace(3, points);
    return object;
}

// The work object as the module leaves it: the harvest merged in and
// cleared, then front (3 faces), back (3) and side (2) merged, each only
// when chosen.
void Build(MQObjectRec& work, bool front, bool back, bool side) {
    MQObjectRec harvest = Triangles(2), f = Triangles(3), b = Triangles(3), s = Triangles(2);
    MQObj_Merge(&work, &harvest);
    for (int i = 0; i < work.FaceCount(); ++i) work.DeleteFace(i, false);
    work.Compact();
    if (front) MQObj_Merge(&work, &f);
    if (back) MQObj_Merge(&work, &b);
    if (side) MQObj_Merge(&work, &s);
}

TEST(ShellGroups, CountTheFacesThatStayOfEachMergeInOrder) {
    {
        MergeRecorder recorder;
        MQObjectRec work;
        Build(work, true, true, true);
        // The weld deletes a face of the front surface and one of the back.
        work.DeleteFace(1, false);
        work.DeleteFace(4, false);
        work.Compact();
        FaceGroups groups;
        ASSERT_TRUE(ShellGroupsFromMerges(work, recorder.Merges(), true, true, true, groups));
        EXPECT_EQ(groups.frontEnd, 2u);
        EXPECT_EQ(groups.backEnd, 4u);
        // A face that no merge made.
        const int points[3] = {0, 1, 2};
        work.AddFace(3, points);
        EXPECT_FALSE(ShellGroupsFromMerges(work, recorder.Merges(), true, true, true, groups));
    }
    {
        MergeRecorder recorder;
        MQObjectRec work;
        Build(work, true, false, true);
        FaceGroups groups;
        ASSERT_TRUE(ShellGroupsFromMerges(work, recorder.Merges(), true, false, true, groups));
        EXPECT_EQ(groups.frontEnd, 3u);
        EXPECT_EQ(groups.backEnd, 3u);
    }
    {
        MergeRecorder recorder;
        MQObjectRec work;
        Build(work, false, true, false);
        FaceGroups groups;
        ASSERT_TRUE(ShellGroupsFromMerges(work, recorder.Merges(), false, true, false, groups));
        EXPECT_EQ(groups.frontEnd, 0u);
        EXPECT_EQ(groups.backEnd, 3u);
    }
}

}  // namespace
