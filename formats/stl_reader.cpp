// Reader of STL files, binary and ASCII, one pass over the bytes.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/little_endian.h"
#include "formats/number_text.h"
#include "formats/shown_text.h"
#include "formats/stl_format.h"
#include "formats/text_scan.h"

namespace {

// A binary file: an 80-byte header, a 32-bit triangle count, and per
// triangle a normal, three corners and a 16-bit attribute, all little-endian.
constexpr size_t kHeaderBytes = 80;
constexpr size_t kBodyStart = 84;
constexpr size_t kTriangleBytes = 50;

// The vertices of one object by the exact bits of their position, so that
// the corners of the triangles around a vertex become that one vertex: a
// flat open-addressing table, as every corner asks it once.
class VertexTable {
public:
    // Forgets every position and makes room for about `vertices` of them.
    void Reset(size_t vertices) {
        size_t capacity = 64;
        while (capacity < 2 * vertices) capacity *= 2;
        slots_.assign(capacity, Slot{{0, 0, 0}, -1});
        mask_ = capacity - 1;
        used_ = 0;
    }

    // Makes room for about `vertices` positions without a step by step growth.
    void Reserve(size_t vertices) {
        size_t capacity = slots_.size();
        while (capacity < 2 * vertices) capacity *= 2;
        if (capacity > slots_.size()) Rehash(capacity);
    }

    // The index of the vertex at `xyz` (the bits of its coordinates), added
    // to `vertices` when new. Expects Reset to have been called.
    int32_t FindOrAdd(const uint32_t xyz[3], std::vector<ScenePoint>& vertices) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        uint32_t key[3];
        KeyOf(xyz, key);
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            Slot& slot = slots_[i];
            if (slot.index < 0) {
                slot = Slot{{key[0], key[1], key[2]}, static_cast<int32_t>(vertices.size())};
                ++used_;
                ScenePoint point;
                std::memcpy(&point.x, &xyz[0], 4);
                std::memcpy(&point.y, &xyz[1], 4);
                std::memcpy(&point.z, &xyz[2], 4);
                vertices.push_back(point);
                return slot.index;
            }
            if (slot.key[0] == key[0] && slot.key[1] == key[1] && slot.key[2] == key[2])
                return slot.index;
        }
    }

    // The slot where the search for `xyz` begins, for the caller to fetch
    // ahead: the slots of a large table lie far apart, and a search a few
    // corners later then need not wait for memory. (A prefetch in a member
    // function is dropped: GCC takes the function for one without effects.)
    const void* SlotOf(const uint32_t xyz[3]) const {
        uint32_t key[3];
        KeyOf(xyz, key);
        return &slots_[Home(key)];
    }

private:
    struct Slot {
        uint32_t key[3];
        int32_t index;  // -1: empty
    };

    // -0 is at the same position as +0.
    static void KeyOf(const uint32_t xyz[3], uint32_t key[3]) {
        for (int i = 0; i < 3; ++i) key[i] = xyz[i] == 0x80000000u ? 0 : xyz[i];
    }

    size_t Home(const uint32_t key[3]) const {
        // Every bit of the key reaches the low bits: the coordinates of a
        // grid differ in a few high bits of their mantissas, their low bits
        // all zero.
        uint64_t h = uint64_t(key[0]) * 0x9E3779B97F4A7C15ull ^
                     uint64_t(key[1]) * 0xC2B2AE3D27D4EB4Full ^
                     uint64_t(key[2]) * 0x165667B19E3779F9ull;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ull;
        h ^= h >> 33;
        return static_cast<size_t>(h) & mask_;
    }

    void Grow() { Rehash(slots_.size() * 2); }

    void Rehash(size_t capacity) {
        std::vector<Slot> old(capacity, Slot{{0, 0, 0}, -1});
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.index < 0) continue;
            size_t i = Home(slot.key);
            while (slots_[i].index >= 0) i = (i + 1) & mask_;
            slots_[i] = slot;
        }
    }

    std::vector<Slot> slots_;  // Reset makes the first
    size_t mask_ = 0;  // the slot count less one
    size_t used_ = 0;
};

constexpr uint64_t kEachByte = 0x0101010101010101ull;

// The top bit of each byte of `w` that is zero, exactly: no carry crosses
// bytes.
uint64_t ZeroBytes(uint64_t w) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((w & kLow7) + kLow7) | w | kLow7);
}

