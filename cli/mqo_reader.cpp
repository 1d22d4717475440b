// Reader of the modeller's text documents. Line by line, with the item
// syntax of the format: words, "quoted names" and key(arguments).
#include <algorithm>
#include <cassert>

#include "cli/mqo_format.h"
#include "cli/number_text.h"

namespace {

constexpr int kMaxChunkDepth = 64;
constexpr int32_t kMaxFacePoints = 1 << 16;

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (IsSpace(s.front()) || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (IsSpace(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Splits a text into lines, counting them; a final line without a line
// break counts too. CR before LF is dropped.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++number_;
        return true;
    }
    int Number() const { return number_; }
    size_t Remaining() const { return pos_ < text_.size() ? text_.size() - pos_ : 0; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int number_ = 0;
};

// The items of one line.
class ItemScanner {
public:
    explicit ItemScanner(std::string_view line) : s_(line) {}

    bool AtEnd() {
        SkipSpace();
        return i_ >= s_.size();
    }
    bool Consume(char c) {
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    // A run of characters other than blanks, quotes, braces and parentheses.
    bool Word(std::string_view& word) {
        SkipSpace();
        size_t start = i_;
        while (i_ < s_.size() && !IsSpace(s_[i_]) && !IsDelimiter(s_[i_])) ++i_;
        word = s_.substr(start, i_ - start);
        return i_ > start;
    }
    // "text" without escapes: Shift-JIS never has '"' as a trail byte.
    bool Quoted(std::string_view& text) {
        SkipSpace();
        if (i_ >= s_.size() || s_[i_] != '"') return false;
        size_t close = s_.find('"', i_ + 1);
        if (close == std::string_view::npos) return false;
        text = s_.substr(i_ + 1, close - i_ - 1);
        i_ = close + 1;
        return true;
    }
    // (arguments) right after a key, quoted parts may hold parentheses.
    bool Arguments(std::string_view& args) {
        if (i_ >= s_.size() || s_[i_] != '(') return false;
        size_t j = i_ + 1;
        bool quoted = false;
        for (; j < s_.size(); ++j) {
            if (s_[j] == '"') quoted = !quoted;
            else if (s_[j] == ')' && !quoted) break;
        }
        if (j >= s_.size()) return false;
        args = s_.substr(i_ + 1, j - i_ - 1);
        i_ = j + 1;
        return true;
    }

private:
    static bool IsDelimiter(char c) {
        return c == '"' || c == '(' || c == ')' || c == '{' || c == '}';
    }
    void SkipSpace() {
        while (i_ < s_.size() && IsSpace(s_[i_])) ++i_;
    }
    std::string_view s_;
    size_t i_ = 0;
};

// Braces opened minus braces closed on a line, outside quotes.
int BraceBalance(std::string_view line) {
    int balance = 0;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        else if (!quoted && c == '{') ++balance;
        else if (!quoted && c == '}') --balance;
    }
    return balance;
}

// Calls `f` on each blank-separated word of `text`; stops when it returns false.
template <class F>
bool ForEachWord(std::string_view text, F f) {
    size_t i = 0;
    while (true) {
        while (i < text.size() && (IsSpace(text[i]) || text[i] == '\r')) ++i;
        if (i >= text.size()) return true;
        size_t start = i;
        while (i < text.size() && !IsSpace(text[i]) && text[i] != '\r') ++i;
        if (!f(text.substr(start, i - start))) return false;
    }
}

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

class MqoParser {
public:
    MqoParser(std::string_view text, const std::string& fileName, Scene& scene, std::string& error)
        : lines_(text), fileName_(fileName), scene_(scene), error_(error) {}

    bool Parse() {
        std::string_view line;
        if (!lines_.Next(line)) return Fail("empty file, not a Metasequoia document");
        if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        if (Trim(line) != "Metasequoia Document")
            return Fail("not a Metasequoia document (the first line must be "
                        "\"Metasequoia Document\")");
        if (!lines_.Next(line)) return Fail("missing the \"Format Text Ver 1.0\" line");
        line = Trim(line);
        if (line.substr(0, 15) == "Format Compress")
            return Fail("compressed documents are not supported; save the document as text");
        if (line.substr(0, 16) != "Format Text Ver ")
            return Fail("expected \"Format Text Ver 1.0\"");

        while (lines_.Next(line)) {
            ItemScanner items(line);
            if (items.AtEnd()) continue;
            std::string_view word;
            items.Word(word);
            auto& keep = scene_.objects.empty() ? scene_.leadingLines : scene_.trailingLines;
            if (word == "Eof") return true;
            if (word == "Material") {
                if (!ParseMaterials(items)) return false;
            } else if (word == "Object") {
                if (!ParseObject(items)) return false;
            } else if (!KeepLineOrChunk(line, keep)) {
                return false;
            }
        }
        return Fail("unexpected end of file: no \"Eof\" (the document is incomplete)");
    }

private:
    bool Fail(const std::string& message) {
        error_ = fileName_ + ":" + std::to_string(std::max(lines_.Number(), 1)) + ": " + message;
        return false;
    }

    // Keeps a line that the tool does not interpret; when it opens a chunk,
    // keeps the whole chunk, up to its closing brace.
    bool KeepLineOrChunk(std::string_view line, std::vector<std::string>& keep) {
        keep.emplace_back(line);
        int depth = BraceBalance(line);
        const int start = lines_.Number();
        while (depth > 0) {
            if (depth > kMaxChunkDepth) return Fail("chunks nested too deeply");
            std::string_view next;
            if (!lines_.Next(next))
                return Fail("unexpected end of file in the chunk that starts at line " +
                            std::to_string(start));
            keep.emplace_back(next);
            depth += BraceBalance(next);
        }
        return true;
    }

    // Reads "COUNT {" after a chunk keyword.
    bool ChunkCount(ItemScanner& items, const char* chunk, int32_t& count) {
        std::string_view word;
        if (!items.Word(word) || !ParseInt(word, count) || count < 0)
            return Fail(std::string("expected the number of entries after \"") + chunk + "\"");
        if (!items.Consume('{') || !items.AtEnd())
            return Fail(std::string("expected \"{\" after \"") + chunk + " " +
                        std::string(word) + "\"");
        return true;
    }

    // Fails unless `line` is the closing brace of a chunk of `count` entries
    // holding `actual`; `closed` tells whether it is.
    bool EntryOrClose(std::string_view line, const char* chunk, int32_t count, size_t actual,
                      bool& closed) {
        closed = Trim(line) == "}";
        if (closed && actual != static_cast<size_t>(count))
            return Fail(std::string("the ") + chunk + " chunk announces " + std::to_string(count) +
                        " entries but holds " + std::to_string(actual));
        if (!closed && actual >= static_cast<size_t>(count))
            return Fail(std::string("the ") + chunk + " chunk holds more than the " +
                        std::to_string(count) + " entries it announces");
        return true;
    }

    bool ParseMaterials(ItemScanner& items) {
        if (materialsSeen_) return Fail("a second Material chunk");
        materialsSeen_ = true;
        int32_t count;
        if (!ChunkCount(items, "Material", count)) return false;
        std::string_view line;
        while (lines_.Next(line)) {
            if (Trim(line).empty()) continue;
            bool closed;
            if (!EntryOrClose(line, "Material", count, scene_.materials.size(), closed))
                return false;
            if (closed) return true;
            if (!ParseMaterial(line)) return false;
        }
        return Fail("unexpected end of file in the Material chunk");
    }

    bool ParseMaterial(std::string_view line) {
        ItemScanner items(line);
        SceneMaterial material;
        std::string_view name;
        if (!items.Quoted(name)) return Fail("expected a quoted material name");
        material.name = name;
        while (!items.AtEnd()) {
            std::string_view key, args;
            if (!items.Word(key) || !items.Arguments(args))
                return Fail("expected KEY(VALUES) in the material " + Quote(name));
            material.params.push_back({std::string(key), std::string(args)});
        }
        scene_.materials.push_back(std::move(material));
        return true;
    }

    bool ParseObject(ItemScanner& items) {
        SceneObject object;
        std::string_view name;
        if (!items.Quoted(name)) return Fail("expected a quoted object name after \"Object\"");
        object.name = name;
        if (!items.Consume('{') || !items.AtEnd())
            return Fail("expected \"{\" after the object name " + Quote(name));
        const int start = lines_.Number();
        bool vertexSeen = false, faceSeen = false;
        std::string_view line;
        while (lines_.Next(line)) {
            ItemScanner keyItems(line);
            if (keyItems.AtEnd()) continue;
            if (Trim(line) == "}") {
                scene_.objects.push_back(std::move(object));
                return true;
            }
            std::string_view key;
            keyItems.Word(key);
            auto& keep = vertexSeen ? object.trailingLines : object.leadingLines;
            if (key == "visible" || key == "locking") {
                std::string_view value;
                int32_t number;
                if (!keyItems.Word(value) || !ParseInt(value, number))
                    return Fail("expected a number after \"" + std::string(key) + "\"");
                (key == "visible" ? object.visible : object.locked) = number != 0;
            } else if (key == "vertex") {
                if (vertexSeen) return Fail("a second vertex chunk in the object " + Quote(name));
                vertexSeen = true;
                if (!ParseVertices(keyItems, object)) return false;
            } else if (key == "BVertex") {
                // Binary data inside a text line structure: no way to keep it.
                return Fail("binary vertex data (BVertex) is not supported; save the document "
                            "with text vertices");
            } else if (key == "face") {
                if (faceSeen) return Fail("a second face chunk in the object " + Quote(name));
                faceSeen = true;
                if (!ParseFaces(keyItems, object)) return false;
            } else if (!KeepLineOrChunk(line, keep)) {
                return false;
            }
        }
        return Fail("unexpected end of file in the object " + Quote(name) + " (from line " +
                    std::to_string(start) + ")");
    }

    bool ParseVertices(ItemScanner& items, SceneObject& object) {
        int32_t count;
        if (!ChunkCount(items, "vertex", count)) return false;
        // A vertex line takes at least 6 bytes: never reserve beyond the file.
        object.vertices.reserve(std::min<size_t>(count, lines_.Remaining() / 6));
        std::string_view line;
        while (lines_.Next(line)) {
            if (Trim(line).empty()) continue;
            bool closed;
            if (!EntryOrClose(line, "vertex", count, object.vertices.size(), closed)) return false;
            if (closed) return true;
            float xyz[3];
            int n = 0;
            bool numbers = ForEachWord(line, [&](std::string_view word) {
                if (n >= 3 || !ParseFloat(word, xyz[n])) return false;
                ++n;
                return true;
            });
            if (!numbers || n != 3) return Fail("expected three coordinates \"x y z\"");
            object.vertices.push_back({xyz[0], xyz[1], xyz[2]});
        }
        return Fail("unexpected end of file in the vertex chunk");
    }

    bool ParseFaces(ItemScanner& items, SceneObject& object) {
        int32_t count;
        if (!ChunkCount(items, "face", count)) return false;
        std::string_view line;
        while (lines_.Next(line)) {
            if (Trim(line).empty()) continue;
            bool closed;
            if (!EntryOrClose(line, "face", count, object.FaceCount(), closed)) return false;
            if (closed) return true;
            if (!ParseFace(line, object)) return false;
        }
        return Fail("unexpected end of file in the face chunk");
    }

    bool ParseFace(std::string_view line, SceneObject& object) {
        ItemScanner items(line);
        std::string_view word;
        int32_t n;
        if (!items.Word(word) || !ParseInt(word, n) || n < 1 || n > kMaxFacePoints)
            return Fail("expected the number of points of the face");
        indices_.clear();
        uvs_.clear();
        int32_t material = -1;
        bool hasV = false, hasUv = false;
        std::string extras;
        const int32_t vertexCount = static_cast<int32_t>(object.vertices.size());
        while (!items.AtEnd()) {
            std::string_view key, args;
            if (!items.Word(key) || !items.Arguments(args)) return Fail("expected KEY(VALUES)");
            if (key == "V") {
                hasV = true;
                bool ok = ForEachWord(args, [&](std::string_view w) {
                    int32_t index;
                    if (static_cast<int32_t>(indices_.size()) >= n || !ParseInt(w, index))
                        return false;
                    indices_.push_back(index);
                    return true;
                });
                if (!ok || static_cast<int32_t>(indices_.size()) != n)
                    return Fail("V(...) must hold " + std::to_string(n) + " vertex indices");
                for (int32_t index : indices_)
                    if (index < 0 || index >= vertexCount)
                        return Fail("vertex index " + std::to_string(index) +
                                    " out of range (the object has " +
                                    std::to_string(vertexCount) + " vertices)");
            } else if (key == "M") {
                if (!ParseInt(Trim(args), material)) return Fail("M(...) must hold one number");
                // Every negative number means no material, which the scene
                // keeps as -1 (and the writer then leaves out).
                if (material < 0) material = -1;
            } else if (key == "UV") {
                hasUv = true;
                float values[2];
                int k = 0;
                bool ok = ForEachWord(args, [&](std::string_view w) {
                    if (static_cast<int32_t>(uvs_.size()) >= n || !ParseFloat(w, values[k]))
                        return false;
                    if (++k == 2) {
                        uvs_.push_back({values[0], values[1]});
                        k = 0;
                    }
                    return true;
                });
                if (!ok || k != 0 || static_cast<int32_t>(uvs_.size()) != n)
                    return Fail("UV(...) must hold " + std::to_string(2 * n) + " numbers");
            } else {
                if (!extras.empty()) extras += ' ';
                extras.append(key).append("(").append(args).append(")");
            }
        }
        if (!hasV) return Fail("face without V(...)");
        if (!extras.empty())
            object.faceExtras.emplace_back(static_cast<uint32_t>(object.FaceCount()),
                                           std::move(extras));
        object.AddFace(indices_.data(), hasUv ? uvs_.data() : nullptr, n, material);
        return true;
    }

    LineCursor lines_;
    const std::string& fileName_;
    Scene& scene_;
    std::string& error_;
    bool materialsSeen_ = false;
    std::vector<int32_t> indices_;
    std::vector<SceneUv> uvs_;
};

}  // namespace

bool ReadMqo(std::string_view text, const std::string& fileName, Scene& scene,
             std::string& error) {
    scene = Scene{};
    scene.encoding = TextEncoding::Cp932;
    return MqoParser(text, fileName, scene, error).Parse();
}
