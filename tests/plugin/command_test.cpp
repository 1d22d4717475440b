// The command from the menu entry to the new object: shapes of the shell for
// the dialog's choices, the harvest, and what cancelling or failing leaves.
#include <cmath>
#include <new>

#include "platform/message_box_log.h"

#include "plugin/exports.h"
#include "plugin/resource_ids.h"
#include "tests/plugin/command_fixture.h"
#include "tests/plugin/shell_check.h"

namespace {

// The unit square in the plane z = 0, its points running counter-clockwise
// seen from +z, so that the host's normal points to −z.
const std::vector<MQPoint> kSquare = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const std::vector<std::vector<int>> kQuad = {{0, 1, 2, 3}};

MQPoint Shifted(MQPoint p, float dz) {
    p.z += dz;
    return p;
}

std::vector<MQPoint> ShiftedSquare(float dz) {
    std::vector<MQPoint> points;
    for (const MQPoint& p : kSquare) points.push_back(Shifted(p, dz));
    return points;
}

std::vector<MQPoint> Reversed(std::vector<MQPoint> points) {
    return std::vector<MQPoint>(points.rbegin(), points.rend());
}

// The z values of the object's live vertices, lowest and highest.
std::pair<float, float> ZRange(const MQObjectRec& object) {
    float low = INFINITY, high = -INFINITY;
    for (int v = 0; v < object.VertexCount(); ++v) {
        if (!object.IsLiveVertex(v)) continue;
        low = std::min(low, object.positions[v].z);
        high = std::max(high, object.positions[v].z);
    }
    return {low, high};
}

using Command = CommandTest;

TEST_F(Command, SingleQuadCentredBecomesAClosedOutwardBox) {
    AddObject(kSquare, kQuad);
    ASSERT_EQ(Run(Answers{}), 1);
    const MQObjectRec& box = Added();
    EXPECT_EQ(LiveFaces(box).size(), 6u);
    EXPECT_EQ(LivePositions(box).size(), 8u);
    EXPECT_TRUE(IsClosedAndConsistentlyOriented(box));
    EXPECT_NEAR(SignedVolume(box), 2.0, 1e-5) << "faces point outward";
    EXPECT_EQ(ZRange(box), std::make_pair(-1.0f, 1.0f));
    // The front surface moved along the normal (−z) and kept the source's
    // point order; the back surface is the reverse.
    bool front = false, back = false;
    for (const FaceView& face : LiveFaces(box)) {
        front = front || SameCycle(face.points, ShiftedSquare(-1), 1e-6f);
        back = back || SameCycle(face.points, Reversed(ShiftedSquare(1)), 1e-6f);
    }
    EXPECT_TRUE(front);
    EXPECT_TRUE(back);
    // The source object is unchanged.
    EXPECT_EQ(document_.Object(0)->FaceCount(), 1);
    EXPECT_EQ(document_.Object(0)->positions[2].z, 0.0f);
}

// A line listed before the quad names the quad's first edge before the quad
// does, running the other way: the wall on that edge still follows the quad.
TEST_F(Command, WallsFollowTheirFaceWhicheverFaceNamedTheEdgeFirst) {
    AddObject(kSquare, {{1, 0}, {0, 1, 2, 3}});
    ASSERT_EQ(Run(Answers{}), 1);
    const MQObjectRec& shell = Added();
    EXPECT_EQ(LiveFaces(shell).size(), 6u) << "the line lies along the quad's edge: a box";
    EXPECT_TRUE(IsClosedAndConsistentlyOriented(shell));
    EXPECT_NEAR(SignedVolume(shell), 2.0, 1e-5);
}

TEST_F(Command, DirectionDecidesWhereTheThicknessGoes) {
    AddObject(kSquare, kQuad);
    Answers towardsFront;
    towardsFront.direction = IDC_DIRECTION_FRONT;
    ASSERT_EQ(Run(towardsFront), 1);
    EXPECT_EQ(ZRange(Added()), std::make_pair(-2.0f, 0.0f));
    EXPECT_NEAR(SignedVolume(Added()), 2.0, 1e-5);

    Answers towardsBack;
    towardsBack.direction = IDC_DIRECTION_BACK;
    ASSERT_EQ(Run(towardsBack), 1);
    EXPECT_EQ(ZRange(Added()), std::make_pair(0.0f, 2.0f));
    EXPECT_TRUE(IsClosedAndConsistentlyOriented(Added()));
    EXPECT_NEAR(SignedVolume(Added()), 2.0, 1e-5);
}

TEST_F(Command, ClosedSurfaceGetsNoSideFaces) {
    // A unit cube, every face pointing outward by the host's rule.
    const std::vector<MQPoint> cube = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                       {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const std::vector<std::vector<int>> faces = {{0, 1, 2, 3}, {7, 6, 5, 4}, {4, 5, 1, 0},
                                                 {5, 6, 2, 1}, {6, 7, 3, 2}, {7, 4, 0, 3}};
    AddObject(cube, faces);
    Answers onlySides;
    onlySides.front = onlySides.back = false;
    ASSERT_EQ(Run(onlySides), 1);
    EXPECT_TRUE(LiveFaces(Added()).empty());

    ASSERT_EQ(Run(Answers{}), 1);
    EXPECT_EQ(LiveFaces(Added()).size(), 12u) << "front and back copies only";
}

TEST_F(Command, AllGroupsOffAddsAnObjectWithoutFaces) {
    AddObject(kSquare, kQuad);
    Answers none;
    none.front = none.side = none.back = false;
    ASSERT_EQ(Run(none), 1);
    EXPECT_EQ(Added().FaceCount(), 0);
}

TEST_F(Command, OnlySidesGivesTheWallsAlone) {
    AddObject(kSquare, kQuad);
    Answers onlySides;
    onlySides.front = onlySides.back = false;
    ASSERT_EQ(Run(onlySides), 1);
    const std::vector<FaceView> walls = LiveFaces(Added());
    ASSERT_EQ(walls.size(), 4u);
    for (const FaceView& wall : walls) {
        ASSERT_EQ(wall.points.size(), 4u);
        int low = 0, high = 0;
        for (const MQPoint& p : wall.points) (p.z == -1.0f ? low : high) += 1;
        EXPECT_EQ(low, 2);
        EXPECT_EQ(high, 2);
        EXPECT_EQ(wall.material, -1);
    }
}

TEST_F(Command, OnlyFrontKeepsTheOrientationAndOnlyBackReversesIt) {
    AddObject(kSquare, kQuad);
    Answers onlyFront;
    onlyFront.side = onlyFront.back = false;
    ASSERT_EQ(Run(onlyFront), 1);
    std::vector<FaceView> faces = LiveFaces(Added());
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_TRUE(SameCycle(faces[0].points, ShiftedSquare(-1), 1e-6f));

    Answers onlyBack;
    onlyBack.front = onlyBack.side = false;
    ASSERT_EQ(Run(onlyBack), 1);
    faces = LiveFaces(Added());
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_TRUE(SameCycle(faces[0].points, Reversed(ShiftedSquare(1)), 1e-6f));
}

TEST_F(Command, ZeroThicknessCollapsesTheWalls) {
    AddObject(kSquare, kQuad);
    Answers zero;
    zero.thickness = "0";
    ASSERT_EQ(Run(zero), 1);
    const MQObjectRec& flat = Added();
    const std::vector<FaceView> faces = LiveFaces(flat);
    ASSERT_EQ(faces.size(), 2u) << "front and back; the walls had no area";
    EXPECT_EQ(LivePositions(flat).size(), 4u);
    EXPECT_TRUE(SameCycle(faces[0].points, kSquare, 0.0f));
    EXPECT_TRUE(SameCycle(faces[1].points, Reversed(kSquare), 0.0f));
}

TEST_F(Command, NegativeThicknessTurnsTheShellInsideOut) {
    AddObject(kSquare, kQuad);
    Answers negative;
    negative.thickness = "-2";
    ASSERT_EQ(Run(negative), 1);
    const MQObjectRec& shell = Added();
    EXPECT_EQ(LiveFaces(shell).size(), 6u);
    EXPECT_TRUE(IsClosedAndConsistentlyOriented(shell));
    EXPECT_NEAR(SignedVolume(shell), -2.0, 1e-5);
    bool front = false;
    for (const FaceView& face : LiveFaces(shell))
        front = front || SameCycle(face.points, ShiftedSquare(1), 1e-6f);
    EXPECT_TRUE(front) << "the front copy moved against the normal";
}

TEST_F(Command, PerpendicularQuadsMoveTheSharedEdgeAlongTheMeanNormal) {
    // Normals (0, 0, −1) and (0, −1, 0); the shared edge runs along x.
    AddObject({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}},
              {{0, 1, 2, 3}, {0, 4, 5, 1}});
    Answers onlyFront;
    onlyFront.thickness = "1";
    onlyFront.side = onlyFront.back = false;
    onlyFront.direction = IDC_DIRECTION_FRONT;
    ASSERT_EQ(Run(onlyFront), 1);
    const MQObjectRec& moved = Added();
    ASSERT_EQ(LiveFaces(moved).size(), 2u);
    ASSERT_EQ(LivePositions(moved).size(), 6u);
    int shared = 0;
    for (const MQPoint& p : LivePositions(moved)) {
        if (std::fabs(p.y + 0.70710678f) < 1e-5f && std::fabs(p.z + 0.70710678f) < 1e-5f) {
            ++shared;  // 0.707 from both planes
        } else {
            const bool onFirst = std::fabs(p.z + 1) < 1e-6f && std::fabs(p.y - 1) < 1e-6f;
            const bool onSecond = std::fabs(p.y + 1) < 1e-6f && std::fabs(p.z - 1) < 1e-6f;
            EXPECT_TRUE(onFirst || onSecond) << p.x << " " << p.y << " " << p.z;
        }
    }
    EXPECT_EQ(shared, 2);
}

TEST_F(Command, TouchingObjectsAreJoinedIntoOneShell) {
    AddObject(kSquare, kQuad);
    AddObject({{1.00005f, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1.00005f, 1, 0}}, kQuad);
    ASSERT_EQ(Run(Answers{}), 1);
    const MQObjectRec& joined = Added();
    EXPECT_EQ(LiveFaces(joined).size(), 10u) << "no walls along the joined edge";
    EXPECT_EQ(LivePositions(joined).size(), 12u);
    EXPECT_TRUE(IsClosedAndConsistentlyOriented(joined));
    EXPECT_NEAR(SignedVolume(joined), 4.0, 1e-3);
}

TEST_F(Command, ObjectsFartherApartThanTheHarvestWeldKeepTheirWalls) {
    AddObject(kSquare, kQuad);
    AddObject({{1.0002f, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1.0002f, 1, 0}}, kQuad);
    ASSERT_EQ(Run(Answers{}), 1);
    EXPECT_EQ(LiveFaces(Added()).size(), 12u) << "two boxes, walls between them included";
}

TEST_F(Command, HiddenAndLockedObjectsContributeNothing) {
    AddObject(kSquare, kQuad)->visible = false;
    AddObject(ShiftedSquare(5), kQuad)->locked = true;
    ASSERT_EQ(Run(Answers{}), 1);
    EXPECT_EQ(AddedObjects(), 0);

    AddObject(ShiftedSquare(10), kQuad);
    ASSERT_EQ(Run(Answers{}), 1);
    EXPECT_EQ(ZRange(Added()), std::make_pair(9.0f, 11.0f)) << "only the visible, unlocked one";
    EXPECT_EQ(LiveFaces(Added()).size(), 6u);
}

TEST_F(Command, MaterialsAndUvsFollowEveryPoint) {
    MQObjectRec* source = AddObject({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}},
                                    {{0, 1, 2, 3}, {1, 4, 5}});
    const MQCoordinate quadUvs[] = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}};
    const MQCoordinate triangleUvs[] = {{0.9f, 0.1f}, {0.2f, 0.3f}, {0.4f, 0.5f}};
    std::copy(quadUvs, quadUvs + 4, source->faces[0].uvs);
    std::copy(triangleUvs, triangleUvs + 3, source->faces[1].uvs);
    source->faces[0].material = 3;
    source->faces[1].material = 5;

    Answers onlyFront;
    onlyFront.side = onlyFront.back = false;
    ASSERT_EQ(Run(onlyFront), 1);
    const std::vector<FaceView> copies = LiveFaces(Added());
    const std::vector<FaceView> originals = LiveFaces(*source);
    ASSERT_EQ(copies.size(), 2u);
    for (size_t f = 0; f < 2; ++f) {
        EXPECT_EQ(copies[f].material, originals[f].material);
        ASSERT_EQ(copies[f].points.size(), originals[f].points.size());
        for (size_t k = 0; k < copies[f].points.size(); ++k) {
            // Same point order as the source, each point with its own pair.
            EXPECT_EQ(copies[f].points[k].x, originals[f].points[k].x);
            EXPECT_EQ(copies[f].points[k].y, originals[f].points[k].y);
            EXPECT_EQ(copies[f].uvs[k].u, originals[f].uvs[k].u);
            EXPECT_EQ(copies[f].uvs[k].v, originals[f].uvs[k].v);
        }
    }
}

