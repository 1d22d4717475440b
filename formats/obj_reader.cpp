// Reader of Wavefront .obj files, one pass over the lines.
#include <algorithm>
#include <unordered_map>

#include "formats/number_text.h"
#include "formats/obj_format.h"
#include "formats/text_scan.h"
#include "formats/shown_text.h"
#include "platform/text_encoding.h"

namespace {

constexpr const char* kDefaultObjectName = "obj1";

// The statements of a text, one a line; a line that ends in '\' goes on
// on the next, the '\' and the line end read as a blank.
class Statements {
public:
    explicit Statements(std::string_view text) : text_(text) {}

    // The next statement and the number of the line it starts on; false at
    // the end of the text.
    bool Next(std::string_view& statement, int& firstLine) {
        if (pos_ >= text_.size()) return false;
        statement = NextLine();
        firstLine = line_;
        if (!Continues(statement)) return true;
        joined_.clear();
        for (;;) {
            joined_.append(statement.substr(0, statement.rfind('\\')));
            joined_ += ' ';
            if (pos_ >= text_.size()) break;
            statement = NextLine();
            if (!Continues(statement)) {
                joined_.append(statement);
                break;
            }
        }
        statement = joined_;
        return true;
    }

private:
    std::string_view NextLine() {
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        const std::string_view line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++line_;
        return line;
    }

    // Whether the last character of `line` before its line end is '\'.
    static bool Continues(std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return !line.empty() && line.back() == '\\';
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 0;
    std::string joined_;
};

}  // namespace

ObjObjectLines ObjObjectLinesOf(std::string_view text) {
    ObjObjectLines lines = ObjObjectLines::None;
    Statements statements(text);
    std::string_view statement;
    int line;
    while (statements.Next(statement, line)) {
        statement = Trim(statement);
        const char keyword = statement.empty() ? 0 : statement[0];
        if ((keyword != 'o' && keyword != 'g') || (statement.size() > 1 && !IsSpace(statement[1])))
            continue;
        if (keyword == 'o') return ObjObjectLines::Objects;
        lines = ObjObjectLines::Groups;
    }
    return lines;
}

namespace {

class ObjParser {
public:
    ObjParser(const std::string& fileName, Scene& scene, std::string& error)
        : fileName_(fileName), scene_(scene), error_(error) {}

    bool Parse(std::string_view text) {
        hasObjectLines_ = ObjObjectLinesOf(text) == ObjObjectLines::Objects;
        Statements statements(text);
        std::string_view statement;
        while (statements.Next(statement, line_))
            if (!ParseLine(statement)) return false;
        // Another program's text (numbers a line, say) is no Wavefront file.
        if (foreignLines_ > 0 && foreignLines_ == lines_) {
            line_ = firstForeign_;
            return Fail("not a Wavefront OBJ file: none of its lines is an OBJ statement (this "
                        "one begins with \"" + foreignWord_ + "\")");
        }
        Finish();
        return true;
    }

    // The numbers of v and vt statements read: every one, used or not.
    size_t Positions() const { return positions_.size(); }
    size_t Textures() const { return textures_.size(); }

private:
    bool Fail(const std::string& message) {
        error_ = fileName_ + ":" + std::to_string(line_) + ": " + message;
        return false;
    }

