// Writer of the modeller's text documents.
#include <cassert>
#include <cstring>

#include "cli/mqo_format.h"
#include "cli/number_text.h"

namespace {

// The text of one document as it is written, with the document's line end.
class DocumentText {
public:
    DocumentText(const char* lineEnd, size_t expectedSize) : lineEnd(lineEnd) {
        out.reserve(expectedSize);
    }

    void AppendLines(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) out.append(line).append(lineEnd);
    }

    void AppendFlag(const SceneObject::FlagLine& line, bool value,
                    const char* key, const char* on) {
        if (!line.text.empty() && line.value == value) {
            out.append(line.text).append(lineEnd);
            return;
        }
        out.append("\t").append(key).append(" ").append(value ? on : "0").append(lineEnd);
    }

    // The leading lines with the visible and locking lines where they stood.
    void AppendLeadingLines(const SceneObject& object) {
        const size_t count = object.leadingLines.size();
        for (size_t i = 0; i <= count; ++i) {
            if (object.visibleLine.at == i || (i == count && object.visibleLine.at > count))
                AppendFlag(object.visibleLine, object.visible, "visible", "15");
            if (object.lockingLine.at == i || (i == count && object.lockingLine.at > count))
                AppendFlag(object.lockingLine, object.locked, "locking", "1");
            if (i < count) out.append(object.leadingLines[i]).append(lineEnd);
        }
    }

    void AppendTextVertices(const SceneObject& object) {
        out += "\tvertex ";
        AppendInt(out, static_cast<int64_t>(object.vertices.size()));
        out.append(" {").append(lineEnd);
        for (const ScenePoint& v : object.vertices) {
            out += "\t\t";
            AppendFloat(out, v.x);
            out += ' ';
            AppendFloat(out, v.y);
            out += ' ';
            AppendFloat(out, v.z);
            out += lineEnd;
        }
        out.append("\t}").append(lineEnd);
    }

    // The vertices as the modeller's binary chunk: little-endian 32-bit floats,
    // the same bytes as read for vertices that did not change.
    void AppendBinaryVertices(const SceneObject& object) {
        const int64_t count = static_cast<int64_t>(object.vertices.size());
        out += "\tBVertex ";
        AppendInt(out, count);
        out.append(" {").append(lineEnd).append("\t\tVector ");
        AppendInt(out, count);
        out += " [";
        AppendInt(out, 12 * count);
        out.append("]").append(lineEnd);
        for (const ScenePoint& v : object.vertices) {
            for (float c : {v.x, v.y, v.z}) {
                uint32_t bits;
                std::memcpy(&bits, &c, 4);
                const char bytes[4] = {char(bits), char(bits >> 8), char(bits >> 16),
                                       char(bits >> 24)};
                out.append(bytes, 4);
            }
        }
        out += lineEnd;
        AppendLines(object.binaryVertexLines);
        out.append("\t}").append(lineEnd);
    }

    void AppendMaterials(const std::vector<SceneMaterial>& materials) {
        if (materials.empty()) return;
        out += "Material ";
        AppendInt(out, static_cast<int64_t>(materials.size()));
        out.append(" {").append(lineEnd);
        for (const SceneMaterial& material : materials) {
            out.append("\t\"").append(material.name).append("\"");
            for (const MaterialParam& param : material.params)
                out.append(" ").append(param.key).append("(").append(param.args).append(")");
            out += lineEnd;
        }
        out.append("}").append(lineEnd);
    }

    void AppendFace(const SceneObject& object, size_t f, size_t& extra) {
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        out += "\t\t";
        AppendInt(out, end - begin);
        out += " V(";
        for (uint32_t p = begin; p < end; ++p) {
            if (p > begin) out += ' ';
            AppendInt(out, object.points[p]);
        }
        out += ")";
        if (object.faceMaterial[f] >= 0) {
            out += " M(";
            AppendInt(out, object.faceMaterial[f]);
            out += ")";
        }
        if (object.faceHasUv[f]) {
            out += " UV(";
            for (uint32_t p = begin; p < end; ++p) {
                if (p > begin) out += ' ';
                AppendFloat(out, object.uvs[p].u);
                out += ' ';
                AppendFloat(out, object.uvs[p].v);
            }
            out += ")";
        }
        if (extra < object.faceExtras.size() && object.faceExtras[extra].first == f) {
            out.append(" ").append(object.faceExtras[extra].second);
            ++extra;
        }
        out += lineEnd;
    }

    void AppendObject(const SceneObject& object) {
        out.append("Object \"").append(object.name).append("\" {").append(lineEnd);
        AppendLeadingLines(object);
        if (object.binaryVertices) AppendBinaryVertices(object);
        else AppendTextVertices(object);
        AppendLines(object.middleLines);
        out += "\tface ";
        AppendInt(out, static_cast<int64_t>(object.FaceCount()));
        out.append(" {").append(lineEnd);
        size_t extra = 0;
        for (size_t f = 0; f < object.FaceCount(); ++f) AppendFace(object, f, extra);
        out.append("\t}").append(lineEnd);
        AppendLines(object.trailingLines);
        out.append("}").append(lineEnd);
    }

    std::string out;
    const char* const lineEnd;
};

// A generous guess at the document's size, so that the text grows in place.
size_t EstimatedSize(const Scene& scene) {
    size_t bytes = 4096;
    for (const SceneObject& object : scene.objects)
        bytes += 36 * object.vertices.size() + 24 * object.points.size() + 16 * object.FaceCount();
    return bytes;
}

}  // namespace

std::string WriteMqo(const Scene& scene) {
    assert(scene.encoding == scene.mqo.codePage);
    DocumentText text(scene.mqo.lineEnd == "\n" ? "\n" : "\r\n", EstimatedSize(scene));
    if (scene.mqo.header.empty()) {
        text.out.append("Metasequoia Document").append(text.lineEnd);
        text.out.append("Format Text Ver 1.0").append(text.lineEnd).append(text.lineEnd);
    } else {
        text.out += scene.mqo.header;
    }
    text.AppendLines(scene.leadingLines);
    text.AppendMaterials(scene.materials);
    for (const SceneObject& object : scene.objects) text.AppendObject(object);
    text.AppendLines(scene.trailingLines);
    text.out.append("Eof").append(text.lineEnd);
    return std::move(text.out);
}
