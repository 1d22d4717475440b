// Writer of the modeller's text documents.
#include <cassert>
#include <cstring>

#include "formats/float_text_cache.h"
#include "formats/mqo_format.h"
#include "formats/number_text.h"
#include "formats/text_sink.h"

namespace {

// The text of one document as it is written, with the document's line end.
class DocumentText {
public:
    DocumentText(TextSink& out, std::string_view lineEnd, std::string_view indent = "\t")
        : out(out), lineEnd(lineEnd), indent(indent), inner(std::string(indent) + std::string(indent)) {}

    void Int(int64_t value) { out.Commit(FormatInt(out.Room(kMaxIntText), value)); }
    void Float(float value) { out.Commit(floats.Format(out.Room(kMaxFloatText), value)); }

    void AppendTextVertices(const SceneObject& object) {
        out.Append(indent).Append("vertex ");
        Int(static_cast<int64_t>(object.vertices.size()));
        out.Append(" {").Append(lineEnd);
        for (const ScenePoint& v : object.vertices) {
            out.Append(inner);
            Float(v.x);
            out.Append(' ');
            Float(v.y);
            out.Append(' ');
            Float(v.z);
            out.Append(lineEnd);
        }
        out.Append(indent).Append("}").Append(lineEnd);
    }

    void AppendMaterials(const std::vector<SceneMaterial>& materials) {
        if (materials.empty()) return;
        out.Append("Material ");
        Int(static_cast<int64_t>(materials.size()));
        out.Append(" {").Append(lineEnd);
        for (const SceneMaterial& material : materials) {
            out.Append(indent).Append("\"").Append(material.name).Append("\"");
            for (const MaterialParam& param : material.params)
                out.Append(" ").Append(param.key).Append("(").Append(param.args).Append(")");
            out.Append(lineEnd);
        }
        out.Append("}").Append(lineEnd);
    }

    void AppendFace(const SceneObject& object, size_t f) {
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        out.Append(inner);
        Int(end - begin);
        out.Append(" V(");
        for (uint32_t p = begin; p < end; ++p) {
            if (p > begin) out.Append(' ');
            Int(object.points[p]);
        }
        out.Append(")");
        if (object.faceMaterial[f] >= 0) {
            out.Append(" M(");
            Int(object.faceMaterial[f]);
            out.Append(")");
        }
        if (object.faceHasUv[f]) {
            out.Append(" UV(");
            for (uint32_t p = begin; p < end; ++p) {
                if (p > begin) out.Append(' ');
                Float(object.uvs[p].u);
                out.Append(' ');
                Float(object.uvs[p].v);
            }
            out.Append(")");
        }
        out.Append(lineEnd);
    }

    void AppendObject(const SceneObject& object) {
        out.Append("Object \"").Append(object.name).Append("\" {").Append(lineEnd);
        out.Append(indent).Append("visible ").Append(object.visible ? "15" : "0").Append(lineEnd);
        out.Append(indent).Append("locking ").Append(object.locked ? "1" : "0").Append(lineEnd);
        AppendTextVertices(object);
        out.Append(indent).Append("face ");
        Int(static_cast<int64_t>(object.FaceCount()));
        out.Append(" {").Append(lineEnd);
        for (size_t f = 0; f < object.FaceCount(); ++f) AppendFace(object, f);
        out.Append(indent).Append("}").Append(lineEnd);
        out.Append("}").Append(lineEnd);
    }

    TextSink& out;
    const std::string_view lineEnd, indent;
    const std::string inner;
    FloatTextCache floats;
};

// A generous guess at the document's size, so that the text grows in place.
size_t EstimatedSize(const Scene& scene) {
    size_t bytes = 4096;
    for (const SceneObject& object : scene.objects)
        bytes += 36 * object.vertices.size() + 24 * object.points.size() + 16 * object.FaceCount();
    return bytes;
}

}  // namespace

void WriteMqo(const Scene& scene, TextSink& out) {
    assert(scene.encoding == scene.mqo.codePage);
    DocumentText text(out, scene.mqo.lineEnd == "\n" || scene.mqo.lineEnd == "\r"
                               ? std::string_view(scene.mqo.lineEnd)
                               : "\r\n");
    if (scene.mqo.header.empty()) {
        out.Append("Metasequoia Document").Append(text.lineEnd);
        out.Append("Format Text Ver 1.0").Append(text.lineEnd).Append(text.lineEnd);
    } else {
        out.Append(scene.mqo.header);
    }
    text.AppendMaterials(scene.materials);
    for (const SceneObject& object : scene.objects) text.AppendObject(object);
    out.Append("Eof").Append(text.lineEnd);
}

void WriteMqoSplice(const Scene& scene, TextSink& out) {
    const SceneSource& source = scene.source;
    const std::string_view bytes = source.bytes;
    assert(source.objects <= source.objectChunks.size() && source.objects <= scene.objects.size());
    // The chunks of the objects the scene no longer holds are left out, and
    // the new objects take the place of the first of them.
    size_t at = source.insertAt;
    if (source.objects < source.objectChunks.size()) at = source.objectChunks[source.objects].begin;
    out.Append(bytes.substr(0, at));
    DocumentText text(out, source.lineEnd, source.indent);
    for (size_t o = source.objects; o < scene.objects.size(); ++o) text.AppendObject(scene.objects[o]);
    size_t from = at;
    for (size_t c = source.objects; c < source.objectChunks.size(); ++c) {
        out.Append(bytes.substr(from, source.objectChunks[c].begin - from));
        from = source.objectChunks[c].End();
    }
    out.Append(bytes.substr(from));
}

std::string WriteMqo(const Scene& scene) {
    std::string document;
    document.reserve(EstimatedSize(scene));
    {
        TextSink out(document);
        WriteMqo(scene, out);
    }
    return document;
}