    bool ParseLine(std::string_view line) {
        line = Trim(line);
        if (line.empty()) return true;
        if (line.front() == '#') return ParseComment(line);
        ++lines_;
        if (QuickLine(line)) return true;
        std::string_view rest = line;
        std::string_view keyword = NextWord(rest);
        // Numbers and references may be followed by a comment; names may hold '#'.
        if (keyword == "v" || keyword == "vt" || keyword == "f" || keyword == "l" ||
            keyword == "p")
            rest = rest.substr(0, rest.find('#'));
        if (keyword == "v") return ParseVertex(rest);
        if (keyword == "vt") return ParseTexture(rest);
        if (keyword == "f") return ParseElement(rest, 3, false);
        if (keyword == "l") return ParseElement(rest, 2, true);
        if (keyword == "p") return ParsePoints(rest);
        if (keyword == "o" || (keyword == "g" && !hasObjectLines_)) {
            SwitchObject(std::string(Trim(rest)), keyword == "o");
            return true;
        }
        if (keyword == "usemtl") {
            const std::string_view name = Trim(rest);
            material_ = name == kObjNoMaterial ? -1 : MaterialIndex(std::string(name));
            return true;
        }
        if (keyword == "mtllib") {
            scene_.materialLibraries.emplace_back(Trim(rest));
            return true;
        }
        if (keyword == "g") return true;  // a group within an object
        if (keyword == "vn") return Dropped("normals (vn)");
        if (keyword == "s") {
            const std::string_view group = Trim(rest);
            return group == "off" || group == "0" || Dropped("smoothing groups (s)");
        }
        if (!IsObjKeyword(keyword) && foreignLines_++ == 0) {
            firstForeign_ = line_;
            foreignWord_ = ShownText(keyword.substr(0, 40));
        }
        return Dropped("\"" + ShownText(keyword) + "\" lines");
    }

    // The statements of the format that this reader does not take: free-form
    // geometry, display and render attributes.
    static bool IsObjKeyword(std::string_view word) {
        static constexpr std::string_view kKeywords[] = {
            "vp",   "cstype", "deg",   "bmat",    "step",     "curv",       "curv2",
            "surf", "parm",   "trim",  "hole",    "scrv",     "sp",         "end",
            "con",  "mg",     "bevel", "c_interp", "d_interp", "lod",       "shadow_obj",
            "trace_obj", "ctech", "stech", "maplib", "usemap", "call",       "csh", "fo"};
        return std::find(std::begin(kKeywords), std::end(kKeywords), word) != std::end(kKeywords);
    }

    // The lines that make up nearly all of a large file, in their plain
    // form: "v X Y Z", "vt U V" and "f" with references "V", "V/T" or
    // "V/T/N". Reads them in one pass over their characters and returns
    // true; returns false, having changed nothing, for anything else (an
    // error included), which the general reading then takes.
    bool QuickLine(std::string_view line) {
        if (line.size() < 3 || (line[1] != ' ' && line[1] != '\t' && line[1] != 't')) return false;
        const char* p = line.data() + 1;
        const char* const end = line.data() + line.size();
        if (line[0] == 'f') return QuickFace(p, end);
        if (line[0] != 'v') return false;
        if (line[1] == 't') {
            SceneUv uv;
            if (!IsSpace(*++p) || !QuickFloat(p, end, uv.u) || !QuickFloat(p, end, uv.v) || p != end)
                return false;
            uv.v = 1 - uv.v;
            textures_.push_back(uv);
            return true;
        }
        float xyz[3];
        for (float& c : xyz)
            if (!QuickFloat(p, end, c)) return false;
        if (p != end) return false;
        positions_.push_back({xyz[0], xyz[1], xyz[2]});
        home_.push_back(current_);
        return true;
    }

    // Reads the blank-separated number after `p` (which the line's end
    // follows without blanks, as the line is trimmed).
    static bool QuickFloat(const char*& p, const char* end, float& value) {
        while (p != end && IsSpace(*p)) ++p;
        return ParseFloatWord(p, end, value);
    }

    // Reads the decimal integer at `p` (an optional '-' and at most nine
    // digits, so that it fits in 32 bits), a 1-based or negative reference
    // into a list of `count`, and resolves it.
    static bool QuickReference(const char*& p, const char* end, size_t count, size_t& index) {
        const bool negative = p != end && *p == '-';
        if (negative) ++p;
        int64_t value = 0;
        const char* const first = p;
        while (p != end && *p >= '0' && *p <= '9' && p - first < 9) value = value * 10 + (*p++ - '0');
        if (p == first || value == 0) return false;
        const int64_t resolved = negative ? int64_t(count) - value : value - 1;
        if (resolved < 0 || resolved >= int64_t(count)) return false;
        index = static_cast<size_t>(resolved);
        return true;
    }

