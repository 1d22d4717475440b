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
    DocumentText(TextSink& out, const char* lineEnd) : out(out), lineEnd(lineEnd) {}

    void Int(int64_t value) { out.Commit(FormatInt(out.Room(kMaxIntText), value)); }
    void Float(float value) { out.Commit(floats.Format(out.Room(kMaxFloatText), value)); }

    void AppendLines(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) out.Append(line).Append(lineEnd);
    }

    void AppendFlag(const SceneObject::FlagLine& line, bool value,
                    const char* key, const char* on) {
        if (!line.text.empty() && line.value == value) {
            out.Append(line.text).Append(lineEnd);
            return;
        }
        out.Append("\t").Append(key).Append(" ").Append(value ? on : "0").Append(lineEnd);
    }

    // The leading lines with the visible and locking lines where they stood.
    void AppendLeadingLines(const SceneObject& object) {
        const size_t count = object.leadingLines.size();
        for (size_t i = 0; i <= count; ++i) {
            if (object.visibleLine.at == i || (i == count && object.visibleLine.at > count))
                AppendFlag(object.visibleLine, object.visible, "visible", "15");
            if (object.lockingLine.at == i || (i == count && object.lockingLine.at > count))
                AppendFlag(object.lockingLine, object.locked, "locking", "1");
            if (i < count) out.Append(object.leadingLines[i]).Append(lineEnd);
        }
    }

    void AppendTextVertices(const SceneObject& object) {
        out.Append("\tvertex ");
        Int(static_cast<int64_t>(object.vertices.size()));
        out.Append(" {").Append(lineEnd);
        for (const ScenePoint& v : object.vertices) {
            out.Append("\t\t");
            Float(v.x);
            out.Append(' ');
            Float(v.y);
            out.Append(' ');
            Float(v.z);
            out.Append(lineEnd);
        }
        out.Append("\t}").Append(lineEnd);
    }

    // The vertices as the modeller's binary chunk: little-endian 32-bit floats,
    // the same bytes as read for vertices that did not change.
    void AppendBinaryVertices(const SceneObject& object) {
        const int64_t count = static_cast<int64_t>(object.vertices.size());
        out.Append("\tBVertex ");
        Int(count);
        out.Append(" {").Append(lineEnd).Append("\t\tVector ");
        Int(count);
        out.Append(" [");
        Int(12 * count);
        out.Append("]").Append(lineEnd);
        for (const ScenePoint& v : object.vertices) {
            for (float c : {v.x, v.y, v.z}) {
                uint32_t bits;
                std::memcpy(&bits, &c, 4);
                const char bytes[4] = {char(bits), char(bits >> 8), char(bits >> 16),
                                       char(bits >> 24)};
                out.Append(std::string_view(bytes, 4));
            }
        }
        out.Append(lineEnd);
        AppendLines(object.binaryVertexLines);
        out.Append("\t}").Append(lineEnd);
    }

    void AppendMaterials(const std::vector<SceneMaterial>& materials) {
        if (materials.empty()) return;
        out.Append("Material ");
        Int(static_cast<int64_t>(materials.size()));
        out.Append(" {").Append(lineEnd);
        for (const SceneMaterial& material : materials) {
            out.Append("\t\"").Append(material.name).Append("\"");
            for (const MaterialParam& param : material.params)
                out.Append(" ").Append(param.key).Append("(").Append(param.args).Append(")");
            out.Append(lineEnd);
        }
        out.Append("}").Append(lineEnd);
    }

    void AppendFace(const SceneObject& object, size_t f, size_t& extra) {
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        out.Append("\t\t");
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
        if (extra < object.faceExtras.size() && object.faceExtras[extra].first == f) {
            out.Append(" ").Append(object.faceExtras[extra].second);
            ++extra;
        }
        out.Append(lineEnd);
    }

    void AppendObject(const SceneObject& object) {
        out.Append("Object \"").Append(object.name).Append("\" {").Append(lineEnd);
        AppendLeadingLines(object);
        if (object.binaryVertices) AppendBinaryVertices(object);
        else AppendTextVertices(object);
        AppendLines(object.middleLines);
        out.Append("\tface ");
        Int(static_cast<int64_t>(object.FaceCount()));
        out.Append(" {").Append(lineEnd);
        size_t extra = 0;
        for (size_t f = 0; f < object.FaceCount(); ++f) AppendFace(object, f, extra);
        out.Append("\t}").Append(lineEnd);
        AppendLines(object.trailingLines);
        out.Append("}").Append(lineEnd);
    }

    TextSink& out;
    const std::string_view lineEnd;
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
    DocumentText text(out, scene.mqo.lineEnd == "\n" ? "\n" : "\r\n");
    if (scene.mqo.header.empty()) {
        out.Append("Metasequoia Document").Append(text.lineEnd);
        out.Append("Format Text Ver 1.0").Append(text.lineEnd).Append(text.lineEnd);
    } else {
        out.Append(scene.mqo.header);
    }
    text.AppendLines(scene.leadingLines);
    text.AppendMaterials(scene.materials);
    for (const SceneObject& object : scene.objects) text.AppendObject(object);
    text.AppendLines(scene.trailingLines);
    out.Append("Eof").Append(text.lineEnd);
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
