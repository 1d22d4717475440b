// Writer of the modeller's text documents.
#include <cassert>
#include <cstring>

#include "cli/mqo_format.h"
#include "cli/number_text.h"

namespace {

// The line end of the document being written, set by WriteMqo for the
// functions below.
thread_local const char* lineEnd = "\r\n";

void AppendLines(std::string& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) out.append(line).append(lineEnd);
}

void AppendFlag(std::string& out, const SceneObject::FlagLine& line, bool value,
                const char* key, const char* on) {
    if (!line.text.empty() && line.value == value) {
        out.append(line.text).append(lineEnd);
        return;
    }
    out.append("\t").append(key).append(" ").append(value ? on : "0").append(lineEnd);
}

// The leading lines with the visible and locking lines where they stood.
void AppendLeadingLines(std::string& out, const SceneObject& object) {
    const size_t count = object.leadingLines.size();
    for (size_t i = 0; i <= count; ++i) {
        if (object.visibleLine.at == i || (i == count && object.visibleLine.at > count))
            AppendFlag(out, object.visibleLine, object.visible, "visible", "15");
        if (object.lockingLine.at == i || (i == count && object.lockingLine.at > count))
            AppendFlag(out, object.lockingLine, object.locked, "locking", "1");
        if (i < count) out.append(object.leadingLines[i]).append(lineEnd);
    }
}

void AppendTextVertices(std::string& out, const SceneObject& object) {
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
void AppendBinaryVertices(std::string& out, const SceneObject& object) {
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
            const char bytes[4] = {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
            out.append(bytes, 4);
        }
    }
    out += lineEnd;
    AppendLines(out, object.binaryVertexLines);
    out.append("\t}").append(lineEnd);
}

void AppendMaterials(std::string& out, const std::vector<SceneMaterial>& materials) {
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

void AppendFace(std::string& out, const SceneObject& object, size_t f, size_t& extra) {
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

void AppendObject(std::string& out, const SceneObject& object) {
    out.append("Object \"").append(object.name).append("\" {").append(lineEnd);
    AppendLeadingLines(out, object);
    if (object.binaryVertices) AppendBinaryVertices(out, object);
    else AppendTextVertices(out, object);
    AppendLines(out, object.middleLines);
    out += "\tface ";
    AppendInt(out, static_cast<int64_t>(object.FaceCount()));
    out.append(" {").append(lineEnd);
    size_t extra = 0;
    for (size_t f = 0; f < object.FaceCount(); ++f) AppendFace(out, object, f, extra);
    out.append("\t}").append(lineEnd);
    AppendLines(out, object.trailingLines);
    out.append("}").append(lineEnd);
}

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
    lineEnd = scene.mqo.lineEnd == "\n" ? "\n" : "\r\n";
    std::string out;
    out.reserve(EstimatedSize(scene));
    if (scene.mqo.header.empty()) {
        out.append("Metasequoia Document").append(lineEnd);
        out.append("Format Text Ver 1.0").append(lineEnd).append(lineEnd);
    } else {
        out += scene.mqo.header;
    }
    AppendLines(out, scene.leadingLines);
    AppendMaterials(out, scene.materials);
    for (const SceneObject& object : scene.objects) AppendObject(out, object);
    AppendLines(out, scene.trailingLines);
    out.append("Eof").append(lineEnd);
    return out;
}
