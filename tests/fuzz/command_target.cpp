// Fuzz target: the whole command, in process. The program is the reference
// host (it exports the host's names and the module binds them through
// MQInit), the module's code is linked in, and the dialog is scripted. Each
// input becomes a document and a dialog script (command_document.h); the
// command runs on it, and the run is held to what must hold on every input:
// - no crash and no sanitizer report;
// - the source objects are unchanged, every object the module made is added
//   or released, and at most one object is added;
// - the new object holds only faces of distinct live vertices, and no NaN or
//   infinity unless the input brought one (a non-finite coordinate or
//   thickness, or a thickness that carries a point beyond the float range);
// - on an oriented manifold with a border whose points are well apart, with
//   a thickness well above the weld distance and well below the point
//   spacing: front + back + one side quad per open edge, closed, oriented,
//   twice the points, and a volume whose sign is the thickness's.
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "host/document.h"
#include "platform/message_box_log.h"
#include "platform/win32.h"
#include "plugin/exports.h"
#include "plugin/host_api.h"
#include "plugin/thicken_settings.h"
#include "tests/fuzz/command_document.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/in_process_module.h"
#include "tests/fuzz/shell_check.h"

namespace {

// ---- The host as the module sees it -------------------------------------------

HostApiTable boundHost;
const CommandCase* currentCase = nullptr;
std::vector<MQObject> made, released, added;

int MQAPICALL FacePointCount(MQObject object, int face) {
    if (const LargeFace* large = FindLargeFace(*currentCase, object, face))
        return static_cast<int>(large->points.size());
    return boundHost.MQObj_GetFacePointCount(object, face);
}

void MQAPICALL FacePointArray(MQObject object, int face, int* points) {
    if (const LargeFace* large = FindLargeFace(*currentCase, object, face)) {
        std::copy(large->points.begin(), large->points.end(), points);
        return;
    }
    boundHost.MQObj_GetFacePointArray(object, face, points);
}

void MQAPICALL FaceCoordinateArray(MQObject object, int face, MQCoordinate* uvs) {
    if (const LargeFace* large = FindLargeFace(*currentCase, object, face)) {
        std::copy(large->uvs.begin(), large->uvs.end(), uvs);
        return;
    }
    boundHost.MQObj_GetFaceCoordinateArray(object, face, uvs);
}

MQObject MQAPICALL CreateObject(void) {
    MQObject object = boundHost.MQ_CreateObject();
    made.push_back(object);
    return object;
}

MQObject MQAPICALL CloneObject(MQObject source) {
    MQObject object = boundHost.MQObj_Clone(source);
    made.push_back(object);
    return object;
}

void MQAPICALL DeleteObject(MQObject object) {
    released.push_back(object);
    boundHost.MQObj_Delete(object);
}

int MQAPICALL AddObject(MQDocument document, MQObject object) {
    added.push_back(object);
    return boundHost.MQDoc_AddObject(document, object);
}

void BindOnce() {
    static bool bound = false;
    if (bound) return;
    StartModuleInThisProgram();
    boundHost = HostApi;
    HostApi.MQObj_GetFacePointCount = FacePointCount;
    HostApi.MQObj_GetFacePointArray = FacePointArray;
    HostApi.MQObj_GetFaceCoordinateArray = FaceCoordinateArray;
    HostApi.MQ_CreateObject = CreateObject;
    HostApi.MQObj_Clone = CloneObject;
    HostApi.MQObj_Delete = DeleteObject;
    HostApi.MQDoc_AddObject = AddObject;
    bound = true;
}

// ---- What the command is given -----------------------------------------------------

struct ObjectSnapshot {
    const MQObjectRec* object;
    std::vector<MQPoint> positions;
    std::vector<uint8_t> live;
    std::vector<HostFace> faces;
    bool visible, locked;
};

std::vector<ObjectSnapshot> Snapshot(const MQDocumentRec& document) {
    std::vector<ObjectSnapshot> snapshot;
    for (int slot = 0; slot < document.ObjectCount(); ++slot) {
        const MQObjectRec* o = document.Object(slot);
        if (o) snapshot.push_back({o, o->positions, o->vertexLive, o->faces, o->visible, o->locked});
    }
    return snapshot;
}

bool SameFace(const HostFace& a, const HostFace& b) {
    if (a.count != b.count || a.material != b.material || a.selected != b.selected) return false;
    for (int i = 0; i < a.count; ++i)
        if (a.points[i] != b.points[i] || std::memcmp(&a.uvs[i], &b.uvs[i], sizeof a.uvs[i]) != 0)
            return false;
    return true;
}

void RequireUnchanged(const std::vector<ObjectSnapshot>& before) {
    for (const ObjectSnapshot& s : before) {
        const MQObjectRec& o = *s.object;
        FUZZ_REQUIRE(o.visible == s.visible && o.locked == s.locked, "source flags unchanged");
        FUZZ_REQUIRE(o.positions.size() == s.positions.size(), "source vertices unchanged");
        for (size_t v = 0; v < s.positions.size(); ++v)
            FUZZ_REQUIRE(std::memcmp(&o.positions[v], &s.positions[v], sizeof(MQPoint)) == 0,
                         "source vertices unchanged");
        FUZZ_REQUIRE(o.vertexLive == s.live, "no source vertex deleted");
        FUZZ_REQUIRE(o.faces.size() == s.faces.size(), "source faces unchanged");
        for (size_t f = 0; f < s.faces.size(); ++f)
            FUZZ_REQUIRE(SameFace(o.faces[f], s.faces[f]), "source faces unchanged");
    }
}

// The faces the command takes: selected faces with points, of visible,
// unlocked objects, as their positions.
struct Harvest {
    std::vector<std::vector<MQPoint>> faces;
    bool nonFinite = false;
    double largest = 0;  // largest coordinate magnitude
    bool anyHostSized = false;  // a face of one to four points, which the work object takes
};

Harvest HarvestOf(const CommandCase& c) {
    Harvest h;
    const MQDocumentRec& document = c.document;
    for (int slot = 0; slot < document.ObjectCount(); ++slot) {
        const MQObjectRec* o = document.Object(slot);
        if (!o || !o->visible || o->locked) continue;
        for (int f = 0; f < o->FaceCount(); ++f) {
            if (!document.IsSelectFace(slot, f)) continue;
            std::vector<int> points(o->faces[f].points, o->faces[f].points + o->faces[f].count);
            if (const LargeFace* large = FindLargeFace(c, o, f)) points = large->points;
            if (points.empty()) continue;
            std::vector<MQPoint> face;
            for (int p : points) {
                const MQPoint& q = o->positions[p];
                face.push_back(q);
                for (float x : {q.x, q.y, q.z}) {
                    if (!std::isfinite(x)) h.nonFinite = true;
                    else h.largest = std::max(h.largest, std::fabs(double(x)));
                }
            }
            if (face.size() <= 4) h.anyHostSized = true;
            h.faces.push_back(std::move(face));
        }
    }
    return h;
}

// ---- The shape that an oriented manifold with a border must give ------------------

struct Vec {
    double x, y, z;
};
Vec Sub(const MQPoint& a, const MQPoint& b) { return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z}; }
Vec Cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vec& a) { return std::sqrt(Dot(a, a)); }

