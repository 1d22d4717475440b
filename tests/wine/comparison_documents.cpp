#include "tests/wine/comparison_documents.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/dialog_automation.h"
#include "platform/message_box_log.h"

namespace {

struct Face {
    std::vector<int> points;
    int material;
    std::vector<MQCoordinate> uvs;  // empty: (0, 0) per point
};

// Adds an object of the given vertices and faces, all faces selected unless
// `selected` is false.
MQObjectRec* AddObject(MQDocumentRec& document, const std::vector<MQPoint>& vertices,
                       const std::vector<Face>& faces, bool selected = true) {
    MQObjectRec* object = new MQObjectRec();
    for (const MQPoint& p : vertices) object->AddVertex(p);
    for (const Face& face : faces) {
        const int f = object->AddFace(static_cast<int>(face.points.size()), face.points.data(),
                                      face.uvs.empty() ? nullptr : face.uvs.data());
        if (f >= 0) object->faces[f].material = face.material;
    }
    const int slot = document.AddObject(object);
    for (int f = 0; f < object->FaceCount(); ++f) document.SelectFace(slot, f, selected);
    return object;
}

// A grid of (n + 1) x (n + 1) vertices with spacing `step` and heights from
// `height`, as n x n quads.
MQObjectRec* AddGrid(MQDocumentRec& document, int n, float step, float (*height)(int, int)) {
    std::vector<MQPoint> vertices;
    std::vector<Face> faces;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            vertices.push_back({static_cast<float>(i) * step, static_cast<float>(j) * step, height(i, j)});
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i;
            faces.push_back({{a, a + 1, a + n + 2, a + n + 1}, (i + j) % 3,
                             {{0, 0}, {0.25f, 0}, {0.25f, 0.5f}, {0, 0.5f}}});
        }
    return AddObject(document, vertices, faces);
}

float Flat(int, int) { return 0.0f; }
float Bump(int i, int j) { return (i == 1 && j == 1) ? 0.3f : (i + j) % 2 ? 0.1f : 0.0f; }
float Saddle(int i, int j) { return 0.05f * static_cast<float>((i - 2) * (j - 2)); }
float Wave(int i, int j) {
    const float x = static_cast<float>(i - 6), y = static_cast<float>(j - 5);
    return 0.01f * (x * x - y * y) + 0.003f * x * y + 0.02f * static_cast<float>((i * 7 + j * 3) % 5);
}

DialogAction Type(const char* text) { return {DialogAction::Type, 1000, text}; }
DialogAction Click(int control) { return {DialogAction::Click, control, {}}; }
const DialogAction kOk = {DialogAction::Click, 1, {}};
const DialogAction kEnter = {DialogAction::Enter, 0, {}};

struct Case {
    const char* name;
    void (*build)(MQDocumentRec&);
    std::vector<DialogAction> script;
};

void BuildQuad(MQDocumentRec& d) { AddGrid(d, 1, 1.0f, Flat); }
void BuildBumpyGrid(MQDocumentRec& d) { AddGrid(d, 2, 0.5f, Bump); }
void BuildSaddle(MQDocumentRec& d) { AddGrid(d, 4, 0.3f, Saddle); }
void BuildWave(MQDocumentRec& d) { AddGrid(d, 12, 0.17f, Wave); }

// Triangles and quads, not planar, with UVs and materials.
void BuildMixed(MQDocumentRec& d) {
    AddObject(d,
              {{0, 0, 0}, {1, 0, 0.2f}, {2, 0, 0}, {0, 1, 0.1f}, {1, 1, 0.4f}, {2, 1.5f, 0.1f}, {1, 2.2f, -0.3f}},
              {{{0, 1, 4, 3}, 0, {{0, 0}, {0.5f, 0}, {0.5f, 0.5f}, {0, 0.5f}}},
               {{1, 2, 4}, 1, {{0.5f, 0}, {1, 0}, {0.5f, 0.5f}}},
               {{2, 5, 4}, 2, {{1, 0}, {1, 1}, {0.5f, 0.5f}}},
               {{3, 4, 6}, 1, {{0, 0.5f}, {0.5f, 0.5f}, {0.25f, 1}}},
               {{4, 5, 6}, -1, {}}});
}

// Five sides of a cube, open at the top.
void BuildOpenBox(MQDocumentRec& d) {
    AddObject(d,
              {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
              {{{0, 3, 2, 1}, 0, {}},
               {{0, 1, 5, 4}, 0, {}},
               {{1, 2, 6, 5}, 0, {}},
               {{2, 3, 7, 6}, 0, {}},
               {{3, 0, 4, 7}, 0, {}}});
}

// Touching faces in two objects, a hidden and a locked object with selected
// faces, and an unselected face.
void BuildObjects(MQDocumentRec& d) {
    AddObject(d, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{{0, 1, 2, 3}, 0, {}}});
    AddObject(d, {{1, 0, 0}, {2, 0, 0.5f}, {2, 1, 0.5f}, {1, 1, 0}}, {{{0, 1, 2, 3}, 1, {}}});
    MQObjectRec* hidden = AddObject(d, {{5, 0, 0}, {6, 0, 0}, {6, 1, 0}}, {{{0, 1, 2}, 0, {}}});
    hidden->visible = false;
    MQObjectRec* locked = AddObject(d, {{7, 0, 0}, {8, 0, 0}, {8, 1, 0}}, {{{0, 1, 2}, 0, {}}});
    locked->locked = true;
    AddObject(d, {{0, 3, 0}, {1, 3, 0}, {1, 4, 0}}, {{{0, 1, 2}, 0, {}}}, false);
}

