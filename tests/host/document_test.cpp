// The document: object slots, ownership, face selection and materials.
#include <gtest/gtest.h>

#include "host/mq_functions.h"

namespace {

MQObject Triangle() {
    MQObject o = MQ_CreateObject();
    MQPoint p[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    int pts[3];
    for (int i = 0; i < 3; ++i) pts[i] = MQObj_AddVertex(o, &p[i]);
    MQObj_AddFace(o, 3, pts);
    MQObj_AddFace(o, 3, pts);
    return o;
}

TEST(HostDocument, SlotsOwnershipAndEmptiedSlots) {
    MQDocumentRec doc;
    MQObject a = Triangle(), b = Triangle();
    EXPECT_EQ(MQDoc_AddObject(&doc, a), 0);
    EXPECT_EQ(MQDoc_AddObject(&doc, b), 1);
    EXPECT_EQ(MQDoc_AddObject(&doc, a), -1);  // already owned
    EXPECT_EQ(MQDoc_AddObject(&doc, nullptr), -1);
    EXPECT_EQ(MQDoc_GetObjectIndex(&doc, b), 1);

    MQObj_Delete(a);  // owned by the document: left alone
    EXPECT_EQ(MQDoc_GetObject(&doc, 0), a);
    EXPECT_EQ(MQObj_GetFaceCount(a), 2);

    MQDoc_DeleteObject(&doc, 0);
    EXPECT_EQ(MQDoc_GetObjectCount(&doc), 2);
    EXPECT_EQ(MQDoc_GetObject(&doc, 0), nullptr);
    EXPECT_EQ(MQDoc_GetObject(&doc, 1), b);
    EXPECT_EQ(MQDoc_GetObject(&doc, 2), nullptr);
    EXPECT_EQ(MQDoc_GetObject(&doc, -1), nullptr);
    MQDoc_Compact(&doc);
    EXPECT_EQ(MQDoc_GetObjectCount(&doc), 1);
    EXPECT_EQ(MQDoc_GetObject(&doc, 0), b);

    // A clone belongs to no document until added.
    MQObject c = MQObj_Clone(b);
    EXPECT_EQ(MQDoc_GetObjectIndex(&doc, c), -1);
    EXPECT_EQ(MQDoc_AddObject(&doc, c), 1);
}

TEST(HostDocument, VisibleAndLockedAsTheModuleReadsThem) {
    MQObject o = MQ_CreateObject();
    EXPECT_TRUE(MQObj_GetVisible(o));
    EXPECT_EQ(MQObj_GetIntValue(o, MQOBJ_ID_LOCKING), 0);
    MQObj_SetVisible(o, 0);
    MQObj_SetIntValue(o, MQOBJ_ID_LOCKING, 1);
    EXPECT_FALSE(MQObj_GetVisible(o));
    EXPECT_NE(MQObj_GetIntValue(o, MQOBJ_ID_LOCKING), 0);
    MQObject c = MQObj_Clone(o);
    EXPECT_NE(MQObj_GetIntValue(c, MQOBJ_ID_LOCKING), 0);
    MQObj_Delete(o);
    MQObj_Delete(c);
}

TEST(HostDocument, FaceSelectionPerSlotAndFaceFollowsTheFace) {
    MQDocumentRec doc;
    MQDoc_AddObject(&doc, Triangle());
    MQDoc_AddObject(&doc, Triangle());
    EXPECT_TRUE(MQDoc_AddSelectFace(&doc, 1, 1));
    EXPECT_FALSE(MQDoc_AddSelectFace(&doc, 1, 2));
    EXPECT_FALSE(MQDoc_AddSelectFace(&doc, 2, 0));
    EXPECT_FALSE(MQDoc_IsSelectFace(&doc, 0, 1));
    EXPECT_TRUE(MQDoc_IsSelectFace(&doc, 1, 1));
    EXPECT_FALSE(MQDoc_IsSelectFace(&doc, 1, 0));
    EXPECT_FALSE(MQDoc_IsSelectFace(&doc, 1, 99));

    // Compaction moves the selection with the face.
    MQObject o = MQDoc_GetObject(&doc, 1);
    MQObj_DeleteFace(o, 0, TRUE);
    MQObj_Compact(o);
    EXPECT_TRUE(MQDoc_IsSelectFace(&doc, 1, 0));
    // A clone carries no selection.
    MQObject c = MQObj_Clone(o);
    EXPECT_EQ(MQDoc_AddObject(&doc, c), 2);
    EXPECT_FALSE(MQDoc_IsSelectFace(&doc, 2, 0));

    EXPECT_TRUE(MQDoc_DeleteSelectFace(&doc, 1, 0));
    EXPECT_FALSE(MQDoc_IsSelectFace(&doc, 1, 0));
    MQDoc_AddSelectFace(&doc, 0, 0);
    MQDoc_ClearSelect(&doc, 0);
    EXPECT_FALSE(MQDoc_IsSelectFace(&doc, 0, 0));
    // Deleting a face deselects it.
    MQDoc_AddSelectFace(&doc, 0, 1);
    MQObj_DeleteFace(MQDoc_GetObject(&doc, 0), 1, TRUE);
    EXPECT_FALSE(MQDoc_IsSelectFace(&doc, 0, 1));
}

TEST(HostDocument, MaterialsKeepNameAndColourAndRenumberFacesOnCompact) {
    MQDocumentRec doc;
    MQMaterial red = MQ_CreateMaterial(), blue = MQ_CreateMaterial();
    MQMat_SetName(red, "red");
    MQMat_SetColor(red, MQColor{1.0f, 0.0f, 0.0f});
    MQMat_SetName(blue, "blue");
    MQMat_SetColor(blue, MQColor{0.0f, 0.0f, 1.0f});
    MQMat_SetAlpha(blue, 0.5f);
    EXPECT_EQ(MQDoc_AddMaterial(&doc, red), 0);
    EXPECT_EQ(MQDoc_AddMaterial(&doc, blue), 1);
    EXPECT_EQ(MQDoc_AddMaterial(&doc, blue), -1);

    MQObject o = Triangle();
    MQDoc_AddObject(&doc, o);
    MQObj_SetFaceMaterial(o, 0, 0);
    MQObj_SetFaceMaterial(o, 1, 1);

    MQDoc_DeleteMaterial(&doc, 0);
    EXPECT_EQ(MQDoc_GetMaterial(&doc, 0), nullptr);
    EXPECT_EQ(MQObj_GetFaceMaterial(o, 0), -1);
    EXPECT_EQ(MQObj_GetFaceMaterial(o, 1), 1);
    MQDoc_Compact(&doc);
    ASSERT_EQ(MQDoc_GetMaterialCount(&doc), 1);
    EXPECT_EQ(MQObj_GetFaceMaterial(o, 1), 0);

    MQMaterial m = MQDoc_GetMaterial(&doc, 0);
    char name[3];
    MQMat_GetName(m, name, sizeof name);
    EXPECT_STREQ(name, "bl");  // cut to the buffer, zero-terminated
    MQColor c = MQMat_GetColor(m);
    EXPECT_EQ(c.b, 1.0f);
    EXPECT_EQ(c.r, 0.0f);
    EXPECT_EQ(MQMat_GetAlpha(m), 0.5f);
}

}  // namespace