// The offset of the first line end (LF or CR) in the 32 bytes at `p`, or 32
// when there is none: eight bytes at a time, without a branch a byte.
size_t LineEndWithin32(const char* p) {
    for (size_t i = 0; i < 32; i += 8) {
        const uint64_t w = LoadLittle64(p + i);
        const uint64_t ends = ZeroBytes(w ^ ('\n' * kEachByte)) | ZeroBytes(w ^ ('\r' * kEachByte));
        if (ends) return i + static_cast<size_t>(__builtin_ctzll(ends)) / 8;
    }
    return 32;
}

// The bits of the corners whose texts were read lately, by those texts'
// bytes: a vertex is a corner of about six facets, written each time with
// the same text, most often a few hundred facets apart, and finding its
// text costs less than parsing three numbers. A text is the rest of a
// corner's line, of up to 32 bytes, kept whole, so that a hit is the same
// text and parses the same; with it, where its third word begins, and the
// vertex it was found to be, so that a hit asks the vertex table nothing.
class CornerTextCache {
public:
    static constexpr size_t kLongest = 32;

    // What is remembered of a text. `vertex` is the vertex of the solid
    // that `batch` (a serial of the reader's batches of corners) found; in
    // the batch that is still being read, the index of the corner within it.
    struct Remembered {
        uint32_t xyz[3];
        uint32_t third;
        int32_t vertex;
        uint32_t batch;
    };

    CornerTextCache() : entries_(new Entry[kEntries]()) {}

    // What is remembered for the `size` bytes at `text`, or null. Expects
    // kLongest bytes readable at `text` and `size` at most kLongest.
    Remembered* Find(const char* text, size_t size) {
        Key key(text, size);
        Entry& e = entries_[key.Slot()];
        return key.Is(e.key) ? &e.remembered : nullptr;
    }

    // Remembers `xyz` and `third` for the text, as Find expects it, and
    // gives the entry for the caller to note its vertex in.
    Remembered* Add(const char* text, size_t size, const uint32_t xyz[3], size_t third) {
        Key key(text, size);
        Entry& e = entries_[key.Slot()];
        e.key = key;
        std::memcpy(e.remembered.xyz, xyz, sizeof e.remembered.xyz);
        e.remembered.third = static_cast<uint32_t>(third);
        return &e.remembered;
    }

private:
    static constexpr int kEntryBits = 12;
    static constexpr size_t kEntries = size_t(1) << kEntryBits;

    // The text's bytes in four words, those past its end zero, and its size.
    struct Key {
        uint64_t word[4] = {};
        uint64_t size = 0;  // 0: an empty entry, as no corner's text is empty

        Key() = default;
        Key(const char* text, size_t n) : size(n) {
            for (size_t i = 0; i < 4; ++i) {
                const size_t bytes = n > 8 * i ? n - 8 * i : 0;
                const uint64_t mask = bytes >= 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * bytes)) - 1;
                word[i] = LoadLittle64(text + 8 * i) & mask;
            }
        }
        bool Is(const Key& other) const {
            return ((word[0] ^ other.word[0]) | (word[1] ^ other.word[1]) |
                    (word[2] ^ other.word[2]) | (word[3] ^ other.word[3]) |
                    (size ^ other.size)) == 0;
        }
        size_t Slot() const {
            uint64_t h = (word[0] * 0x9E3779B97F4A7C15ull) ^ (word[1] * 0xC2B2AE3D27D4EB4Full) ^
                         (word[2] * 0x165667B19E3779F9ull) ^ (word[3] * 0xff51afd7ed558ccdull) ^ size;
            h ^= h >> 29;
            return static_cast<size_t>((h * 0xc4ceb9fe1a85ec53ull) >> (64 - kEntryBits));
        }
    };
    // A cache line each.
    struct alignas(64) Entry {
        Key key;
        Remembered remembered;
    };
    std::unique_ptr<Entry[]> entries_;
};

// How many triangles ahead the table's slots are fetched: about as many as
// are read while one slot comes from memory.
constexpr uint32_t kLookAhead = 8;

// The size of a binary file of the triangle count its bytes 80 to 83 give.
// Expects at least kBodyStart bytes.
uint64_t BinarySizeOf(std::string_view bytes) {
    return kBodyStart + kTriangleBytes * uint64_t(LoadLittle32(bytes.data() + kHeaderBytes));
}

