// Reader of the modeller's text documents. Line by line, with the item
// syntax of the format: words, "quoted names" and key(arguments).
#include <algorithm>
#include <cassert>
#include <cctype>
#include <cmath>
#include <cstring>

#include "formats/mqo_format.h"
#include "formats/number_text.h"
#include "formats/shown_text.h"
#include "formats/text_scan.h"
#include "platform/text_encoding.h"

namespace {

constexpr int kMaxChunkDepth = 64;
constexpr int32_t kMaxFacePoints = 1 << 16;

// Splits a text into lines, counting them; a final line without a line
// break counts too. Lines end at LF, CRs before it dropped; in a text whose
// lines end at a lone CR (the first line end tells), they end at CR, and an
// LF right after a CR goes with it.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {
        const size_t lf = text.find('\n');
        const size_t cr = text.substr(0, lf).find('\r');
        if (cr != std::string_view::npos)
            crOnly_ = text.find_first_not_of('\r', cr) != lf || lf == std::string_view::npos;
        breakChar_ = crOnly_ ? '\r' : '\n';
    }

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find(breakChar_, pos_);
        if (end == std::string_view::npos) end = text_.size();
        lineStart_ = pos_;
        line = text_.substr(pos_, end - pos_);
        // A stray CR before a line end goes with it.
        hadCr_ = !line.empty() && line.back() == '\r';
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        lfAfterCr_ = crOnly_ && pos_ < text_.size() && text_[pos_] == '\n';
        pos_ += lfAfterCr_;
        ++number_;
        return true;
    }
    // Takes the `count` raw bytes that follow the last line, and the line
    // end right after them; false when the text ends before them.
    bool TakeBytes(size_t count, std::string_view& bytes) {
        if (count > Remaining()) return false;
        bytes = text_.substr(pos_, count);
        pos_ += count;
        // Lines are numbered as an editor shows them, the data's own line
        // ends counted.
        number_ += static_cast<int>(std::count(bytes.begin(), bytes.end(), breakChar_));
        const std::string_view after = text_.substr(pos_, 2);
        const size_t end = after == "\r\n" ? 2 : after.substr(0, 1) == std::string_view(&breakChar_, 1);
        pos_ += end;
        number_ += end > 0;
        return true;
    }
    // The line end of the last line as read.
    const char* LineEnd() const {
        if (crOnly_) return lfAfterCr_ ? "\r\n" : "\r";
        return hadCr_ ? "\r\n" : "\n";
    }
    size_t Position() const { return std::min(pos_, text_.size()); }
    // Where the last line read begins.
    size_t LineStart() const { return lineStart_; }
    int Number() const { return number_; }
    size_t Remaining() const { return pos_ < text_.size() ? text_.size() - pos_ : 0; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t lineStart_ = 0;
    int number_ = 0;
    bool hadCr_ = false;
    bool crOnly_ = false;
    bool lfAfterCr_ = false;
    char breakChar_ = '\n';
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

// Whether `line` announces binary data ("KEY ... [BYTES]" at its end), and
// how many bytes. A size too large for the file is caught by the caller.
bool BinarySize(std::string_view line, size_t& bytes) {
    line = Trim(line);
    if (line.size() < 3 || line.back() != ']') return false;
    const size_t open = line.rfind('[');
    if (open == std::string_view::npos || open == 0 || !IsSpace(line[open - 1])) return false;
    const std::string_view digits = line.substr(open + 1, line.size() - open - 2);
    if (digits.empty() || digits.size() > 15) return false;
    bytes = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        bytes = bytes * 10 + size_t(c - '0');
    }
    return true;
}

// Calls `f` on each blank-separated word of `text`; stops when it returns false.
template <class F>
bool ForEachWord(std::string_view text, F f) {
    size_t i = 0;
    while (true) {
        while (i < text.size() && IsSpace(text[i])) ++i;
        if (i >= text.size()) return true;
        size_t start = i;
        while (i < text.size() && !IsSpace(text[i])) ++i;
        if (!f(text.substr(start, i - start))) return false;
    }
}

// Calls `f` on each blank-separated number of `text`, each read in the pass
// that finds its word; stops when it returns false. False for a word that
// is no number, or when `f` stopped.
template <class F>
bool ForEachFloat(std::string_view text, F f) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (true) {
        while (p != end && IsSpace(*p)) ++p;
        if (p == end) return true;
        float value;
        if (!ParseFloatWord(p, end, value) || !f(value)) return false;
    }
}

class MqoParser {
public:
    MqoParser(std::string_view text, const std::string& fileName, Scene& scene, std::string& error)
        : text_(text), lines_(text), fileName_(fileName), scene_(scene), error_(error) {}