    bool QuickFace(const char* p, const char* end) {
        points_.clear();
        uvs_.clear();
        bool allUv = true;
        while (p != end) {
            if (IsSpace(*p)) {
                ++p;
                continue;
            }
            size_t vertex;
            if (!QuickReference(p, end, positions_.size(), vertex)) return false;
            SceneUv uv;
            bool hasUv = false;
            if (p != end && *p == '/') {
                ++p;
                if (p != end && *p != '/') {
                    size_t texture;
                    if (!QuickReference(p, end, textures_.size(), texture)) return false;
                    uv = textures_[texture];
                    hasUv = true;
                }
                // A normal reference is not read: the scene has no normals.
                // (A comment, which ends the references, is left to the
                // general reading.)
                if (p != end && *p == '/')
                    for (; p != end && !IsSpace(*p); ++p)
                        if (*p == '#') return false;
            }
            if (p != end && !IsSpace(*p)) return false;
            allUv = allUv && hasUv;
            points_.push_back(static_cast<int32_t>(vertex));
            uvs_.push_back(uv);
        }
        if (points_.size() < 3) return false;
        AddPolygon(allUv);
        return true;
    }

    // Notes, once per kind, what the scene cannot carry.
    bool Dropped(const std::string& kind) {
        if (std::find(droppedKinds_.begin(), droppedKinds_.end(), kind) == droppedKinds_.end())
            droppedKinds_.push_back(kind);
        return true;
    }

    bool ParseComment(std::string_view line) {
        line.remove_prefix(1);
        line = Trim(line);
        if (line.substr(0, 10) != "mqthicken:") return true;
        std::string_view flag = Trim(line.substr(10));
        if (flag == "hidden") Current().visible = false;
        if (flag == "locked") Current().locked = true;
        if (flag.substr(0, 9) == "material ") MaterialIndex(std::string(Trim(flag.substr(9))));
        return true;
    }

    bool ParseVertex(std::string_view rest) {
        float xyz[3];
        for (float& c : xyz)
            if (!ParseFloat(NextWord(rest), c))
                return Fail("expected three coordinates after \"v\"");
        // A fourth number is w; more are a vertex colour, which the scene
        // has no place for.
        NextWord(rest);
        if (!NextWord(rest).empty()) Dropped("vertex colours");
        positions_.push_back({xyz[0], xyz[1], xyz[2]});
        home_.push_back(current_);
        return true;
    }

    bool ParseTexture(std::string_view rest) {
        SceneUv uv;
        if (!ParseFloat(NextWord(rest), uv.u)) return Fail("expected a number after \"vt\"");
        std::string_view v = NextWord(rest);
        if (!v.empty() && !ParseFloat(v, uv.v)) return Fail("expected a number for v");
        uv.v = 1 - uv.v;
        textures_.push_back(uv);
        return true;
    }

    // Resolves a 1-based (or negative, relative) index into a list of `count`.
    bool Resolve(std::string_view text, size_t count, const char* what, size_t& index) {
        int32_t value;
        if (!ParseInt(text, value) || value == 0)
            return Fail(std::string("bad ") + what + " index \"" + ShownText(text) + "\"");
        int64_t resolved = value > 0 ? int64_t(value) - 1 : int64_t(count) + value;
        if (resolved < 0 || resolved >= int64_t(count))
            return Fail(std::string(what) + " index " + std::to_string(value) +
                        " out of range (" + std::to_string(count) + " so far)");
        index = static_cast<size_t>(resolved);
        return true;
    }

