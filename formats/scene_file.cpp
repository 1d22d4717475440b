#include "formats/scene_file.h"

#include <cctype>
#include <cmath>
#include <filesystem>

#include "formats/file_io.h"
#include "formats/mqo_format.h"
#include "formats/mqoz_archive.h"
#include "formats/obj_format.h"
#include "formats/ply_format.h"
#include "formats/shown_text.h"
#include "formats/stl_format.h"
#include "platform/text_encoding.h"

SceneFormat FormatOfPath(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".mqo") return SceneFormat::Mqo;
    if (extension == ".mqoz") return SceneFormat::Mqoz;
    if (extension == ".obj") return SceneFormat::Obj;
    if (extension == ".stl") return SceneFormat::Stl;
    if (extension == ".ply") return SceneFormat::Ply;
    return SceneFormat::Unknown;
}

std::string UnknownFormatMessage(const std::string& path) {
    return path + ": unknown file type (expected .mqo, .mqoz, .obj, .stl or .ply)";
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
    if (format == SceneFormat::Stl)
        return ReadStl(bytes, path, scene, error) && keep(Kind::Stl, bytes);
    if (format == SceneFormat::Ply)
        return ReadPly(bytes, path, scene, error) && keep(Kind::Ply, bytes);
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

// No format has a spelling for an infinite or undefined number that a reader
// takes (binary STL and PLY could hold the bits, and no reader wants them):
// such a scene cannot be written. Sets `error` and returns
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

namespace {

// How a scene goes into a file: its source with the new objects spliced in,
// or composed from the scene.
enum class WriteForm { Compose, SpliceMqo, SpliceObj, SpliceStl, SplicePly };

// A file in the format the scene was read from is spliced, in the source's
// own form unless text is asked of a binary source; a PLY layout that cannot
// take the new objects is composed, and `report` says why.
WriteForm FormOfWrite(SceneFormat format, const Scene& scene, const SaveOptions& options,
                      SaveReport& report) {
    using Kind = SceneSource::Kind;
    const Kind kind = scene.source.kind;
    switch (format) {
    case SceneFormat::Mqo:
    case SceneFormat::Mqoz:
        return kind == Kind::Mqo ? WriteForm::SpliceMqo : WriteForm::Compose;
    case SceneFormat::Obj:
        return kind == Kind::Obj ? WriteForm::SpliceObj : WriteForm::Compose;
    case SceneFormat::Stl:
        return kind == Kind::Stl && !(options.ascii && IsBinaryStl(scene.source.bytes))
                   ? WriteForm::SpliceStl
                   : WriteForm::Compose;
    case SceneFormat::Ply: {
        if (kind != Kind::Ply || (options.ascii && !IsAsciiPly(scene.source.bytes)))
            return WriteForm::Compose;
        const std::string refusal = PlySpliceRefusal(scene);
        if (refusal.empty()) return WriteForm::SplicePly;
        report.losses.push_back(refusal + "; the file was written whole from what was read of it");
        return WriteForm::Compose;
    }
    case SceneFormat::Unknown:
        break;
    }
    return WriteForm::Compose;
}

// The code page of the names a file of `format` holds.
TextEncoding EncodingOf(SceneFormat format, const Scene& scene) {
    return format == SceneFormat::Mqo || format == SceneFormat::Mqoz ? scene.mqo.codePage
                                                                     : TextEncoding::Utf8;
}

bool HasHiddenOrLockedObjects(const Scene& scene) {
    for (const SceneObject& object : scene.objects)
        if (!object.visible || object.locked) return true;
    return false;
}

// What a file of `format` written as `form` does not carry, for the report.
void NoteLosses(SceneFormat format, WriteForm form, const Scene& scene, const SaveOptions& options,
                SaveReport& report) {
    std::string losses;
    if (format == SceneFormat::Stl) {
        const bool text = form == WriteForm::SpliceStl ? !IsBinaryStl(scene.source.bytes)
                                                       : options.ascii;
        losses = StlLosses(scene, text);
    } else if (format == SceneFormat::Ply) {
        losses = PlyLosses(scene, form == WriteForm::SplicePly);
    }
    if (!losses.empty()) report.losses.push_back(std::move(losses));
    // STL names the flags with its other losses. A spliced OBJ file keeps
    // its own comments, and its new object is shown and unlocked.
    if (!HasHiddenOrLockedObjects(scene)) return;
    if (format == SceneFormat::Ply)
        report.losses.push_back("PLY does not carry over hidden and locked flags");
    else if (format == SceneFormat::Obj && form == WriteForm::Compose)
        report.losses.push_back("OBJ has no hidden and locked flags: they are kept in \"# "
                                "mqthicken:\" comments, which other programs skip");
}

}  // namespace

bool SaveScene(const std::string& path, Scene& scene, const SaveOptions& options,
               SaveReport& report, std::string& error) {
    const SceneFormat format =
        options.format != SceneFormat::Unknown ? options.format : FormatOfPath(path);
    if (format == SceneFormat::Unknown) {
        error = UnknownFormatMessage(path);
        return false;
    }
    if (!AllFinite(path, scene, error)) return false;
    // The names are converted for the write and given back afterwards, so
    // that the geometry is never copied. A spliced file's new objects alone
    // have their names written.
    const WriteForm form = FormOfWrite(format, scene, options, report);
    const bool splice = form != WriteForm::Compose;
    const NamesKept kept(scene);
    ConvertNames(scene, EncodingOf(format, scene), splice ? scene.source.objects : 0, !splice,
                 report.lossy);
    NoteLosses(format, form, scene, options, report);
    auto write = [&](TextSink& out) {
        switch (form) {
        case WriteForm::SpliceMqo: return WriteMqoSplice(scene, out);
        case WriteForm::SpliceObj: return WriteObjSplice(scene, out);
        case WriteForm::SpliceStl: return WriteStlSplice(scene, out);
        case WriteForm::SplicePly: return WritePlySplice(scene, out);
        case WriteForm::Compose: break;
        }
        if (format == SceneFormat::Obj) WriteObj(scene, out);
        else if (format == SceneFormat::Stl) WriteStl(scene, options.ascii, out);
        else if (format == SceneFormat::Ply) WritePly(scene, options.ascii, out);
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