    bool Parse() {
        std::string_view line;
        if (!lines_.Next(line)) return Fail("empty file, not a Metasequoia document");
        scene_.mqo.lineEnd = lines_.LineEnd();
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
        scene_.mqo.header = std::string(text_.substr(0, lines_.Position()));

        while (lines_.Next(line)) {
            ItemScanner items(line);
            // Blank lines and chunks the tool does not interpret stay in the
            // source, where a written document finds them.
            if (items.AtEnd()) continue;
            std::string_view word;
            items.Word(word);
            if (word == "Eof") {
                NoteWhereObjectsGo(lines_.LineStart());
                return true;
            }
            if (word == "CodePage" && !ReadCodePage(items)) return false;
            if (word == "Material") {
                if (!ParseMaterials(items)) return false;
            } else if (word == "Object") {
                if (!ParseObject(items)) return false;
            } else if (!SkipLineOrChunk(line)) {
                return false;
            }
        }
        return Fail("unexpected end of file: no \"Eof\" (the document is incomplete)");
    }

private:
    bool Fail(const std::string& message) { return FailAt(lines_.Number(), message); }
    // A name of the document, quoted, as a message shows it.
    std::string Quote(std::string_view name) const {
        std::string utf8;
        Utf8FromCodePage(scene_.encoding.codePage, name, utf8);
        return "\"" + ShownText(utf8) + "\"";
    }
    bool FailAt(int line, const std::string& message) {
        error_ = fileName_ + ":" + std::to_string(std::max(line, 1)) + ": " + message;
        return false;
    }

    // Passes over a line that the tool does not interpret; when it opens a
    // chunk, over the whole chunk, up to its closing brace.
    bool SkipLineOrChunk(std::string_view line) {
        if (!SkipLine(line)) return false;
        int depth = BraceBalance(line);
        const int start = lines_.Number();
        while (depth > 0) {
            if (depth > kMaxChunkDepth) return Fail("chunks nested too deeply");
            std::string_view next;
            if (!lines_.Next(next))
                return Fail("unexpected end of file in the chunk that starts at line " +
                            std::to_string(start));
            if (!SkipLine(next)) return false;
            depth += BraceBalance(next);
        }
        return true;
    }

    // Passes over one line; a line that announces binary data takes the data
    // after its own line end too, and the data is noted once per key.
    bool SkipLine(std::string_view line) {
        size_t size;
        if (!BinarySize(line, size)) return true;
        const int at = lines_.Number();
        std::string_view bytes;
        if (!TakeBinary(size, bytes)) return false;
        std::string_view key;
        ItemScanner(line).Word(key);
        if (std::find(binaryKeys_.begin(), binaryKeys_.end(), key) == binaryKeys_.end()) {
            binaryKeys_.emplace_back(key);
            scene_.warnings.push_back(fileName_ + ":" + std::to_string(at) +
                                      ": binary data \"" + ShownText(key) + "\" (" +
                                      std::to_string(size) +
                                      " bytes) is not read; it is written back as it is");
        }
        return true;
    }

    // A new object's chunk goes after the last object read, and before the
    // "Eof" line at `eofLine` in a document without one; it is written with
    // the line end and the indentation of the chunk before it.
    void NoteWhereObjectsGo(size_t eofLine) {
        SceneSource& source = scene_.source;
        source.objects = scene_.objects.size();
        source.insertAt = source.objectChunks.empty() ? eofLine : source.objectChunks.back().End();
        const std::string_view text = text_.substr(0, source.insertAt);
        const bool crlf = text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
        const bool lf = !text.empty() && text.back() == '\n';
        const bool cr = !text.empty() && text.back() == '\r';
        if (crlf || lf || cr) source.lineEnd = crlf ? "\r\n" : lf ? "\n" : "\r";
        else source.lineEnd = scene_.mqo.lineEnd;
        if (!indent_.empty()) source.indent = std::string(indent_);
    }

    // Remembers the indentation of the first entry of a chunk, the step the
    // document indents by.
    void NoteIndent(std::string_view line) {
        size_t n = 0;
        while (n < line.size() && IsSpace(line[n])) ++n;
        if (n > 0) indent_ = line.substr(0, n);
    }

    bool TakeBinary(size_t size, std::string_view& bytes) {
        const size_t left = lines_.Remaining();
        if (lines_.TakeBytes(size, bytes)) return true;
        return Fail("the binary data announces " + std::to_string(size) +
                    " bytes but the file ends " + std::to_string(left) + " bytes after its line");
    }