bool IsFinite(uint32_t bits) { return (bits & 0x7F800000u) != 0x7F800000u; }

bool ReadBinary(std::string_view bytes, const std::string& fileName, Scene& scene,
                std::string& error) {
    const uint32_t count = LoadLittle32(bytes.data() + kHeaderBytes);
    // The face points are numbered in 32 bits.
    if (uint64_t(count) * 3 > uint64_t(INT32_MAX)) {
        error = fileName + ": byte 80: " + std::to_string(count) +
                " triangles are more than a scene can hold";
        return false;
    }
    if (count == 0) return true;
    // The size has been checked against the count: the file holds them all.
    scene.objects.emplace_back();
    SceneObject& object = scene.objects.back();
    object.name = std::string(kStlBinaryObjectName);
    object.faceStart.resize(size_t(count) + 1);
    object.points.resize(size_t(count) * 3);
    object.uvs.resize(size_t(count) * 3);
    object.faceMaterial.assign(count, -1);
    object.faceHasUv.assign(count, 0);
    // A closed mesh has about half as many vertices as triangles.
    object.vertices.reserve(count / 2 + 3);
    VertexTable table;
    table.Reset(count / 2 + 3);
    bool attributes = false;
    const char* triangle = bytes.data() + kBodyStart;
    for (uint32_t t = 0; t < count; ++t, triangle += kTriangleBytes) {
        if (count - t > kLookAhead)
            for (int c = 0; c < 3; ++c) {
                const char* at = triangle + kLookAhead * kTriangleBytes + 12 + 12 * c;
                const uint32_t xyz[3] = {LoadLittle32(at), LoadLittle32(at + 4),
                                         LoadLittle32(at + 8)};
                __builtin_prefetch(table.SlotOf(xyz));
            }
        int32_t corners[3];
        for (int c = 0; c < 3; ++c) {
            const char* at = triangle + 12 + 12 * c;
            uint32_t xyz[3];
            for (int i = 0; i < 3; ++i) {
                xyz[i] = LoadLittle32(at + 4 * i);
                if (!IsFinite(xyz[i])) {
                    const size_t offset = static_cast<size_t>(at + 4 * i - bytes.data());
                    error = fileName + ": byte " + std::to_string(offset) + ": triangle " +
                            std::to_string(uint64_t(t) + 1) + " has a coordinate that is " +
                            ((xyz[i] & 0x7FFFFFu) ? "not a number (NaN)" : "infinite");
                    return false;
                }
            }
            corners[c] = table.FindOrAdd(xyz, object.vertices);
        }
        // Reversed: STL runs counter-clockwise seen from the front.
        int32_t* points = &object.points[size_t(t) * 3];
        points[0] = corners[2];
        points[1] = corners[1];
        points[2] = corners[0];
        object.faceStart[t + 1] = (t + 1) * 3;
        attributes = attributes || triangle[48] != 0 || triangle[49] != 0;
    }
    if (attributes)
        scene.warnings.push_back(fileName + ": not carried over: triangle attributes (colours)");
    return true;
}

// Whether a word is `keyword` (lower case), in any case: exporters write
// "SOLID" and "FACET" as well.
bool Is(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if ((word[i] | 0x20) != keyword[i]) return false;
    return true;
}

// Which bytes end a word: blanks and line ends, looked up in one load, as
// every byte of the text asks.
constexpr std::array<bool, 256> WordEnds() {
    std::array<bool, 256> ends{};
    for (unsigned char c : {' ', '\t', '\r', '\n'}) ends[c] = true;
    return ends;
}
constexpr std::array<bool, 256> kWordEnds = WordEnds();

bool IsBlankOrLineEnd(char c) { return kWordEnds[static_cast<unsigned char>(c)]; }

// Past a UTF-8 byte-order mark, which some editors put before the text.
size_t TextStart(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

// Whether the text begins, after blanks, with the word "solid".
bool BeginsWithSolid(std::string_view bytes) {
    size_t i = TextStart(bytes);
    while (i < bytes.size() && IsBlankOrLineEnd(bytes[i])) ++i;
    const std::string_view word = bytes.substr(i, 5);
    return Is(word, "solid") && (i + 5 == bytes.size() || IsBlankOrLineEnd(bytes[i + 5]));
}

// A keyword of up to 8 letters, lower case, as the bytes of a little-endian
// word, with the mask of its bytes.
struct Keyword {
    std::string_view text;
    uint64_t bytes;
    uint64_t mask;
};

constexpr Keyword MakeKeyword(std::string_view text) {
    uint64_t bytes = 0;
    for (size_t i = 0; i < text.size(); ++i) bytes |= uint64_t(uint8_t(text[i])) << (8 * i);
    return Keyword{text, bytes, text.size() == 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * text.size())) - 1};
}