    // Reads the point references of an f or l line into points_ / uvs_.
    bool ReadReferences(std::string_view rest, bool& allUv) {
        points_.clear();
        uvs_.clear();
        allUv = true;
        for (std::string_view word = NextWord(rest); !word.empty(); word = NextWord(rest)) {
            size_t slash = word.find('/');
            size_t vertex;
            if (!Resolve(word.substr(0, slash), positions_.size(), "vertex", vertex)) return false;
            SceneUv uv;
            bool hasUv = false;
            if (slash != std::string_view::npos) {
                std::string_view t = word.substr(slash + 1);
                t = t.substr(0, t.find('/'));
                if (!t.empty()) {
                    size_t texture;
                    if (!Resolve(t, textures_.size(), "texture", texture)) return false;
                    uv = textures_[texture];
                    hasUv = true;
                }
            }
            allUv = allUv && hasUv;
            points_.push_back(static_cast<int32_t>(vertex));
            uvs_.push_back(uv);
        }
        return true;
    }

    bool ParseElement(std::string_view rest, size_t minimum, bool polyline) {
        bool allUv;
        if (!ReadReferences(rest, allUv)) return false;
        if (points_.size() < minimum)
            return Fail(polyline ? "a line needs at least 2 points"
                                 : "a face needs at least 3 points");
        SceneObject& object = Current();
        if (polyline) {
            // A polyline becomes one two-point face per segment.
            for (size_t i = 0; i + 1 < points_.size(); ++i) {
                int32_t pair[2] = {points_[i + 1], points_[i]};
                SceneUv pairUv[2] = {uvs_[i + 1], uvs_[i]};
                object.AddFace(pair, allUv ? pairUv : nullptr, 2, material_);
            }
            return true;
        }
        AddPolygon(allUv);
        return true;
    }

    // Adds the face of the points read into points_ and uvs_, in the host's
    // order.
    void AddPolygon(bool allUv) {
        std::reverse(points_.begin(), points_.end());
        std::reverse(uvs_.begin(), uvs_.end());
        Current().AddFace(points_.data(), allUv ? uvs_.data() : nullptr,
                          static_cast<uint32_t>(points_.size()), material_);
    }

    bool ParsePoints(std::string_view rest) {
        bool allUv;
        if (!ReadReferences(rest, allUv)) return false;
        for (size_t i = 0; i < points_.size(); ++i)
            Current().AddFace(&points_[i], allUv ? &uvs_[i] : nullptr, 1, material_);
        return true;
    }

    // "o" starts a new object; "g" (in files without "o") returns to the
    // last object of that name, as groups are often reopened, or starts one.
    void SwitchObject(const std::string& name, bool fresh) {
        auto [it, inserted] = objectByName_.try_emplace(name, scene_.objects.size());
        if (inserted || fresh) {
            it->second = scene_.objects.size();
            scene_.objects.emplace_back();
            scene_.objects.back().name = name;
        }
        current_ = static_cast<int32_t>(it->second);
    }

    // The object of what comes before the first "o" or "g" line is made
    // when something needs it.
    int32_t CurrentIndex() {
        if (current_ < 0) {
            SwitchObject(kDefaultObjectName, false);
            defaultObject_ = true;
        }
        return current_;
    }
    SceneObject& Current() { return scene_.objects[CurrentIndex()]; }

    int32_t MaterialIndex(const std::string& name) {
        if (name.empty()) return -1;
        auto [it, inserted] = materialByName_.try_emplace(name, scene_.materials.size());
        if (inserted) scene_.materials.push_back({name, DefaultMaterialParams()});
        return static_cast<int32_t>(it->second);
    }