TEST_F(Command, CancelLeavesTheDocumentAsItWas) {
    AddObject(kSquare, kQuad);
    const std::vector<FaceView> before = LiveFaces(*document_.Object(0));
    const std::vector<std::vector<DialogAction>> cancels = {
        {{DialogAction::Click, IDCANCEL, ""}},
        {{DialogAction::Type, IDC_THICKNESS, "3"}, {DialogAction::Escape, 0, ""}},
        {{DialogAction::CloseBox, 0, ""}},
    };
    for (const auto& cancel : cancels) {
        EXPECT_EQ(Run(cancel), 0);
        EXPECT_EQ(document_.ObjectCount(), 1);
        EXPECT_EQ(Made(), 0) << "no object exists before the dialog is confirmed";
        const std::vector<FaceView> after = LiveFaces(*document_.Object(0));
        ASSERT_EQ(after.size(), before.size());
        EXPECT_TRUE(SameCycle(after[0].points, before[0].points, 0.0f));
        EXPECT_TRUE(document_.IsSelectFace(0, 0));
    }
}

TEST_F(Command, NothingSelectedReturnsOneAndAddsNothing) {
    AddObject(kSquare, kQuad, /*selected=*/false);
    EXPECT_EQ(Run(Answers{}), 1);
    EXPECT_EQ(AddedObjects(), 0);
    EXPECT_EQ(Made(), 1);
    EXPECT_EQ(Released(), 1) << "the empty work object is released";

    Run(Answers{});  // an empty document as well
    EXPECT_EQ(AddedObjects(), 0);
}

