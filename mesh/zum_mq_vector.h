// ZUM_MQVector: the three-component double vector of the mesh model. Vertex
// positions, normals and every intermediate of the normal and offset
// computations are held in it; host points (three floats) are converted at
// the border with FromPoint and ToPoint.
#pragma once

#include <cmath>

#include "plugin/mq_host.h"

class ZUM_MQVector {
public:
    double x;
    double y;
    double z;

    // The zero vector.
    ZUM_MQVector() : x(0.0), y(0.0), z(0.0) {}
    ZUM_MQVector(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    ZUM_MQVector(const ZUM_MQVector&) = default;
    ZUM_MQVector& operator=(const ZUM_MQVector&) = default;
    virtual ~ZUM_MQVector() {}

    // Overwrites the three components.
    void Set(double x_, double y_, double z_) {
        x = x_;
        y = y_;
        z = z_;
    }

    // Sets all three components to 0.
    void Zero() { x = y = z = 0.0; }

    // Copies the components of `other` and returns this vector, so that one
    // copy can be chained into another.
    ZUM_MQVector& Assign(const ZUM_MQVector& other) {
        x = other.x;
        y = other.y;
        z = other.z;
        return *this;
    }

    // Takes the host point's floats, widened exactly to doubles.
    void FromPoint(const MQPoint& point) {
        x = point.x;
        y = point.y;
        z = point.z;
    }

    // Fills a host point with each component rounded to the nearest float.
    void ToPoint(MQPoint& point) const {
        point.x = static_cast<float>(x);
        point.y = static_cast<float>(y);
        point.z = static_cast<float>(z);
    }

    // In place: this += b.
    void Add(const ZUM_MQVector& b) {
        x += b.x;
        y += b.y;
        z += b.z;
    }

    // a + b.
    static ZUM_MQVector Sum(const ZUM_MQVector& a, const ZUM_MQVector& b) {
        return ZUM_MQVector(a.x + b.x, a.y + b.y, a.z + b.z);
    }

    // v * s.
    static ZUM_MQVector Scaled(const ZUM_MQVector& v, double s) {
        return ZUM_MQVector(v.x * s, v.y * s, v.z * s);
    }

    // -v.
    static ZUM_MQVector Negated(const ZUM_MQVector& v) { return ZUM_MQVector(-v.x, -v.y, -v.z); }

    // The right-handed cross product a x b.
    static ZUM_MQVector Cross(const ZUM_MQVector& a, const ZUM_MQVector& b) {
        return ZUM_MQVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    }

    double LengthSquared() const { return x * x + y * y + z * z; }
    double Length() const { return std::sqrt(LengthSquared()); }

    // Divides each component by the length, computed once. A zero vector has
    // no direction and stays (0, 0, 0) rather than turning into NaN. Always
    // returns true.
    bool Normalize();
};
