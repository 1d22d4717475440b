#include "tests/fuzz/command_document.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

#include "plugin/resource_ids.h"

namespace {

constexpr int IdOk = 1;
constexpr int IdCancel = 2;

float SignedByte(ByteReader& in) { return static_cast<float>(static_cast<int8_t>(in.Byte())); }

float SpecialValue(ByteReader& in) {
    static const float values[] = {
        std::numeric_limits<float>::quiet_NaN(),
        std::numeric_limits<float>::infinity(),
        -std::numeric_limits<float>::infinity(),
        1e30f,
        -1e30f,
        FLT_MAX,
        -FLT_MAX,
        1e-40f,  // subnormal
        0.0f,
        -0.0f,
        1e-30f,
        3e38f,
    };
    return values[in.Below(sizeof values / sizeof values[0])];
}

// A point of a free document; `earlier` holds the points made so far.
MQPoint FreePoint(ByteReader& in, const std::vector<MQPoint>& earlier) {
    const uint32_t kind = in.Below(16);
    if (kind == 8 && !earlier.empty()) return earlier[in.Below(static_cast<uint32_t>(earlier.size()))];
    if (kind == 9) return {SpecialValue(in), SpecialValue(in), SpecialValue(in)};
    if (kind == 10) return {in.RawFloat(), in.RawFloat(), in.RawFloat()};
    if (kind == 11 && !earlier.empty()) {
        // Just within or just beyond the weld distances.
        static const float steps[] = {0.00005f, 0.0002f, 0.0005f, 0.002f};
        MQPoint p = earlier[in.Below(static_cast<uint32_t>(earlier.size()))];
        p.x += steps[in.Below(4)];
        return p;
    }
    if (kind == 12) return {SignedByte(in) * 0.01f, SignedByte(in) * 0.01f, SignedByte(in) * 0.01f};
    if (kind == 13) {
        // The special values mixed into ordinary coordinates.
        MQPoint p{SignedByte(in) * 0.25f, SignedByte(in) * 0.25f, SignedByte(in) * 0.25f};
        (&p.x)[in.Below(3)] = SpecialValue(in);
        return p;
    }
    return {SignedByte(in) * 0.25f, SignedByte(in) * 0.25f, SignedByte(in) * 0.25f};
}

MQCoordinate FreeUv(ByteReader& in) { return {in.Byte() / 255.0f, in.Byte() / 255.0f}; }

int FreeMaterial(ByteReader& in) {
    const uint32_t kind = in.Below(8);
    if (kind == 0) return 0x7fffffff;
    if (kind == 1) return -5;
    return static_cast<int>(kind) - 3;  // -1 .. 4
}

// Adds a face of `points.size()` points (0 to 8) to `object`. A face of no
// points is a deleted face, whose slot stays; one of more than four is held
// by the host as its first four points and reported whole (LargeFace).
void AddFreeFace(ByteReader& in, CommandCase& c, MQObjectRec& object, const std::vector<int>& points) {
    const int k = static_cast<int>(points.size());
    if (k == 0) {
        const int first = 0;
        object.DeleteFace(object.AddFace(1, &first), false);
        return;
    }
    std::vector<MQCoordinate> uvs(k);
    for (MQCoordinate& uv : uvs) uv = FreeUv(in);
    const int face = object.AddFace(std::min(k, kMaxFacePoints), points.data(), uvs.data());
    assert(face >= 0);
    object.faces[face].material = FreeMaterial(in);
    if (k > kMaxFacePoints) c.largeFaces.push_back({&object, face, points, uvs});
}

void FillFreeObject(ByteReader& in, CommandCase& c, MQObjectRec& object, std::vector<MQPoint>& earlier) {
    const uint32_t vertexCount = in.Below(24);
    for (uint32_t v = 0; v < vertexCount; ++v) {
        const MQPoint p = FreePoint(in, earlier);
        earlier.push_back(p);
        object.AddVertex(p);
    }
    if (vertexCount == 0) return;
    const uint32_t faceCount = in.Below(20);
    std::vector<std::vector<int>> made;
    for (uint32_t f = 0; f < faceCount; ++f) {
        const uint32_t kind = in.Below(16);
        std::vector<int> points;
        if (kind <= 1 && !made.empty()) {
            points = made[in.Below(static_cast<uint32_t>(made.size()))];
            if (kind == 1) std::reverse(points.begin(), points.end());
        } else {
            const uint32_t k = kind == 2 ? 2 : in.Below(9);  // lines are common
            for (uint32_t j = 0; j < k; ++j) points.push_back(static_cast<int>(in.Below(vertexCount)));
        }
        AddFreeFace(in, c, object, points);
        if (!points.empty()) made.push_back(points);
    }
}

// A height-field patch over square cells, spread over `objects`; returns the
// cells' size.
float FillPatch(ByteReader& in, std::vector<MQObjectRec*>& objects) {
    static const float spacings[] = {1.0f, 0.5f, 2.0f, 10.0f, 0.25f};
    const int nx = 1 + static_cast<int>(in.Below(6));
    const int ny = 1 + static_cast<int>(in.Below(6));
    const float spacing = spacings[in.Below(5)];
    const bool flip = in.Chance(128);
    const uint32_t axes = in.Below(6);  // which coordinate the height goes to, and the order
    const float origin[3] = {SignedByte(in), SignedByte(in), SignedByte(in)};
    std::vector<float> height((nx + 1) * (ny + 1));
    const bool flat = in.Chance(64);
    for (float& h : height) h = flat ? 0.0f : SignedByte(in) / 128.0f * 0.3f * spacing;

    auto positionOf = [&](int i, int j) {
        const float local[3] = {i * spacing, j * spacing, height[j * (nx + 1) + i]};
        static const int order[6][3] = {{0, 1, 2}, {1, 0, 2}, {0, 2, 1}, {2, 0, 1}, {1, 2, 0}, {2, 1, 0}};
        float p[3];
        for (int a = 0; a < 3; ++a) p[order[axes][a]] = local[a];
        return MQPoint{origin[0] + p[0], origin[1] + p[1], origin[2] + p[2]};
    };
    // Per object, the local index of each grid point it uses.
    std::vector<std::vector<int>> local(objects.size(), std::vector<int>(height.size(), -1));
    auto pointIn = [&](size_t o, int i, int j) {
        int& index = local[o][j * (nx + 1) + i];
        if (index < 0) index = objects[o]->AddVertex(positionOf(i, j));
        return index;
    };
    auto addFace = [&](size_t o, std::vector<int> points) {
        if (flip) std::reverse(points.begin(), points.end());
        std::vector<MQCoordinate> uvs(points.size(), MQCoordinate{0.5f, 0.5f});
        const int face = objects[o]->AddFace(static_cast<int>(points.size()), points.data(), uvs.data());
        if (face >= 0) objects[o]->faces[face].material = static_cast<int>(o);
    };
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            const uint32_t kind = in.Below(8);
            if (kind == 0) continue;  // a hole
            const size_t o = objects.size() == 1 ? 0 : in.Below(static_cast<uint32_t>(objects.size()));
            const int a = pointIn(o, i, j), b = pointIn(o, i + 1, j);
            const int d = pointIn(o, i, j + 1), e = pointIn(o, i + 1, j + 1);
            if (kind == 5) {
                addFace(o, {a, b, e});
                addFace(o, {a, e, d});
            } else if (kind == 6) {
                addFace(o, {a, b, d});
                addFace(o, {b, e, d});
            } else {
                addFace(o, {a, b, e, d});
            }
        }
    }
    return spacing;
}

