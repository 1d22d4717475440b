#include "formats/scene_file.h"

#include <cctype>
#include <cmath>
#include <filesystem>

#include "formats/file_io.h"
#include "formats/mqo_format.h"
#include "formats/mqoz_archive.h"
#include "formats/obj_format.h"
#include "formats/shown_text.h"
#include "platform/text_encoding.h"

SceneFormat FormatOfPath(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".mqo") return SceneFormat::Mqo;
    if (extension == ".mqoz") return SceneFormat::Mqoz;
    if (extension == ".obj") return SceneFormat::Obj;
    return SceneFormat::Unknown;
}

std::string UnknownFormatMessage(const std::string& path) {
    return path + ": unknown file type (expected .mqo, .mqoz or .obj)";
}

namespace {

// The name of an archive member as a message shows it: its stored bytes are
// UTF-8, or else the modeller's Shift-JIS.
std::string MemberNameShown(const std::string& name) {
    std::string shown;
    if (!Utf8FromCodePage(kUtf8CodePage, name, shown)) Utf8FromCp932(name, shown);
    return ShownText(shown);
}

}  // namespace

bool LoadScene(const std::string& path, Scene& scene, std::string& error) {
    const SceneFormat format = FormatOfPath(path);
    if (format == SceneFormat::Unknown) {
        error = UnknownFormatMessage(path);
        return false;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    // The readers note where things lie in the text; the scene then keeps it.
    using Kind = SceneSource::Kind;
    const auto keep = [&scene](Kind kind, std::string& text) {
        scene.source.kind = kind;
        scene.source.bytes = std::move(text);
        return true;
    };
    if (format == SceneFormat::Obj)
        return ReadObj(bytes, path, scene, error) && keep(Kind::Obj, bytes);
    if (format == SceneFormat::Mqo)
        return ReadMqo(bytes, path, scene, error) && keep(Kind::Mqo, bytes);
    std::string document, member;
    if (!ReadMqozArchive(bytes, path, document, member, error) ||
        !ReadMqo(document, path + " (" + MemberNameShown(member) + ")", scene, error))
        return false;
    keep(Kind::Mqo, document);
    scene.mqo.archive = std::move(bytes);
    scene.mqo.archiveMember = std::move(member);
    return true;
}

namespace {

// Converts `name` from `from` to `to` through UTF-8, which also checks it
// when both are UTF-8; notes it in `lossy` (in UTF-8) when some of it did
// not decode or does not fit.
void Recode(std::string& name, TextEncoding from, TextEncoding to,
            std::vector<std::string>& lossy) {
    std::string utf8, converted;
    bool complete = Utf8FromCodePage(from.codePage, name, utf8);
    if (to == TextEncoding::Utf8) converted = utf8;
    else complete = CodePageFromUtf8(to.codePage, utf8, converted) && complete;
    // A .mqo name is quoted and has no escapes: a '"' in it would end the
    // name early and leave a document that no reader takes. (Only OBJ output
    // is UTF-8 without a document that says so; no code page of a document
    // has '"' as a trail byte.)
    if (to != TextEncoding::Utf8)
        for (char& c : converted) {
            if (c != '"') continue;
            c = '?';
            complete = false;
        }
    if (!complete) lossy.push_back(utf8);
    name = std::move(converted);
}

// Neither format has a spelling for an infinite or undefined number, and no
// reader takes one: such a scene cannot be written. Sets `error` and returns
// false for the first object that holds one.
bool AllFinite(const std::string& path, const Scene& scene, std::string& error) {
    for (const SceneObject& object : scene.objects) {
        bool finite = true;
        for (const ScenePoint& p : object.vertices)
            finite = finite && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
        for (const SceneUv& uv : object.uvs) finite = finite && std::isfinite(uv.u) && std::isfinite(uv.v);
        if (finite) continue;
        const std::string name = ShownText(NameAsUtf8(object.name, scene.encoding));
        error = path + ": the object \"" + name +
                "\" has coordinates beyond the range of the file's numbers (infinite or not a "
                "number); nothing was written";
        return false;
    }
    return true;
}

// Keeps the names and the encoding of a scene and puts them back when it goes.
class NamesKept {
public:
    explicit NamesKept(Scene& scene) : scene_(scene), encoding_(scene.encoding) {
        for (const SceneMaterial& material : scene.materials) names_.push_back(material.name);
        for (const SceneObject& object : scene.objects) names_.push_back(object.name);
    }
    ~NamesKept() {
        size_t i = 0;
        for (SceneMaterial& material : scene_.materials) material.name = std::move(names_[i++]);
        for (SceneObject& object : scene_.objects) object.name = std::move(names_[i++]);
        scene_.encoding = encoding_;
    }
    NamesKept(const NamesKept&) = delete;
    NamesKept& operator=(const NamesKept&) = delete;

private:
    Scene& scene_;
    TextEncoding encoding_;
    std::vector<std::string> names_;
};

}  // namespace

std::string NameAsUtf8(std::string_view name, TextEncoding encoding) {
    std::string utf8;
    Utf8FromCodePage(encoding.codePage, name, utf8);
    return utf8;
}

namespace {

// Converts the names of the objects from `firstObject` on, and of the
// materials when `materials` says so, to `encoding`.
void ConvertNames(Scene& scene, TextEncoding encoding, size_t firstObject, bool materials,
                  std::vector<std::string>& lossy) {
    // Names that are to be UTF-8 already are checked all the same.
    if (scene.encoding == encoding && encoding != TextEncoding::Utf8) return;
    if (materials)
        for (SceneMaterial& material : scene.materials)
            Recode(material.name, scene.encoding, encoding, lossy);
    for (size_t o = firstObject; o < scene.objects.size(); ++o)
        Recode(scene.objects[o].name, scene.encoding, encoding, lossy);
    scene.encoding = encoding;
}

}  // namespace

void ConvertSceneEncoding(Scene& scene, TextEncoding encoding, std::vector<std::string>& lossy) {
    ConvertNames(scene, encoding, 0, true, lossy);
}

bool SaveScene(const std::string& path, Scene& scene, std::vector<std::string>& lossy,
               std::string& error) {
    const SceneFormat format = FormatOfPath(path);
    if (format == SceneFormat::Unknown) {
        error = UnknownFormatMessage(path);
        return false;
    }
    if (!AllFinite(path, scene, error)) return false;
    const TextEncoding encoding =
        format == SceneFormat::Obj ? TextEncoding::Utf8 : scene.mqo.codePage;
    // The names are converted for the write and given back afterwards, so
    // that the geometry is never copied.
    // A document written in the format it was read from is its own bytes
    // with the new objects spliced in, whose names alone are written; any
    // other is composed.
    const SceneSource::Kind kind = scene.source.kind;
    const bool mqoSplice = format != SceneFormat::Obj && kind == SceneSource::Kind::Mqo;
    const bool objSplice = format == SceneFormat::Obj && kind == SceneSource::Kind::Obj;
    const bool splice = mqoSplice || objSplice;
    const NamesKept kept(scene);
    ConvertNames(scene, encoding, splice ? scene.source.objects : 0, !splice, lossy);
    auto write = [&](TextSink& out) {
        if (mqoSplice) WriteMqoSplice(scene, out);
        else if (objSplice) WriteObjSplice(scene, out);
        else if (format == SceneFormat::Obj) WriteObj(scene, out);
        else WriteMqo(scene, out);
    };
    if (format != SceneFormat::Mqoz) return WriteFileAtomically(path, write, error);
    std::string text;
    {
        TextSink out(text);
        write(out);
    }
    // A document that came as an archive keeps its member's name; one that
    // did not is named for the archive.
    const std::string member = scene.mqo.archive.empty()
                                   ? std::filesystem::path(path).stem().string() + ".mqo"
                                   : scene.mqo.archiveMember;
    std::string archive;
    return WriteMqozArchive(scene.mqo.archive, member, text, path, archive, error) &&
           WriteFileAtomically(path, archive, error);
}
