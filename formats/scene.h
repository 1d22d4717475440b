// The tool's own document model: what a mesh file holds, independent of the
// file format and of the host. Flat arrays, so that reading, writing and
// handing a scene to the host are single passes.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// How the names of a scene are encoded: a Windows code page number. Names
// are kept as the bytes of the file they came from, so that writing the
// same format back loses nothing; a writer of another format converts them.
struct TextEncoding {
    unsigned codePage = 932;

    static const TextEncoding Cp932;  // Shift-JIS, the modeller's own documents
    static const TextEncoding Utf8;   // Wavefront files, and documents that say so

    friend bool operator==(TextEncoding a, TextEncoding b) { return a.codePage == b.codePage; }
    friend bool operator!=(TextEncoding a, TextEncoding b) { return a.codePage != b.codePage; }
};
inline constexpr TextEncoding TextEncoding::Cp932{932};
inline constexpr TextEncoding TextEncoding::Utf8{65001};

struct ScenePoint {
    float x = 0, y = 0, z = 0;
};

struct SceneUv {
    float u = 0, v = 0;
};

// One `key(args)` item of a material line, args kept as written.
struct MaterialParam {
    std::string key;
    std::string args;
};

struct SceneMaterial {
    std::string name;
    // Every item after the name, in file order (col, dif, amb, shader, tex...).
    std::vector<MaterialParam> params;
};

// An object of the scene. Faces are stored flat: face f has the points
// faceStart[f] .. faceStart[f + 1] - 1 of `points` and `uvs`, in the host's
// order (clockwise seen from the front).
struct SceneObject {
    std::string name;
    bool visible = true;
    bool locked = false;

    std::vector<ScenePoint> vertices;

    std::vector<uint32_t> faceStart{0};  // size = face count + 1
    std::vector<int32_t> points;         // vertex index per face point
    std::vector<SceneUv> uvs;            // one pair per face point
    std::vector<int32_t> faceMaterial;   // material per face, -1 for none
    std::vector<uint8_t> faceHasUv;      // whether the file gave the face UVs

    size_t FaceCount() const { return faceMaterial.size(); }
    uint32_t FaceSize(size_t f) const { return faceStart[f + 1] - faceStart[f]; }

    // Appends a face of `count` points with the given vertex indices and UVs
    // (null for none) and material. Expects count > 0.
    void AddFace(const int32_t* vertexIndices, const SceneUv* faceUvs, uint32_t count,
                 int32_t material);
};

// A run of bytes of the scene's source.
struct SourceSpan {
    size_t begin = 0, size = 0;
    size_t End() const { return begin + size; }
};

// The file a scene was read from, held once, so that a document written back
// in its own format is its own bytes with the new objects spliced in.
struct SceneSource {
    enum class Kind { None, Mqo, Obj, Stl, Ply };
    Kind kind = Kind::None;
    std::string bytes;   // as read; for an archive, its document
    size_t objects = 0;  // the scene's first objects, which came from it

    // .mqo: the chunk of each object read, whole lines from "Object" to the
    // line end after its "}"; the byte where a new object's chunk goes (after
    // the last object, or before "Eof" in a document without one), and the
    // line end and indentation step it is written with, the document's own.
    std::vector<SourceSpan> objectChunks;
    size_t insertAt = 0;
    std::string lineEnd = "\r\n";
    std::string indent = "\t";

    // OBJ: the numbers of "v" and "vt" statements in the file, which the
    // indices of a new object continue; whether the text was UTF-16, and
    // big-endian.
    size_t positions = 0, textures = 0;
    bool utf16 = false, bigEndian = false;
};

// How a .mqo document is composed when it is not its source with new objects
// spliced in.
struct MqoForm {
    // Its first two lines ("Metasequoia Document", "Format Text Ver ..."),
    // byte-order mark and line ends included; empty for a scene that did not
    // come from a document, which gets the default header and a blank line.
    std::string header;
    std::string lineEnd = "\r\n";
    // The code page its names are in: 932 unless a CodePage line names another.
    TextEncoding codePage = TextEncoding::Cp932;
    // For a document read from an archive (.mqoz): the archive's bytes as
    // read, whose other members an archive written from the scene copies,
    // and the name of the document's member.
    std::string archive;
    std::string archiveMember;
};

struct Scene {
    TextEncoding encoding = TextEncoding::Cp932;
    MqoForm mqo;
    SceneSource source;
    std::vector<SceneMaterial> materials;
    std::vector<SceneObject> objects;

    // The material libraries a Wavefront file names (its mtllib lines), so
    // that a result written beside it keeps its materials' looks.
    std::vector<std::string> materialLibraries;

    // What the reader saw and could not carry, one message per kind, each
    // naming the file; for the user, not written back.
    std::vector<std::string> warnings;

    // Forgets the objects read, so that a file written afterwards holds only
    // the objects added since: a .mqo document keeps its other chunks, an OBJ
    // or STL file is composed.
    void DropSourceObjects();
};

// The default parameters the modeller gives a new material, with colour
// (r, g, b, a).
std::vector<MaterialParam> DefaultMaterialParams(float r = 1, float g = 1, float b = 1,
                                                 float a = 1);