// The thickness as a user might type it; for a patch of cells of size
// `spacing` mostly well above the weld distance and well below the cells.
std::string ThicknessText(ByteReader& in, float spacing) {
    static const char* const odd[] = {
        "5.0", "0", "-0", "abc", "2.5mm", "2,5", "", "1e400", "-1e400", "1e30", "1e-30",
        "0.0001", "0.001", "  .5", "1e1x", "nan", "inf", "340282356779733661637539395458142568448",
        "99999999999999999999999999999999999999999999999999999999999999999999999999"};
    if (in.Chance(40)) return odd[in.Below(sizeof odd / sizeof odd[0])];
    double value;
    if (spacing > 0) {
        value = spacing * (0.01 + in.Byte() / 255.0 * 0.5);
    } else {
        value = in.Byte() / 16.0;
    }
    if (in.Chance(64)) value = -value;
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::vector<DialogAction> Script(ByteReader& in, float spacing) {
    std::vector<DialogAction> script;
    if (!in.Chance(16)) script.push_back({DialogAction::Type, IDC_THICKNESS, ThicknessText(in, spacing)});
    const int groups[] = {IDC_MAKE_FRONT, IDC_MAKE_SIDE, IDC_MAKE_BACK};
    for (int control : groups)
        for (int clicks = 0; clicks < 3 && in.Chance(40); ++clicks) script.push_back({DialogAction::Click, control, ""});
    if (!in.Chance(48)) {
        const int directions[] = {IDC_DIRECTION_FRONT, IDC_DIRECTION_CENTER, IDC_DIRECTION_BACK};
        script.push_back({DialogAction::Click, directions[in.Below(3)], ""});
    }
    if (in.Chance(128)) script.push_back({DialogAction::Click, IDC_EVEN_THICKNESS, ""});
    if (in.Chance(8)) script.push_back({DialogAction::Type, IDC_THICKNESS, ""});
    switch (in.Below(24)) {
    case 0: script.push_back({DialogAction::Escape, 0, ""}); break;
    case 1: script.push_back({DialogAction::CloseBox, 0, ""}); break;
    case 2: script.push_back({DialogAction::Click, IdCancel, ""}); break;
    case 3: script.push_back({DialogAction::Enter, 0, ""}); break;
    case 4: break;  // the user walks away: the script runs out
    default: script.push_back({DialogAction::Click, IdOk, ""}); break;
    }
    return script;
}

void SelectFaces(ByteReader& in, MQDocumentRec& document, int slot) {
    const MQObjectRec* object = document.Object(slot);
    const bool all = !in.Chance(40);
    for (int f = 0; f < object->FaceCount(); ++f)
        if (all || in.Chance(160)) document.SelectFace(slot, f, true);
}

}  // namespace