// Setting bit 5 of a byte takes an upper-case letter to its lower case, and
// no other byte to a lower-case letter.
constexpr uint64_t kLowerCase = 0x2020202020202020ull;
constexpr Keyword kFacet = MakeKeyword("facet"), kOuter = MakeKeyword("outer"),
                  kLoop = MakeKeyword("loop"), kVertex = MakeKeyword("vertex"),
                  kEndloop = MakeKeyword("endloop"), kEndfacet = MakeKeyword("endfacet"),
                  kEndsolid = MakeKeyword("endsolid");

// Where the first "endsolid", in any case, begins in [from, end), or `end`.
// Of the words within a solid only "solid" and "endsolid" hold an 's': the
// search stops only at the bytes that are 's' or 'S', found eight at a time.
const char* FindEndsolid(const char* from, const char* end) {
    const char* p = from;
    for (;;) {
        while (end - p >= 8) {
            const uint64_t esses = ZeroBytes((LoadLittle64(p) | kLowerCase) ^ ('s' * kEachByte));
            if (esses) {
                p += __builtin_ctzll(esses) / 8;
                break;
            }
            p += 8;
        }
        while (p != end && (*p | 0x20) != 's') ++p;
        // The 's' is the fourth letter of "endsolid".
        if (end - p < 5) return end;
        if (p - from >= 3 && (LoadLittle64(p - 3) | kLowerCase) == kEndsolid.bytes) return p - 3;
        ++p;
    }
}

// An ASCII file: "solid NAME", then per facet "facet normal X Y Z", "outer
// loop", "vertex X Y Z" per corner, "endloop", "endfacet", and "endsolid
// NAME"; solids one after the other. The words are read as they come,
// whatever the lines: only a solid's name is the rest of its line.
class AsciiParser {
    struct Key;  // a corner read, below

public:
    AsciiParser(std::string_view text, const std::string& fileName, Scene& scene,
                std::string& error)
        : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()),
          fileName_(fileName), scene_(scene), error_(error) {
        p_ += TextStart(text);
    }

    bool Parse() {
        int solids = 0;
        for (SkipBlanks(); p_ != end_; SkipBlanks()) {
            const std::string_view word = Word();
            if (!Is(word, "solid")) return Unexpected(word, "\"solid\"");
            const std::string_view name = Trim(RestOfLine());
            ++solids;
            scene_.objects.emplace_back();
            scene_.objects.back().name =
                name.empty() ? "stl" + std::to_string(solids) : std::string(name);
            if (!ParseSolid(scene_.objects.back())) return false;
            // A solid without facets holds nothing the scene keeps.
            if (scene_.objects.back().FaceCount() == 0) scene_.objects.pop_back();
        }
        return true;
    }

