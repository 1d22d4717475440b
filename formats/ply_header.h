// The header of a PLY file, which its reader and its splicing writer share:
// the encoding, and each element's records as a layout of typed properties.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/little_endian.h"
#include "formats/scene.h"

enum class PlyType : uint8_t { Int8, Uint8, Int16, Uint16, Int32, Uint32, Float32, Float64 };

// The bytes of a binary value of `type`.
inline size_t PlyTypeSize(PlyType type) {
    static constexpr uint8_t kSizes[] = {1, 1, 2, 2, 4, 4, 4, 8};
    return kSizes[static_cast<int>(type)];
}
inline bool PlyTypeIsInteger(PlyType type) { return type < PlyType::Float32; }
// The greatest value of an integer `type`.
uint64_t PlyTypeMax(PlyType type);
// The type's name as a header writes it ("uchar", "float"...).
const char* PlyTypeName(PlyType type);

enum class PlyEncoding : uint8_t { Ascii, BinaryLittleEndian, BinaryBigEndian };

struct PlyProperty {
    std::string name;
    PlyType type = PlyType::Float32;  // of the value, or of a list's items
    PlyType countType = PlyType::Uint8;  // of a list's length
    bool list = false;
    int line = 0;  // of its "property" line
};

struct PlyElement {
    std::string name;
    uint64_t count = 0;
    int line = 0;           // of its "element" line
    SourceSpan countText;   // where the header writes the count
    std::vector<PlyProperty> properties;
    bool hasList = false;
    // The least bytes a record takes: in binary its scalars and list
    // lengths (all of it without a list), in ASCII two per number.
    size_t minRecordSize = 0;

    // The index of the first property named `name`, scalar or list as
    // asked; -1 when there is none.
    int Find(std::string_view name, bool list) const;
};

struct PlyHeader {
    PlyEncoding encoding = PlyEncoding::Ascii;
    std::vector<PlyElement> elements;
    size_t bodyBegin = 0;  // the byte after end_header's line end
    int bodyLine = 0;      // the line the body starts on
    bool crlf = false;     // end_header's line ends in CR LF
    bool crOnly = false;   // or in CR alone
    // Lines of no PLY keyword, passed over as comments: how many, and the
    // first one's number and text.
    size_t strayLines = 0;
    int strayLine = 0;
    std::string strayText;

    bool Binary() const { return encoding != PlyEncoding::Ascii; }
    // The line end of end_header, which new ASCII records are written with.
    std::string_view LineEnd() const { return crlf ? "\r\n" : crOnly ? "\r" : "\n"; }
    // The index of the first element named `name`; -1 when there is none.
    int Find(std::string_view name) const;
};

// Where the scene's values are in a header: the vertex and face elements
// (their first of each name) and the properties taken from them; -1 for
// what the header lacks.
struct PlyMeshLayout {
    int vertex = -1, face = -1;
    int xyz[3] = {-1, -1, -1};
    int u = -1, v = -1;  // per-vertex UVs (s t, u v or texture_u texture_v), unless texcoord
    int indices = -1;    // the face's vertex_indices (or vertex_index) list
    int texcoord = -1;   // the face's texcoord list, UVs per corner
    // Triangle strips, as some scanners write them: the tristrips element
    // and its vertex_indices list, strips parted by an index of -1.
    int strips = -1, stripIndices = -1;
};
PlyMeshLayout PlyMeshLayoutOf(const PlyHeader& header);

// Parses the header at the start of `bytes`: "ply", the format line,
// comment and obj_info lines, elements and their properties, end_header;
// lines end in LF, CR LF or CR, and the last may end the file. Checks that the records counted could fit in
// the bytes after it, so that nothing is reserved for counts a file cannot
// hold. On a bad header returns false and sets `error` to
// "NAME:LINE: what is wrong".
bool ParsePlyHeader(std::string_view bytes, const std::string& fileName, PlyHeader& header,
                    std::string& error);

// A place in a PLY body: a byte, and its line for ASCII messages.
struct PlyCursor {
    size_t at = 0;
    int line = 0;
};

// "NAME: byte OFFSET: what" (binary) or "NAME:LINE: what" (ASCII).
std::string PlyBodyError(const std::string& fileName, const PlyHeader& header, PlyCursor cursor,
                         const std::string& what);

// What a byte is to the words of an ASCII body: a table, as every byte of
// a body asks.
struct PlyCharKinds {
    // CR and LF both end a record's line, so that no line end is taken for
    // a blank; lines are counted at the body's own line end (kLineEnd), LF
    // or, where lines end in CR alone, CR; the other is kOtherEnd.
    enum : uint8_t { kWord, kBlank, kLineEnd, kOtherEnd };
    uint8_t kind[256] = {};
    constexpr explicit PlyCharKinds(bool crOnly) {
        kind[uint8_t(' ')] = kind[uint8_t('\t')] = kBlank;
        kind[uint8_t('\n')] = crOnly ? kOtherEnd : kLineEnd;
        kind[uint8_t('\r')] = crOnly ? kLineEnd : kOtherEnd;
    }
    constexpr uint8_t operator[](unsigned char c) const { return kind[c]; }
};