void GenerateCase(ByteReader& in, CommandCase& c) {
    const bool patch = !in.Chance(96);
    std::vector<MQObjectRec*> objects;
    const uint32_t objectCount = 1 + in.Below(patch ? 3 : 4);
    for (uint32_t o = 0; o < objectCount; ++o) objects.push_back(new MQObjectRec());
    std::vector<MQObjectRec*> junk;
    float spacing = 0;
    if (patch) {
        spacing = FillPatch(in, objects);
        if (in.Chance(64)) junk.push_back(new MQObjectRec());
    }
    std::vector<MQPoint> earlier;
    for (MQObjectRec* object : (patch ? junk : objects)) FillFreeObject(in, c, *object, earlier);

    for (MQObjectRec* object : objects) {
        object->visible = !in.Chance(patch ? 12 : 40);
        object->locked = in.Chance(patch ? 12 : 40);
        SelectFaces(in, c.document, c.document.AddObject(object));
    }
    for (MQObjectRec* object : junk) {
        // Junk that the command must leave out: hidden, locked or unselected.
        const uint32_t hide = in.Below(3);
        object->visible = hide != 0;
        object->locked = hide == 1;
        const int slot = c.document.AddObject(object);
        if (hide != 2) SelectFaces(in, c.document, slot);
    }
    // An emptied slot reads as null.
    if (in.Chance(24) && c.document.ObjectCount() > 1) {
        const int slot = static_cast<int>(in.Below(static_cast<uint32_t>(c.document.ObjectCount())));
        const MQObjectRec* gone = c.document.Object(slot);
        c.largeFaces.erase(std::remove_if(c.largeFaces.begin(), c.largeFaces.end(),
                                          [&](const LargeFace& f) { return f.object == gone; }),
                           c.largeFaces.end());
        c.document.DeleteObject(slot);
    }
    c.script = Script(in, spacing);
}

const LargeFace* FindLargeFace(const CommandCase& c, const MQObjectRec* object, int face) {
    for (const LargeFace& large : c.largeFaces)
        if (large.object == object && large.face == face) return &large;
    return nullptr;
}