private:
    bool ParseSolid(SceneObject& object) {
        table_.Reset(256);
        solidBatch_ = batch_;
        const char* const start = p_;
        bool reserved = false;
        for (;;) {
            SkipBlanks();
            const char* const facet = p_;
            if (!TakeWord(kFacet)) {
                if (TakeWord(kEndsolid)) {
                    RestOfLine();  // its name, if any, need not repeat the solid's
                    AddFacets(object);
                    if (reserved) ReleaseSpare(object);
                    return true;
                }
                const std::string_view word = Word();
                if (word.empty()) return AtEnd("\"endsolid\"");
                return Unexpected(word, "\"facet\" or \"endsolid\"");
            }
            const size_t facetStart = keys_.size();
            RestOfLine();  // the normal, which the scene does not keep
            if (!Expect(kOuter) || !Expect(kLoop)) return false;
            for (;;) {
                SkipBlanks();
                if (!TakeWord(kVertex)) {
                    if (TakeWord(kEndloop)) break;
                    const std::string_view next = Word();
                    if (next.empty()) return AtEnd("\"endloop\"");
                    return Unexpected(next, "\"vertex\" or \"endloop\"");
                }
                Key key;
                if (!Corner(key)) return false;
                keys_.push_back(key);
            }
            const size_t corners = keys_.size() - facetStart;
            if (corners < 3)
                return Fail(facet, "a facet needs at least 3 vertices, this one has " +
                                       std::to_string(corners));
            if (!Expect(kEndfacet)) return false;
            sizes_.push_back(static_cast<uint32_t>(corners));
            if (keys_.size() < kBatch) continue;
            if (!reserved) Reserve(object, start);
            reserved = true;
            AddFacets(object);
        }
    }

    // Makes room in `object` for as many more facets as the rest of the
    // solid (up to its "endsolid") holds at the bytes per facet of the first
    // batch, read from `start`: faces, corners and vertices then grow in
    // place, instead of being moved to new pages at every doubling, which
    // cost more than the parsing. The solids that follow are not counted, so
    // that each solid's room is its own size and not the rest of the file's.
    // Expects a first batch of facets read and not yet added.
    void Reserve(SceneObject& object, const char* start) {
        const char* const solidEnd = FindEndsolid(p_, end_);
        const double bytesPerCorner = double(p_ - start) / double(keys_.size());
        const double cornersPerFacet = double(keys_.size()) / double(sizes_.size());
        const size_t corners =
            keys_.size() + static_cast<size_t>(double(solidEnd - p_) / bytesPerCorner * 1.02);
        const size_t facets = static_cast<size_t>(double(corners) / cornersPerFacet) + 1;
        object.points.reserve(corners);
        object.uvs.reserve(corners);
        object.faceStart.reserve(facets + 1);
        object.faceMaterial.reserve(facets);
        object.faceHasUv.reserve(facets);
        // A closed mesh of triangles has about half as many vertices as faces.
        object.vertices.reserve(corners / 6 + 3);
        table_.Reserve(corners / 6 + 3);
    }

    // Gives back what Reserve took beyond the solid's needs, as when its
    // later facets take more bytes a corner than its first.
    static void ReleaseSpare(SceneObject& object) {
        const auto release = [](auto& items) {
            if (items.capacity() - items.size() > items.size() / 4) items.shrink_to_fit();
        };
        release(object.points);
        release(object.uvs);
        release(object.faceStart);
        release(object.faceMaterial);
        release(object.faceHasUv);
        release(object.vertices);
    }

    // Makes faces of the facets read since the last call, their corners
    // looked up a batch at a time so that the look-ups overlap.
    void AddFacets(SceneObject& object) {
        constexpr size_t kAhead = 16;
        indices_.resize(keys_.size());
        for (size_t i = 0; i < keys_.size(); ++i) {
            if (i + kAhead < keys_.size() && keys_[i + kAhead].vertex == kLookUp)
                __builtin_prefetch(table_.SlotOf(keys_[i + kAhead].xyz));
            const int32_t vertex = keys_[i].vertex;
            indices_[i] = vertex >= 0        ? vertex
                          : vertex == kLookUp ? table_.FindOrAdd(keys_[i].xyz, object.vertices)
                                              : indices_[size_t(kSameAs - vertex)];
        }
        // An entry that a later text of the batch took over is noted again
        // for that text's corner, and so written last for it.
        for (const Noted& n : noted_) n.entry->vertex = indices_[size_t(n.corner)];
        noted_.clear();
        ++batch_;
        // The faces' arrays grow once a batch, rather than once a face.
        const size_t first = object.points.size();
        object.points.resize(first + keys_.size());
        object.uvs.resize(first + keys_.size());
        object.faceMaterial.resize(object.faceMaterial.size() + sizes_.size(), -1);
        object.faceHasUv.resize(object.faceHasUv.size() + sizes_.size(), 0);
        int32_t* points = object.points.data() + first;
        const int32_t* corners = indices_.data();
        for (uint32_t size : sizes_) {
            // Reversed: STL runs counter-clockwise seen from the front. A
            // facet of more corners is kept whole, as a polygon.
            std::reverse_copy(corners, corners + size, points);
            points += size;
            corners += size;
            object.faceStart.push_back(static_cast<uint32_t>(points - object.points.data()));
        }
        keys_.clear();
        sizes_.clear();
    }

    void SkipBlanks() {
        while (p_ != end_ && IsBlankOrLineEnd(*p_)) ++p_;
    }

    // The word at p_, up to a blank or a line end; empty at the end of the text.
    std::string_view Word() {
        const char* const first = p_;
        while (p_ != end_ && !IsBlankOrLineEnd(*p_)) ++p_;
        if (p_ != first) last_ = first;
        return std::string_view(first, static_cast<size_t>(p_ - first));
    }

    std::string_view RestOfLine() {
        const char* const first = p_;
        // A facet's normal is most of a line: passed 32 bytes at a time.
        while (end_ - p_ >= 32) {
            const size_t n = LineEndWithin32(p_);
            p_ += n;
            if (n < 32) return std::string_view(first, static_cast<size_t>(p_ - first));
        }
        while (p_ != end_ && *p_ != '\n' && *p_ != '\r') ++p_;
        return std::string_view(first, static_cast<size_t>(p_ - first));
    }

    bool Expect(const Keyword& keyword) {
        SkipBlanks();
        if (TakeWord(keyword)) return true;
        const std::string_view word = Word();
        if (word.empty()) return AtEnd("\"" + std::string(keyword.text) + "\"");
        return Unexpected(word, "\"" + std::string(keyword.text) + "\"");
    }

    // Takes the keyword at p_, in any case, when a blank, a line end or the
    // end of the text follows it: one load and compare instead of a branch
    // a byte, but for the last bytes. Leaves the text where it was otherwise.
    bool TakeWord(const Keyword& keyword) {
        const size_t size = keyword.text.size();
        if (end_ - p_ >= 9) {
            const uint64_t word = (LoadLittle64(p_) | kLowerCase) & keyword.mask;
            if (word != keyword.bytes || !IsBlankOrLineEnd(p_[size])) return false;
        } else {
            const size_t left = static_cast<size_t>(end_ - p_);
            if (left < size || !Is(std::string_view(p_, size), keyword.text) ||
                (left > size && !IsBlankOrLineEnd(p_[size])))
                return false;
        }
        last_ = p_;
        p_ += size;
        return true;
    }

    // Reads a corner's three coordinates as the bits of their floats, and
    // what its vertex is: the bits of its text when that was read lately,
    // with its vertex when that is known, or else parsed.
    bool Corner(Key& corner) {
        SkipBlanks();
        const char* const first = p_;
        // The cache reads whole words: not within its reach of the end.
        size_t size = CornerTextCache::kLongest;
        if (static_cast<size_t>(end_ - first) >= size) {
            size = LineEndWithin32(first);
            while (size > 0 && IsSpace(first[size - 1])) --size;
        }
        const bool cached = size > 0 && size < CornerTextCache::kLongest;
        const int32_t index = static_cast<int32_t>(keys_.size());
        CornerTextCache::Remembered* r = cached ? corners_.Find(first, size) : nullptr;
        if (r) {
            std::memcpy(corner.xyz, r->xyz, sizeof corner.xyz);
            p_ = first + size;
            last_ = first + r->third;
            if (r->batch == batch_) {
                corner.vertex = kSameAs - r->vertex;
                return true;
            }
            if (r->batch >= solidBatch_) {
                corner.vertex = r->vertex;
                return true;
            }
        } else {
            for (int i = 0; i < 3; ++i)
                if (!Coordinate(corner.xyz[i])) return false;
            // Only a text that is the three coordinates and nothing more.
            if (!cached || p_ != first + size) {
                corner.vertex = kLookUp;
                return true;
            }
            r = corners_.Add(first, size, corner.xyz, static_cast<size_t>(last_ - first));
        }
        // A text new to this solid: its vertex is looked up with the batch,
        // and noted for the corners after it.
        corner.vertex = kLookUp;
        r->batch = batch_;
        r->vertex = index;
        noted_.push_back({r, index});
        return true;
    }

    // Reads a coordinate as the bits of its float.
    bool Coordinate(uint32_t& bits) {
        SkipBlanks();
        const char* const first = p_;
        float value;
        if (p_ != end_ && ParseFloatWord(p_, end_, value)) {
            last_ = first;
            std::memcpy(&bits, &value, 4);
            return true;
        }
        p_ = first;
        const std::string_view word = Word();
        if (word.empty()) return AtEnd("a coordinate");
        // A number all the same, but none that a float holds.
        double wide;
        const auto result = std::from_chars(word.data(), word.data() + word.size(), wide);
        if (result.ptr == word.data() + word.size() && result.ec != std::errc::invalid_argument)
            return Fail(word.data(), "the coordinate \"" + Shown(word) +
                                         "\" is not a finite number within a float's range");
        return Unexpected(word, "a coordinate");
    }

    // A word of the file as a message quotes it: a long run of bytes
    // without blanks (a binary file, say) is cut short.
    static std::string Shown(std::string_view word) {
        constexpr size_t kShown = 40;
        return word.size() <= kShown ? ShownText(word) : ShownText(word.substr(0, kShown)) + "...";
    }

    bool Unexpected(std::string_view word, const std::string& expected) {
        return Fail(word.data(), "expected " + expected + ", found \"" + Shown(word) + "\"");
    }

    // The text ends where `expected` should come: the line of the last word.
    bool AtEnd(const std::string& expected) {
        return Fail(last_, "the file ends where " + expected + " is expected");
    }

    // The error at `at`, on the line it is on: a line ends at LF, CR LF or
    // a lone CR. Counted only here, so that reading need not count.
    bool Fail(const char* at, const std::string& message) {
        size_t line = 1;
        for (const char* c = begin_; c < at; ++c)
            line += *c == '\n' || (*c == '\r' && (c + 1 == end_ || c[1] != '\n'));
        error_ = fileName_ + ":" + std::to_string(line) + ": " + message;
        return false;
    }

    const char* const begin_;
    const char* p_;
    const char* const end_;
    const char* last_ = nullptr;  // the last word read
    const std::string& fileName_;
    Scene& scene_;
    std::string& error_;
    VertexTable table_;
    CornerTextCache corners_;
    // The corners of the facets read and not yet made faces, in file order,
    // and the facets' sizes. A corner's vertex is its index when known,
    // kLookUp when the table is to be asked, or kSameAs - i when it is the
    // vertex of corner i of the batch.
    struct Key {
        uint32_t xyz[3];
        int32_t vertex;
    };
    static constexpr int32_t kLookUp = -1;
    static constexpr int32_t kSameAs = -2;
    static constexpr size_t kBatch = 1024;
    std::vector<Key> keys_;
    std::vector<uint32_t> sizes_;
    std::vector<int32_t> indices_;
    // The cache entries whose vertex the batch finds, with their corners.
    struct Noted {
        CornerTextCache::Remembered* entry;
        int32_t corner;
    };
    std::vector<Noted> noted_;
    uint32_t batch_ = 1;       // the serial of the batch being read
    uint32_t solidBatch_ = 1;  // the serial of the solid's first batch
};

}  // namespace