TEST_F(Command, ADialogThatCannotBeShownIsACancel) {
    AddObject(kSquare, kQuad);
    static int notAModule;
    DllMain(reinterpret_cast<HINSTANCE>(&notAModule), DLL_PROCESS_ATTACH, nullptr);
    EXPECT_EQ(Run(Answers{}), 0);
    EXPECT_EQ(AddedObjects(), 0);
    EXPECT_EQ(Made(), 0);
}

TEST_F(Command, TemporaryObjectsAreReleased) {
    AddObject(kSquare, kQuad);
    ASSERT_EQ(Run(Answers{}), 1);
    EXPECT_EQ(Made(), 4) << "work object, front and back copy, side object";
    EXPECT_EQ(Released(), 3);
}

// A host that cannot deliver an object, at each of the run's four requests:
// nothing is added and everything made is released (checked on tear-down).
TEST_F(Command, HostThatCannotCreateTheWorkObjectChangesNothing) {
    AddObject(kSquare, kQuad);
    FailCreate(1);
    EXPECT_EQ(Run(Answers{}), 0);
    EXPECT_EQ(AddedObjects(), 0);
}

TEST_F(Command, HostThatCannotCloneChangesNothing) {
    for (int failing = 1; failing <= 2; ++failing) {
        SCOPED_TRACE(failing);
        AddObject(kSquare, kQuad);
        FailClone(failing);
        EXPECT_EQ(Run(Answers{}), 0);
        EXPECT_EQ(AddedObjects(), 0);
        FailClone(0);
    }
    EXPECT_EQ(Made(), 1 + 2) << "the work objects and the clones before each failure";
}