// A quad a, b, c, b, folded onto itself along (b, c): whatever the host's
// weld and the mesh model make of it, and any message shown, is dumped.
void BuildFoldedQuad(MQDocumentRec& d) {
    AddObject(d, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.5f}}, {{{0, 1, 2, 1}, 0, {}}});
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"quad, Enter at once", BuildQuad, {kEnter}},
        {"bumpy grid, 0.75 to the front", BuildBumpyGrid, {Type("0.75"), Click(1012), kOk}},
        {"saddle, 0.05 to the back", BuildSaddle, {Type("0.05"), Click(1014), kOk}},
        {"wave, 0.123 centred", BuildWave, {Type("0.123"), kOk}},
        {"mixed faces, 1.3 centred", BuildMixed, {Type("1.3"), kOk}},
        {"open box, 0.2 to the back", BuildOpenBox, {Type("0.2"), Click(1014), kEnter}},
        {"objects, 2.5mm", BuildObjects, {Type("2.5mm"), kOk}},
        {"bumpy grid, no side faces", BuildBumpyGrid, {Click(1010), kOk}},
        {"mixed faces, back only, -1", BuildMixed, {Type("-1"), Click(1009), Click(1010), kOk}},
        {"quad, all groups off", BuildQuad, {Click(1009), Click(1010), Click(1011), kOk}},
        {"quad, cancelled", BuildQuad, {{DialogAction::Escape, 0, {}}}},
        {"folded quad", BuildFoldedQuad, {Type("0.4"), kOk}},
        {"open box, 0.2 even", BuildOpenBox, {Type("0.2"), Click(1015), kOk}},
        {"saddle, 0.05 even to the front", BuildSaddle, {Type("0.05"), Click(1012), Click(1015), kOk}},
        {"mixed faces, 1.3 even", BuildMixed, {Type("1.3"), Click(1015), kOk}},
    };
    return cases;
}

void AppendF(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendF(std::string& out, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) out.append(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

unsigned Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void AppendBytes(std::string& out, const std::string& bytes) {
    for (unsigned char c : bytes) AppendF(out, "%02x", c);
}

}  // namespace

std::string DumpDocument(const MQDocumentRec& document) {
    std::string out;
    for (int slot = 0; slot < document.ObjectCount(); ++slot) {
        const MQObjectRec* object = document.Object(slot);
        if (!object) {
            AppendF(out, "object %d empty\n", slot);
            continue;
        }
        AppendF(out, "object %d visible %d locked %d vertices %d faces %d\n", slot,
                object->visible ? 1 : 0, object->locked ? 1 : 0, object->VertexCount(),
                object->FaceCount());
        for (int v = 0; v < object->VertexCount(); ++v) {
            const MQPoint& p = object->positions[v];
            AppendF(out, "v %d %s %08x %08x %08x\n", v, object->IsLiveVertex(v) ? "live" : "deleted",
                    Bits(p.x), Bits(p.y), Bits(p.z));
        }
        for (int f = 0; f < object->FaceCount(); ++f) {
            const HostFace& face = object->faces[f];
            AppendF(out, "f %d material %d points", f, static_cast<int>(face.material));
            for (int k = 0; k < face.count; ++k) AppendF(out, " %d", static_cast<int>(face.points[k]));
            out += " uv";
            for (int k = 0; k < face.count; ++k)
                AppendF(out, " %08x,%08x", Bits(face.uvs[k].u), Bits(face.uvs[k].v));
            out += '\n';
        }
    }
    return out;
}

std::string ThickenComparisonDocuments(MQModifySelect_Export modifySelect) {
    std::string out;
    StartObservingMessageBoxes();
    for (const Case& c : Cases()) {
        MQDocumentRec document;
        c.build(document);
        ClearRecordedMessageBoxes();
        SetNextDialogScript(c.script);
        const int result = modifySelect(0, &document);
        AppendF(out, "document \"%s\" result %d\n", c.name, result);
        for (const RecordedMessageBox& box : RecordedMessageBoxes()) {
            out += "message ";
            AppendBytes(out, box.caption);
            out += ' ';
            AppendBytes(out, box.text);
            out += '\n';
        }
        out += DumpDocument(document);
    }
    ClearRecordedMessageBoxes();
    return out;
}