bool IsBinaryStl(std::string_view bytes) {
    return bytes.size() >= kBodyStart && BinarySizeOf(bytes) == bytes.size();
}

bool ReadStl(std::string_view bytes, const std::string& fileName, Scene& scene,
             std::string& error) {
    scene = Scene{};
    scene.encoding = TextEncoding::Utf8;
    bool read = false;
    if (bytes.empty()) {
        error = fileName + ": byte 0: the file is empty";
    } else if (IsBinaryStl(bytes)) {
        read = ReadBinary(bytes, fileName, scene, error);
    } else if (BeginsWithSolid(bytes)) {
        read = AsciiParser(bytes, fileName, scene, error).Parse();
        // A binary file whose header begins with "solid" but whose size is
        // wrong reads as broken text: say what it would be as binary.
        if (!read && bytes.size() >= kBodyStart && std::memchr(bytes.data(), 0, bytes.size()))
            error += " (or, read as a binary STL, its size " + std::to_string(bytes.size()) +
                     " is not the " + std::to_string(BinarySizeOf(bytes)) +
                     " bytes its triangle count needs)";
    } else if (bytes.size() < kBodyStart) {
        error = fileName + ": byte " + std::to_string(bytes.size()) +
                ": the file ends within the 84 bytes of a binary STL's header and triangle "
                "count, and does not begin with \"solid\" as an ASCII STL does";
    } else {
        const uint32_t count = LoadLittle32(bytes.data() + kHeaderBytes);
        error = fileName + ": byte 80: the triangle count " + std::to_string(count) +
                " needs a file of " + std::to_string(BinarySizeOf(bytes)) +
                " bytes, but the file has " + std::to_string(bytes.size()) +
                " (and it does not begin with \"solid\" as an ASCII STL does)";
    }
    if (!read) return false;
    scene.source.objects = scene.objects.size();
    return true;
}