TEST_F(Command, HostThatCannotCreateTheSideObjectChangesNothing) {
    AddObject(kSquare, kQuad);
    FailCreate(2);
    EXPECT_EQ(Run(Answers{}), 0);
    EXPECT_EQ(AddedObjects(), 0);
    EXPECT_EQ(Made(), 3);
}

// A host whose clones are not faithful copies of the work object (one more
// vertex on a line, or a face missing): the copies cannot be paired with the
// surface, so nothing is added and everything made is released (checked on
// tear-down), without a crash or a message.
struct UnfaithfulClone {
    static inline MQObject(MQAPICALL* clone)(MQObject) = nullptr;
    static inline bool dropFace = false;

    static MQObject MQAPICALL Clone(MQObject source) {
        MQObject copy = clone(source);
        if (dropFace) {
            copy->DeleteFace(0, true);
        } else {
            const int points[2] = {copy->AddVertex({5, 5, 5}), 0};
            copy->AddFace(2, points);
        }
        return copy;
    }
};

TEST_F(Command, HostWhoseClonesDifferFromTheWorkObjectChangesNothing) {
    UnfaithfulClone::clone = HostApi.MQObj_Clone;
    HostApi.MQObj_Clone = UnfaithfulClone::Clone;
    AddObject(kSquare, kQuad);
    for (bool dropFace : {false, true}) {
        SCOPED_TRACE(dropFace ? "a face missing" : "one vertex more");
        UnfaithfulClone::dropFace = dropFace;
        EXPECT_EQ(Run(Answers{}), 0);
        EXPECT_EQ(AddedObjects(), 0);
    }
}