    // Gives each object the vertices its faces use and those listed while it
    // was current that no face uses, in the order of the file, renumbering
    // its faces; then drops the objects that got neither vertices nor faces.
    // The object of what comes before the first "o" or "g" line, if there is
    // one, has the vertices listed there; so the one object of a file
    // without "o" or "g" owns every vertex, and still does when objects are
    // added after it.
    void Finish() {
        auto& objects = scene_.objects;
        if (defaultObject_)
            for (int32_t& home : home_) home = std::max(home, 0);
        std::vector<int32_t> stamp(positions_.size(), -1), local(positions_.size(), 0);
        std::vector<uint8_t> used(positions_.size(), 0);
        for (const SceneObject& object : objects)
            for (int32_t v : object.points) used[v] = 1;
        std::vector<std::vector<int32_t>> unusedOf(objects.size());
        for (size_t v = 0; v < positions_.size(); ++v)
            if (!used[v] && home_[v] >= 0) unusedOf[home_[v]].push_back(static_cast<int32_t>(v));
        std::vector<int32_t> globals;
        for (size_t o = 0; o < objects.size(); ++o) {
            SceneObject& object = objects[o];
            globals = unusedOf[o];
            for (int32_t v : object.points)
                if (stamp[v] != int32_t(o)) {
                    stamp[v] = int32_t(o);
                    globals.push_back(v);
                }
            // An object that holds a good part of the file's vertices finds
            // them in order by one look at each, quicker than sorting them.
            if (globals.size() * 4 >= positions_.size()) {
                globals.clear();
                for (size_t v = 0; v < positions_.size(); ++v)
                    if (stamp[v] == int32_t(o) || (!used[v] && home_[v] == int32_t(o)))
                        globals.push_back(static_cast<int32_t>(v));
            } else {
                std::sort(globals.begin(), globals.end());
            }
            object.vertices.reserve(globals.size());
            for (int32_t v : globals) {
                local[v] = static_cast<int32_t>(object.vertices.size());
                object.vertices.push_back(positions_[v]);
            }
            for (int32_t& v : object.points) v = local[v];
        }
        objects.erase(std::remove_if(objects.begin(), objects.end(),
                                     [](const SceneObject& o) {
                                         return o.vertices.empty() && o.FaceCount() == 0;
                                     }),
                      objects.end());
        if (droppedKinds_.empty()) return;
        std::string kinds;
        for (const std::string& kind : droppedKinds_) kinds += (kinds.empty() ? "" : ", ") + kind;
        scene_.warnings.push_back(fileName_ + ": not carried over: " + kinds);
    }

    const std::string& fileName_;
    Scene& scene_;
    std::string& error_;
    int line_ = 0;
    // Lines other than blanks and comments, those of them that are no OBJ
    // statement, and the first of those.
    size_t lines_ = 0, foreignLines_ = 0;
    int firstForeign_ = 0;
    std::string foreignWord_;
    bool hasObjectLines_ = false;
    bool defaultObject_ = false;  // the first object came before any of them
    int32_t current_ = -1;
    int32_t material_ = -1;
    // Every vertex of the file, and the object current when it was listed
    // (-1 before the first "o" or "g").
    std::vector<ScenePoint> positions_;
    std::vector<int32_t> home_;
    std::vector<SceneUv> textures_;
    std::vector<std::string> droppedKinds_;
    std::unordered_map<std::string, size_t> objectByName_, materialByName_;
    std::vector<int32_t> points_;
    std::vector<SceneUv> uvs_;
};

}  // namespace

bool ReadObj(std::string_view text, const std::string& fileName, Scene& scene,
             std::string& error) {
    scene = Scene{};
    scene.encoding = TextEncoding::Utf8;
    SceneSource& source = scene.source;
    std::string decoded;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    } else if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        source.utf16 = true;
        source.bigEndian = text[0] == '\xFE';
        if (text.size() % 2) {
            error = fileName + ": UTF-16 text with an odd number of bytes (the file is cut short)";
            return false;
        }
        // A lone surrogate is read as U+FFFD: the names it is in are all it spoils.
        Utf8FromUtf16(text.substr(2), source.bigEndian, decoded);
        text = decoded;
    }
    ObjParser parser(fileName, scene, error);
    if (!parser.Parse(text)) return false;
    source.positions = parser.Positions();
    source.textures = parser.Textures();
    source.objects = scene.objects.size();
    return true;
}