    // "CodePage utf8", "CodePage 932", "CodePage 949"...: the code page of
    // the names, any that the system converts.
    bool ReadCodePage(ItemScanner& items) {
        std::string_view page;
        items.Word(page);
        std::string lower(page);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        int32_t number = 0;
        TextEncoding encoding;
        bool named = true;
        if (lower == "utf8" || lower == "utf-8") encoding = TextEncoding::Utf8;
        else if (ParseInt(lower, number) && number > 0) encoding.codePage = unsigned(number);
        else named = false;
        if (!named || !CodePageSupported(encoding.codePage))
            return Fail("the code page \"" + ShownText(page) +
                        "\" is not one this system converts");
        scene_.mqo.codePage = encoding;
        scene_.encoding = encoding;
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
            if (indent_.empty()) NoteIndent(line);
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
        const size_t chunkStart = lines_.LineStart();
        SceneObject object;
        std::string_view name;
        if (!items.Quoted(name)) return Fail("expected a quoted object name after \"Object\"");
        object.name = name;
        if (!items.Consume('{') || !items.AtEnd())
            return Fail("expected \"{\" after the object name " + Quote(name));
        const int start = lines_.Number();
        bool vertexSeen = false, faceSeen = false, firstLine = true;
        std::string_view line;
        while (lines_.Next(line)) {
            ItemScanner keyItems(line);
            if (keyItems.AtEnd()) continue;
            if (Trim(line) == "}") {
                scene_.objects.push_back(std::move(object));
                scene_.source.objectChunks.push_back(
                    {chunkStart, lines_.Position() - chunkStart});
                return true;
            }
            if (firstLine) NoteIndent(line);
            firstLine = false;
            std::string_view key;
            keyItems.Word(key);
            if (key == "visible" || key == "locking") {
                std::string_view value;
                int32_t number;
                if (!keyItems.Word(value) || !ParseInt(value, number))
                    return Fail("expected a number after \"" + std::string(key) + "\"");
                (key == "visible" ? object.visible : object.locked) = number != 0;
            } else if (key == "vertex" || key == "BVertex") {
                if (vertexSeen) return Fail("a second vertex chunk in the object " + Quote(name));
                vertexSeen = true;
                if (key == "vertex" ? !ParseVertices(keyItems, object)
                                    : !ParseBinaryVertices(keyItems, object))
                    return false;
            } else if (key == "face") {
                if (faceSeen) return Fail("a second face chunk in the object " + Quote(name));
                faceSeen = true;
                if (!ParseFaces(keyItems, object)) return false;
            } else if (!SkipLineOrChunk(line)) {
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
            bool numbers = ForEachFloat(line, [&](float value) {
                if (n >= 3) return false;
                xyz[n++] = value;
                return true;
            });
            if (!numbers || n != 3) return Fail("expected three coordinates \"x y z\"");
            object.vertices.push_back({xyz[0], xyz[1], xyz[2]});
        }
        return Fail("unexpected end of file in the vertex chunk");
    }

    // "BVertex N {", then "Vector N [12N]" and the raw little-endian floats
    // from the next byte on, other lines kept, and "}".
    bool ParseBinaryVertices(ItemScanner& items, SceneObject& object) {
        int32_t count;
        if (!ChunkCount(items, "BVertex", count)) return false;
        bool vectorSeen = false;
        std::string_view line;
        while (lines_.Next(line)) {
            ItemScanner lineItems(line);
            if (lineItems.AtEnd()) continue;
            if (Trim(line) == "}") {
                if (!vectorSeen) return Fail("a BVertex chunk without its Vector data");
                return true;
            }
            std::string_view key;
            lineItems.Word(key);
            if (key != "Vector") {
                if (!SkipLineOrChunk(line)) return false;
                continue;
            }
            if (vectorSeen) return Fail("a second Vector in the BVertex chunk");
            vectorSeen = true;
            std::string_view word;
            int32_t vectors;
            size_t size;
            if (!lineItems.Word(word) || !ParseInt(word, vectors) || !BinarySize(line, size))
                return Fail("expected \"Vector COUNT [BYTES]\"");
            if (vectors != count || size != 12 * size_t(count))
                return Fail("the Vector data of " + std::to_string(count) + " vertices must be " +
                            std::to_string(12 * int64_t(count)) + " bytes: it announces " +
                            std::to_string(vectors) + " vectors in " + std::to_string(size) +
                            " bytes");
            const int vectorLine = lines_.Number();
            std::string_view bytes;
            if (!TakeBinary(size, bytes)) return false;
            object.vertices.resize(size_t(count));
            for (size_t v = 0; v < size_t(count); ++v) {
                float xyz[3];
                for (int k = 0; k < 3; ++k) {
                    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + 12 * v + 4 * k);
                    const uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 |
                                          uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
                    std::memcpy(&xyz[k], &bits, 4);
                }
                if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2]))
                    return FailAt(vectorLine, "vertex " + std::to_string(v) +
                                " of the Vector data is not a finite number");
                object.vertices[v] = {xyz[0], xyz[1], xyz[2]};
            }
        }
        return Fail("unexpected end of file in the BVertex chunk");
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
        if (QuickFace(line, object)) return true;
        ItemScanner items(line);
        std::string_view word;
        int32_t n;
        if (!items.Word(word) || !ParseInt(word, n) || n < 1 || n > kMaxFacePoints)
            return Fail("expected the number of points of the face");
        indices_.clear();
        uvs_.clear();
        int32_t material = -1;
        bool hasV = false, hasUv = false;
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
                bool ok = ForEachFloat(args, [&](float value) {
                    if (static_cast<int32_t>(uvs_.size()) >= n) return false;
                    values[k] = value;
                    if (++k == 2) {
                        uvs_.push_back({values[0], values[1]});
                        k = 0;
                    }
                    return true;
                });
                if (!ok || k != 0 || static_cast<int32_t>(uvs_.size()) != n)
                    return Fail("UV(...) must hold " + std::to_string(2 * n) + " numbers");
            }
            // Other items (COL, UID...) stay in the source.
        }
        if (!hasV) return Fail("face without V(...)");
        object.AddFace(indices_.data(), hasUv ? uvs_.data() : nullptr, n, material);
        return true;
    }

    // The face line as the modeller writes it, "N V(...) M(m) UV(...)" with
    // at most four points, M and UV optional, plain digits and every number
    // in range, read in one pass; adds the face and returns true. Returns
    // false, having changed nothing, for any other line, which the general
    // reading takes (and explains when it is wrong).
    bool QuickFace(std::string_view line, SceneObject& object) {
        const char* p = line.data();
        const char* const end = p + line.size();
        auto skipSpace = [&] {
            while (p != end && IsSpace(*p)) ++p;
        };
        // At most 9 digits, so that the value fits without a check.
        auto digits = [&](int32_t& value) {
            const char* const first = p;
            int32_t v = 0;
            while (p != end && *p >= '0' && *p <= '9' && p - first < 9) v = v * 10 + (*p++ - '0');
            value = v;
            return p != first && (p == end || *p < '0' || *p > '9');
        };
        // "KEY(" right here.
        auto key = [&](std::string_view k) {
            if (static_cast<size_t>(end - p) <= k.size() || std::string_view(p, k.size()) != k ||
                p[k.size()] != '(')
                return false;
            p += k.size() + 1;
            return true;
        };
        skipSpace();
        int32_t n;
        constexpr int32_t kMostPoints = 4;
        if (!digits(n) || n < 1 || n > kMostPoints || p == end || !IsSpace(*p)) return false;
        skipSpace();
        if (!key("V")) return false;
        int32_t points[kMostPoints];
        const int32_t vertexCount = static_cast<int32_t>(object.vertices.size());
        for (int32_t k = 0; k < n; ++k) {
            skipSpace();
            if (!digits(points[k]) || points[k] >= vertexCount) return false;
            if (p != end && !IsSpace(*p) && *p != ')') return false;
        }
        skipSpace();
        if (p == end || *p++ != ')') return false;
        skipSpace();
        int32_t material = -1;
        if (key("M")) {
            skipSpace();
            const bool negative = p != end && *p == '-';
            if (negative) ++p;
            if (!digits(material)) return false;
            // Every negative number means none ("-0" is 0).
            if (negative && material != 0) material = -1;
            skipSpace();
            if (p == end || *p++ != ')') return false;
            skipSpace();
        }
        SceneUv uvs[kMostPoints];
        bool hasUv = false;
        if (key("UV")) {
            const char* const close =
                static_cast<const char*>(std::memchr(p, ')', static_cast<size_t>(end - p)));
            if (!close) return false;
            for (int32_t k = 0; k < 2 * n; ++k) {
                while (p != close && IsSpace(*p)) ++p;
                float value;
                if (p == close || !ParseFloatWord(p, close, value)) return false;
                (k % 2 ? uvs[k / 2].v : uvs[k / 2].u) = value;
            }
            while (p != close && IsSpace(*p)) ++p;
            if (p != close) return false;
            p = close + 1;
            hasUv = true;
            skipSpace();
        }
        if (p != end) return false;
        object.AddFace(points, hasUv ? uvs : nullptr, static_cast<uint32_t>(n), material);
        return true;
    }

    std::string_view text_;
    LineCursor lines_;
    const std::string& fileName_;
    Scene& scene_;
    std::string& error_;
    bool materialsSeen_ = false;
    std::string_view indent_;  // of the last object's first line
    std::vector<std::string> binaryKeys_;
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