struct Prediction {
    size_t polygons = 0;   // front faces, and back faces
    size_t openEdges = 0;  // side quads
    size_t points = 0;     // distinct points of the surface
    bool graphLike = false;  // every corner normal within 60 degrees of their mean
};

struct PointOrder {
    bool operator()(const MQPoint& a, const MQPoint& b) const {
        if (a.x != b.x) return a.x < b.x;
        if (a.y != b.y) return a.y < b.y;
        return a.z < b.z;
    }
};

// The prediction, when the harvest qualifies for one with thickness `t`.
std::optional<Prediction> Predict(const Harvest& h, double t) {
    constexpr double kWeld = 0.001;      // the looser of the command's welds
    constexpr double kMargin = 10 * kWeld;
    if (h.faces.empty() || h.nonFinite || h.largest > 1e4 || !std::isfinite(t)) return std::nullopt;
    if (std::fabs(t) < kMargin) return std::nullopt;

    // Points by exact position: the harvest's weld joins exact copies only,
    // given the spacing checked below.
    std::map<MQPoint, int, PointOrder> idOf;
    std::vector<MQPoint> point;
    std::vector<std::vector<int>> faces;
    for (const auto& f : h.faces) {
        if (f.size() < 3 || f.size() > 4) return std::nullopt;
        std::vector<int> ids;
        for (const MQPoint& p : f) {
            auto [it, inserted] = idOf.try_emplace(p, static_cast<int>(point.size()));
            if (inserted) point.push_back(p);
            ids.push_back(it->second);
        }
        faces.push_back(ids);
    }
    // Points well apart: no weld joins two of them, before or after the move.
    double spacing = INFINITY;
    for (size_t i = 0; i < point.size(); ++i)
        for (size_t j = 0; j < i; ++j) spacing = std::min(spacing, Length(Sub(point[i], point[j])));
    if (spacing - 2 * std::fabs(t) < kMargin) return std::nullopt;

    // Distinct points per face, no face twice, every edge used once or twice,
    // twice only in opposite directions.
    std::set<std::vector<int>> seen;
    std::map<std::pair<int, int>, int> directed;
    for (const auto& f : faces) {
        std::vector<int> sorted = f;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return std::nullopt;
        if (!seen.insert(sorted).second) return std::nullopt;
        for (size_t i = 0; i < f.size(); ++i)
            if (++directed[{f[i], f[(i + 1) % f.size()]}] > 1) return std::nullopt;
    }
    // One border run through every border point: where two fans meet at one
    // point, their side walls would all share the wall's edge at that point.
    Prediction prediction;
    std::vector<int> bordersFrom(point.size(), 0);
    for (const auto& [edge, uses] : directed) {
        if (directed.count({edge.second, edge.first}) != 0) continue;
        ++prediction.openEdges;
        if (++bordersFrom[edge.first] > 1) return std::nullopt;
    }
    if (prediction.openEdges == 0) return std::nullopt;  // closed: no border

    // Every corner has a direction, and every point a normal: the sum of its
    // corners' unit normals is far from zero.
    std::vector<Vec> sum(point.size(), Vec{0, 0, 0});
    std::vector<Vec> corners;
    Vec mean{0, 0, 0};
    for (const auto& f : faces) {
        const size_t n = f.size();
        for (size_t k = 0; k < n; ++k) {
            const Vec u = Sub(point[f[(k + n - 1) % n]], point[f[k]]);
            const Vec w = Sub(point[f[(k + 1) % n]], point[f[k]]);
            const Vec c = Cross(u, w);
            const double length = Length(c);
            if (length < 1e-3 * Length(u) * Length(w)) return std::nullopt;
            const Vec unit{c.x / length, c.y / length, c.z / length};
            Vec& s = sum[f[k]];
            s = {s.x + unit.x, s.y + unit.y, s.z + unit.z};
            mean = {mean.x + unit.x, mean.y + unit.y, mean.z + unit.z};
            corners.push_back(unit);
        }
    }
    for (const Vec& s : sum)
        if (Length(s) < 0.1) return std::nullopt;
    const double meanLength = Length(mean);
    // The volume's sign tells the facing only of a thin shell over a surface
    // that is a graph over some plane, with flat faces: a twisted quad is
    // fanned along different diagonals in front and back.
    prediction.graphLike = meanLength > 0;
    for (const auto& f : faces) {
        if (f.size() != 4) continue;
        const Vec n = Cross(Sub(point[f[1]], point[f[0]]), Sub(point[f[2]], point[f[0]]));
        const double offPlane = std::fabs(Dot(n, Sub(point[f[3]], point[f[0]]))) / Length(n);
        if (offPlane > 0.01 * std::fabs(t)) prediction.graphLike = false;
    }
    for (const Vec& c : corners)
        if (Dot(c, mean) < 0.5 * meanLength) prediction.graphLike = false;

    prediction.polygons = faces.size();
    prediction.points = point.size();
    return prediction;
}