// The blank-separated words of an ASCII body, with the lines they are on.
class PlyWords {
    // The two tables differ only in which line end counts a line.
    static constexpr PlyCharKinds kLfKinds{false}, kCrKinds{true};
    static constexpr uint8_t kWord = PlyCharKinds::kWord, kBlank = PlyCharKinds::kBlank,
                             kLineEnd = PlyCharKinds::kLineEnd;

public:
    // Lines are counted at LF, or at CR in a body of lines that end in CR
    // alone (as its header's do).
    PlyWords(std::string_view bytes, PlyCursor cursor, bool crOnly)
        : bytes_(bytes), cursor_(cursor), kinds_(crOnly ? kCrKinds.kind : kLfKinds.kind) {}

    // The next word; false at the end of the bytes. The cursor is then at
    // the word's first byte (its line for messages), Next moving past it.
    bool Next(std::string_view& word) {
        const char* const data = bytes_.data();
        const size_t size = bytes_.size();
        size_t at = cursor_.at;
        for (; at < size; ++at) {
            const uint8_t kind = kinds_[static_cast<unsigned char>(data[at])];
            if (kind == kWord) break;
            cursor_.line += kind == kLineEnd;
        }
        cursor_.at = at;
        if (at == size) return false;
        size_t end = WordEnd(data, at + 1, size);
        word = std::string_view(data + at, end - at);
        wordEnd_ = end;
        return true;
    }
    // Moves past the word Next gave.
    void Pass() { cursor_.at = wordEnd_; }

    // Whether only blanks follow on the line (or up to the end of the
    // bytes), as at the end of a record, which has a line of its own. If
    // not, the cursor is moved to the first word that does.
    bool LineEnds() {
        const char* const data = bytes_.data();
        size_t at = cursor_.at;
        while (at < bytes_.size() && kLfKinds[static_cast<unsigned char>(data[at])] == kBlank) ++at;
        if (at == bytes_.size() || kLfKinds[static_cast<unsigned char>(data[at])] != kWord)
            return true;
        cursor_.at = at;
        return false;
    }

    PlyCursor Cursor() const { return cursor_; }

private:
    // The end of the word that goes on at `end`: eight bytes at a time to
    // the first byte of at most 0x20, where a word may end (the lowest
    // byte the subtraction flags is exact), then byte by byte near the end
    // of the text or past a control byte within the word.
    static size_t WordEnd(const char* data, size_t end, size_t size) {
        constexpr uint64_t kOnes = 0x0101010101010101ull, kTops = 0x8080808080808080ull;
        while (end + 8 <= size) {
            const uint64_t w = LoadLittle64(data + end);
            const uint64_t low = (w - 0x21 * kOnes) & ~w & kTops;
            if (!low) {
                end += 8;
                continue;
            }
            end += static_cast<size_t>(__builtin_ctzll(low)) / 8;
            if (kLfKinds[static_cast<unsigned char>(data[end])] != kWord) return end;
            ++end;
        }
        while (end < size && kLfKinds[static_cast<unsigned char>(data[end])] == kWord) ++end;
        return end;
    }

    std::string_view bytes_;
    PlyCursor cursor_;
    const uint8_t* kinds_;
    size_t wordEnd_ = 0;
};

// The message for an ASCII record whose line holds more than the element's
// properties.
std::string PlyLineTooLong(const PlyElement& element);

// Parses an ASCII integer ("-12", "+7"; at most 18 digits).
bool ParsePlyInteger(std::string_view word, int64_t& value);

// Moves `cursor` past the `count` records of `element` (whose records it is
// at the start of). On a body cut short or a bad list length returns false
// and sets `error` (see PlyBodyError).
bool SkipPlyRecords(std::string_view bytes, const PlyHeader& header, const PlyElement& element,
                    PlyCursor& cursor, const std::string& fileName, std::string& error);

// Binary numbers of either byte order, on any host: assembled from bytes.
template <bool Big>
inline uint16_t PlyLoad16(const unsigned char* p) {
    return Big ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}
template <bool Big>
inline uint32_t PlyLoad32(const unsigned char* p) {
    return Big ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
               : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}
template <bool Big>
inline uint64_t PlyLoad64(const unsigned char* p) {
    return Big ? uint64_t(PlyLoad32<true>(p)) << 32 | PlyLoad32<true>(p + 4)
               : uint64_t(PlyLoad32<false>(p + 4)) << 32 | PlyLoad32<false>(p);
}

// The binary integer of integer `type` at `p`.
template <bool Big>
inline int64_t PlyLoadInteger(const unsigned char* p, PlyType type) {
    switch (type) {
    case PlyType::Int8: return int8_t(p[0]);
    case PlyType::Uint8: return p[0];
    case PlyType::Int16: return int16_t(PlyLoad16<Big>(p));
    case PlyType::Uint16: return PlyLoad16<Big>(p);
    case PlyType::Int32: return int32_t(PlyLoad32<Big>(p));
    default: return PlyLoad32<Big>(p);
    }
}

// Stores `value` as a binary number of `type` at `p`; returns the end.
// Integers are written as `value` converted (the callers give values that
// fit).
char* PlyStore(char* p, PlyType type, double value, bool big);
