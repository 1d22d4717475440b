#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "element_builder.h"
#include "message_fixture.h"

namespace {

class UVTableTest : public MessageFixture {
protected:
    PolygonObject* Triangle() { return b.Loop({b.Vertex(), b.Vertex(), b.Vertex()}); }
    PolygonObject* Quad() { return b.Loop({b.Vertex(), b.Vertex(), b.Vertex(), b.Vertex()}); }
    ElementBuilder b;
};

TEST_F(UVTableTest, TriangleTakesThreePairsAndRefusesAFourth) {
    PolygonObject* t = Triangle();
    EXPECT_FALSE(t->HasUV());
    t->AddUV(0.25, 0.5);
    t->AddUV(1, 0);
    t->AddUV(0, 1);
    EXPECT_EQ(MessageCount(), 0u);
    t->AddUV(9, 9);
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_MESSAGE(0, cp932::kUVCaption, cp932::kUVBeyondCorners);
    EXPECT_TRUE(t->HasUV());
    EXPECT_EQ(t->UVCount(), 3);
    EXPECT_EQ(t->UAt(0), 0.25);
    EXPECT_EQ(t->VAt(0), 0.5);
    EXPECT_EQ(t->UAt(2), 0.0);
    EXPECT_EQ(t->VAt(2), 1.0);
    EXPECT_EQ(MessageCount(), 1u);
}

// Values that a float cannot hold read back as given, and so do the float
// values given before them.
TEST_F(UVTableTest, PairsReadBackExactlyWhateverTheirPrecision) {
    const double nan = std::nan("7");
    const double pairs[4][2] = {{0.25f, -0.0}, {0.1f, 1e300}, {0.1, nan}, {-3.5, 1e-310}};
    PolygonObject* q = Quad();
    for (const auto& p : pairs) q->AddUV(p[0], p[1]);
    EXPECT_EQ(MessageCount(), 0u);
    ASSERT_EQ(q->UVCount(), 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(q->UAt(k), pairs[k][0]) << k;
        if (k != 2) {
            EXPECT_EQ(q->VAt(k), pairs[k][1]) << k;
        }
    }
    EXPECT_TRUE(std::signbit(q->VAt(0)));
    double read = q->VAt(2);
    EXPECT_EQ(std::memcmp(&read, &nan, sizeof nan), 0);
}

TEST_F(UVTableTest, QuadTakesFourPairsAndAFifthShowsTheLimitOfFour) {
    PolygonObject* q = Quad();
    for (int k = 0; k < 4; ++k) q->AddUV(k, -k);
    EXPECT_EQ(MessageCount(), 0u);
    q->AddUV(5, 5);
    ASSERT_EQ(MessageCount(), 1u);
    // The limit of four is tested before the number of corners.
    EXPECT_MESSAGE(0, cp932::kUVCaption, cp932::kUVBeyondFour);
    EXPECT_EQ(q->UVCount(), 4);
    EXPECT_EQ(q->UAt(3), 3.0);
    EXPECT_EQ(q->VAt(3), -3.0);
}

TEST_F(UVTableTest, ReadingOutsideTheTableShowsAMessageAndGivesZero) {
    PolygonObject* t = Triangle();
    EXPECT_EQ(t->UAt(0), 0.0);
    EXPECT_MESSAGE(0, cp932::kUVCaption, cp932::kInvalidUIndex);
    t->AddUV(0.5, 0.75);
    EXPECT_EQ(t->VAt(-1), 0.0);
    EXPECT_MESSAGE(1, cp932::kUVCaption, cp932::kInvalidVIndex);
    EXPECT_EQ(t->UAt(1), 0.0);
    EXPECT_MESSAGE(2, cp932::kUVCaption, cp932::kInvalidUIndex);
    EXPECT_EQ(t->VAt(1), 0.0);
    EXPECT_MESSAGE(3, cp932::kUVCaption, cp932::kInvalidVIndex);
    EXPECT_EQ(MessageCount(), 4u);
}

TEST_F(UVTableTest, OwnerWindowIsAskedForAtEachMessage) {
    PolygonObject* t = Triangle();
    const int before = windowAsked;
    t->UAt(5);
    t->VAt(5);
    EXPECT_EQ(windowAsked, before + 2);
    EXPECT_EQ(Message(0).owner, MainWindow());
    EXPECT_EQ(Message(1).owner, MainWindow());
}

}  // namespace