void RequirePredictedShape(const ShellShape& shape, const Prediction& p, const ThickenSettingsRecord& s) {
    const size_t expected = (s.makeFront ? p.polygons : 0) + (s.makeBack ? p.polygons : 0) +
                            (s.makeSide ? p.openEdges : 0);
    FUZZ_REQUIRE(shape.faces == expected, "front + back + one side quad per open edge");
    FUZZ_REQUIRE(shape.others == 0, "no lines or points in the shell");
    if (s.makeFront || s.makeBack) FUZZ_REQUIRE(shape.oriented, "the shell is consistently oriented");
    if (s.makeFront && s.makeBack)
        FUZZ_REQUIRE(shape.vertices == 2 * p.points, "front and back each have every point once");
    if (s.makeFront && s.makeBack && s.makeSide) {
        FUZZ_REQUIRE(shape.closed, "the shell is closed");
        if (p.graphLike)
            FUZZ_REQUIRE((shape.volume > 0) == (s.thickness > 0),
                         "the shell faces outward for a positive thickness, inward for a negative one");
    }
}

// With FUZZ_VERBOSE set, the replay prints what went in and what came out.
void Describe(const Harvest& h, const MQObjectRec& o) {
    for (const auto& f : h.faces) {
        std::fprintf(stderr, "harvested face:");
        for (const MQPoint& p : f) std::fprintf(stderr, " (%.9g %.9g %.9g)", p.x, p.y, p.z);
        std::fprintf(stderr, "\n");
    }
    std::fprintf(stderr, "thickness %.9g, direction %d, front %d side %d back %d\n",
                 ThickenSettings.thickness, static_cast<int>(ThickenSettings.direction),
                 ThickenSettings.makeFront, ThickenSettings.makeSide, ThickenSettings.makeBack);
    for (int v = 0; v < o.VertexCount(); ++v)
        if (o.IsLiveVertex(v))
            std::fprintf(stderr, "new vertex %d: (%.9g %.9g %.9g)\n", v, o.positions[v].x,
                         o.positions[v].y, o.positions[v].z);
    for (const HostFace& f : o.faces) {
        if (f.count == 0) continue;
        std::fprintf(stderr, "new face:");
        for (int i = 0; i < f.count; ++i) std::fprintf(stderr, " %d", f.points[i]);
        std::fprintf(stderr, "\n");
    }
}