// A host that reports a face of six points, which the reference host cannot
// hold: face 0 of the object named "hexagon" claims vertices 0 to 5.
struct SixPointFace {
    static inline int copiedPoints = 0;
    static inline std::vector<int> addedFaceSizes;

    static bool IsHexagon(MQObject object, int face) {
        return face == 0 && object->name == "hexagon";
    }
    static int MQAPICALL PointCount(MQObject object, int face) {
        return IsHexagon(object, face) ? 6 : BoundHostApi().MQObj_GetFacePointCount(object, face);
    }
    static void MQAPICALL PointArray(MQObject object, int face, int* points) {
        if (!IsHexagon(object, face)) return BoundHostApi().MQObj_GetFacePointArray(object, face, points);
        for (int k = 0; k < 6; ++k) points[k] = k;
    }
    static void MQAPICALL Uvs(MQObject object, int face, MQCoordinate* uvs) {
        if (!IsHexagon(object, face)) return BoundHostApi().MQObj_GetFaceCoordinateArray(object, face, uvs);
        for (int k = 0; k < 6; ++k) uvs[k] = {0.1f * k, 0.0f};
    }
    static void MQAPICALL CopyAttribute(MQObject target, int tv, MQObject source, int sv) {
        ++copiedPoints;
        BoundHostApi().MQObj_CopyVertexAttribute(target, tv, source, sv);
    }
    static int MQAPICALL AddFace(MQObject object, int count, int* points) {
        addedFaceSizes.push_back(count);
        return BoundHostApi().MQObj_AddFace(object, count, points);
    }
};

TEST_F(Command, AFaceOfMoreThanFourPointsIsReadWithoutOverrun) {
    MQObjectRec* hexagon = AddObject(
        {{1, 0, 0}, {0.5f, 0.87f, 0}, {-0.5f, 0.87f, 0}, {-1, 0, 0}, {-0.5f, -0.87f, 0}, {0.5f, -0.87f, 0}},
        {{0, 1, 2, 3}});
    hexagon->name = "hexagon";
    HostApi.MQObj_GetFacePointCount = SixPointFace::PointCount;
    HostApi.MQObj_GetFacePointArray = SixPointFace::PointArray;
    HostApi.MQObj_GetFaceCoordinateArray = SixPointFace::Uvs;
    HostApi.MQObj_CopyVertexAttribute = SixPointFace::CopyAttribute;
    HostApi.MQObj_AddFace = SixPointFace::AddFace;

    EXPECT_EQ(Run(Answers{}), 1);
    EXPECT_EQ(SixPointFace::copiedPoints, 6) << "every point was copied";
    ASSERT_FALSE(SixPointFace::addedFaceSizes.empty());
    EXPECT_EQ(SixPointFace::addedFaceSizes.front(), 6);
    // This host holds at most four points, so nothing was harvested.
    EXPECT_EQ(AddedObjects(), 0);
}

// A host that runs out of memory in the middle of the run: the failure does
// not unwind into the host, the user is told, nothing is added, and every
// object made is released (checked on tear-down).
struct ExhaustedHost {
    static BOOL MQAPICALL Merge(MQObject, MQObject) { throw std::bad_alloc(); }
};

TEST_F(Command, RunningOutOfMemoryIsReportedAndLeavesNothingBehind) {
    AddObject(kSquare, kQuad);
    HostApi.MQObj_Merge = ExhaustedHost::Merge;
    ClearRecordedMessageBoxes();
    EXPECT_EQ(Run(Answers{}), 0);
    EXPECT_EQ(AddedObjects(), 0);
    EXPECT_EQ(Made(), 4);
    EXPECT_EQ(Released(), 4) << "the work object too";
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    // "厚みをつけます。" over "メモリが足りないため、厚みをつけられませんでした。"
    EXPECT_EQ(RecordedMessageBoxes()[0].caption,
              "\x8c\xfa\x82\xdd\x82\xf0\x82\xc2\x82\xaf\x82\xdc\x82\xb7\x81\x42");
    EXPECT_EQ(RecordedMessageBoxes()[0].text.substr(0, 6), "\x83\x81\x83\x82\x83\x8a");
    ClearRecordedMessageBoxes();
}

}  // namespace
