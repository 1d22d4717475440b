#include <gtest/gtest.h>

#include "mesh/zum_mq_vector.h"

namespace {

void ExpectVector(const ZUM_MQVector& v, double x, double y, double z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

TEST(VectorTest, CrossIsRightHanded) {
    const ZUM_MQVector ex(1, 0, 0), ey(0, 1, 0), ez(0, 0, 1);
    ExpectVector(ZUM_MQVector::Cross(ex, ey), 0, 0, 1);
    ExpectVector(ZUM_MQVector::Cross(ey, ex), 0, 0, -1);
    ExpectVector(ZUM_MQVector::Cross(ey, ez), 1, 0, 0);
    ExpectVector(ZUM_MQVector::Cross(ez, ex), 0, 1, 0);
    ExpectVector(ZUM_MQVector::Cross(ZUM_MQVector(2, 3, 4), ZUM_MQVector(5, 6, 7)), -3, 6, -3);
}

TEST(VectorTest, AssignReturnsItselfForChaining) {
    const ZUM_MQVector source(1, -2, 3);
    ZUM_MQVector first, second;
    second.Assign(first.Assign(source));
    ExpectVector(first, 1, -2, 3);
    ExpectVector(second, 1, -2, 3);
    EXPECT_EQ(&first.Assign(source), &first);
}

TEST(VectorTest, NormalizeDividesByLength) {
    ZUM_MQVector v(3, 0, 4);
    EXPECT_TRUE(v.Normalize());
    ExpectVector(v, 0.6, 0, 0.8);
}

TEST(VectorTest, NormalizeKeepsZeroVectorZeroInsteadOfNaN) {
    ZUM_MQVector v;
    EXPECT_TRUE(v.Normalize());
    ExpectVector(v, 0, 0, 0);
}

TEST(VectorTest, ToPointRoundsToNearestFloatAndFromPointWidensExactly) {
    MQPoint p{};
    ZUM_MQVector(0.1, 0.2, 0.3).ToPoint(p);
    EXPECT_EQ(p.x, 0.1f);
    EXPECT_EQ(p.y, 0.2f);
    EXPECT_EQ(p.z, 0.3f);

    ZUM_MQVector back;
    back.FromPoint(p);
    ExpectVector(back, static_cast<double>(0.1f), static_cast<double>(0.2f), static_cast<double>(0.3f));
    EXPECT_NE(back.x, 0.1);

    // Halfway and beyond-float values: rounding is to the nearest float.
    const double justAboveOne = 1.0 + 1e-9;  // far below half a float step
    ZUM_MQVector(justAboveOne, -justAboveOne, 16777217.0).ToPoint(p);
    EXPECT_EQ(p.x, 1.0f);
    EXPECT_EQ(p.y, -1.0f);
    EXPECT_EQ(p.z, 16777216.0f);  // 2^24 + 1 is a tie and goes to even
}

}  // namespace