// Runs the command; with FUZZ_QUIET set (make fuzz), the message boxes that
// the module prints are not shown: millions of runs would drown the
// fuzzer's own report.
int RunCommand(CommandCase& c) {
    static const bool quiet = std::getenv("FUZZ_QUIET") != nullptr;
    int saved = -1;
    if (quiet) {
        std::fflush(stderr);
        saved = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        close(null);
    }
    SetNextDialogScript(c.script);
    const int result = MQModifySelect(0, &c.document);
    if (quiet) {
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BindOnce();
    ByteReader in(data, size);
    CommandCase c;
    GenerateCase(in, c);
    currentCase = &c;
    made.clear();
    released.clear();
    added.clear();

    const std::vector<ObjectSnapshot> before = Snapshot(c.document);
    const Harvest harvest = HarvestOf(c);
    const int slotsBefore = c.document.ObjectCount();

    const int result = RunCommand(c);
    ClearRecordedMessageBoxes();
    currentCase = nullptr;

    FUZZ_REQUIRE(result == 0 || result == 1, "the command answers a truth value");
    RequireUnchanged(before);
    FUZZ_REQUIRE(made.size() == released.size() + added.size(),
                 "every object the module made is added or released");
    for (MQObject o : added)
        FUZZ_REQUIRE(std::find(made.begin(), made.end(), o) != made.end(), "only its own objects are added");
    FUZZ_REQUIRE(added.size() <= 1, "at most one new object");
    const int newObjects = c.document.ObjectCount() - slotsBefore;
    FUZZ_REQUIRE(newObjects == static_cast<int>(added.size()), "the new object is in the document");
    if (result == 0) {
        FUZZ_REQUIRE(made.empty() && newObjects == 0, "a cancelled run makes nothing");
        return 0;
    }
    if (harvest.faces.empty()) FUZZ_REQUIRE(newObjects == 0, "nothing selected adds nothing");
    if (harvest.anyHostSized) FUZZ_REQUIRE(newObjects == 1, "selected faces make a new object");
    if (newObjects == 0) return 0;

    const MQObjectRec& result_object = *c.document.Object(c.document.ObjectCount() - 1);
    if (std::getenv("FUZZ_VERBOSE")) Describe(harvest, result_object);
    const ShellShape shape = MeasureShell(result_object);
    FUZZ_REQUIRE(shape.wellFormed, "every face of the new object names distinct live vertices");

    const ThickenSettingsRecord settings = ThickenSettings;
    const double t = settings.thickness;
    const bool inputNonFinite = harvest.nonFinite || !std::isfinite(t) ||
                                harvest.largest + std::fabs(t) > double(FLT_MAX);
    if (!inputNonFinite) FUZZ_REQUIRE(shape.finite, "no NaN or infinity from finite input");

    if (const std::optional<Prediction> prediction = Predict(harvest, t)) {
        if (std::getenv("FUZZ_VERBOSE"))
            std::fprintf(stderr, "predicted: %zu polygons, %zu open edges, %zu points%s\n",
                         prediction->polygons, prediction->openEdges, prediction->points,
                         prediction->graphLike ? ", a graph" : "");
        RequirePredictedShape(shape, *prediction, settings);
    }
    return 0;
}
