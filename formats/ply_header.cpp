#include "formats/ply_header.h"

#include <cstring>

#include "formats/shown_text.h"
#include "formats/text_scan.h"

namespace {

struct TypeName {
    const char* name;
    PlyType type;
};
// The short names (char ... double), which most writers use, first; then
// the sized ones (int8 ... float64).
constexpr TypeName kTypeNames[] = {
    {"char", PlyType::Int8},     {"uchar", PlyType::Uint8},    {"short", PlyType::Int16},
    {"ushort", PlyType::Uint16}, {"int", PlyType::Int32},      {"uint", PlyType::Uint32},
    {"float", PlyType::Float32}, {"double", PlyType::Float64}, {"int8", PlyType::Int8},
    {"uint8", PlyType::Uint8},   {"int16", PlyType::Int16},    {"uint16", PlyType::Uint16},
    {"int32", PlyType::Int32},   {"uint32", PlyType::Uint32},  {"float32", PlyType::Float32},
    {"float64", PlyType::Float64},
};

bool TypeOf(std::string_view name, PlyType& type) {
    for (const TypeName& t : kTypeNames)
        if (name == t.name) {
            type = t.type;
            return true;
        }
    return false;
}

class HeaderParser {
public:
    HeaderParser(std::string_view bytes, const std::string& fileName, PlyHeader& header,
                 std::string& error)
        : bytes_(bytes), fileName_(fileName), header_(header), error_(error) {}

    bool Parse() {
        header_ = PlyHeader{};
        bool format = false;
        // Lines end in LF, CR LF or CR alone (as one CAD program writes
        // them); the first line's end tells whether a CR before an LF ends
        // end_header's line alone, the LF being the body's first byte.
        bool crOnly = false;
        for (size_t at = 0;;) {
            size_t end = at;
            while (end < bytes_.size() && bytes_[end] != '\n' && bytes_[end] != '\r') ++end;
            ++line_;
            std::string_view text = bytes_.substr(at, end - at);
            // A file of no bodies may end right after end_header.
            const bool last = end == bytes_.size();
            if (last && (line_ == 1 || NextWord(text) != "end_header"))
                return Fail(line_ == 1 && bytes_.substr(0, 3) != "ply"
                                ? "not a PLY file (it does not start with \"ply\")"
                                : "the header has no end_header line");
            text = bytes_.substr(at, end - at);
            const bool cr = !last && bytes_[end] == '\r';
            const bool crlf = cr && end + 1 < bytes_.size() && bytes_[end + 1] == '\n';
            at = last ? end : end + 1 + (crlf ? 1 : 0);
            if (line_ == 1) {
                if (text != "ply") return Fail("not a PLY file (it does not start with \"ply\")");
                crOnly = cr && !crlf;
                continue;
            }
            std::string_view rest = text;
            const std::string_view keyword = NextWord(rest);
            if (keyword == "comment" || keyword == "obj_info" || (keyword.empty() && rest.empty()))
                continue;
            if (keyword == "end_header") {
                if (!format) return Fail("the header has no format line");
                if (!NextWord(rest).empty()) return Fail("words after end_header");
                header_.crOnly = cr && (crOnly || !crlf);
                header_.crlf = crlf && !header_.crOnly;
                header_.bodyBegin = header_.crOnly ? end + 1 : at;
                header_.bodyLine = line_ + 1;
                return CheckCounts();
            }
            if (keyword == "format") {
                if (format) return Fail("a second format line");
                if (!ParseFormat(rest)) return false;
                format = true;
                continue;
            }
            if (keyword == "element") {
                if (!format) return Fail("an element before the format line");
                if (!ParseElement(rest)) return false;
                continue;
            }
            if (keyword == "property") {
                if (header_.elements.empty()) return Fail("a property before any element");
                if (!ParseProperty(rest)) return false;
                continue;
            }
            // Some exporters write a line of prose where a comment belongs
            // (Blender 2.4's "Created by ..."); it is passed over like one.
            if (header_.strayLines++ == 0) {
                header_.strayLine = line_;
                header_.strayText = std::string(text.substr(0, 60));
            }
        }
    }

private:
    bool Fail(const std::string& what) {
        error_ = fileName_ + ":" + std::to_string(line_) + ": " + what;
        return false;
    }

    bool ParseFormat(std::string_view rest) {
        const std::string_view encoding = NextWord(rest), version = NextWord(rest);
        if (encoding == "ascii") header_.encoding = PlyEncoding::Ascii;
        else if (encoding == "binary_little_endian") header_.encoding = PlyEncoding::BinaryLittleEndian;
        else if (encoding == "binary_big_endian") header_.encoding = PlyEncoding::BinaryBigEndian;
        else
            return Fail("unknown format \"" + ShownText(encoding) +
                        "\" (expected ascii, binary_little_endian or binary_big_endian)");
        if (version != "1.0" || !NextWord(rest).empty())
            return Fail("expected \"format " + std::string(encoding) + " 1.0\"");
        return true;
    }

    bool ParseElement(std::string_view rest) {
        const std::string_view name = NextWord(rest);
        const std::string_view countWord = NextWord(rest);
        if (name.empty() || countWord.empty() || !NextWord(rest).empty())
            return Fail("expected \"element NAME COUNT\"");
        uint64_t count = 0;
        for (char c : countWord) {
            if (c < '0' || c > '9' || count > (UINT64_MAX - 9) / 10)
                return Fail("bad element count \"" + ShownText(countWord) + "\"");
            count = count * 10 + static_cast<uint64_t>(c - '0');
        }
        PlyElement element;
        element.name = std::string(name);
        element.count = count;
        element.line = line_;
        // The count word's place in the file, for a writer that changes it.
        element.countText = {static_cast<size_t>(countWord.data() - bytes_.data()), countWord.size()};
        header_.elements.push_back(std::move(element));
        return true;
    }

    bool ParseProperty(std::string_view rest) {
        PlyProperty property;
        std::string_view word = NextWord(rest);
        if (word == "list") {
            property.list = true;
            const std::string_view countType = NextWord(rest);
            if (!TypeOf(countType, property.countType))
                return Fail("unknown type \"" + ShownText(countType) + "\"");
            if (!PlyTypeIsInteger(property.countType))
                return Fail("a list's length type must be an integer type, not \"" +
                            std::string(countType) + "\"");
            word = NextWord(rest);
        }
        if (!TypeOf(word, property.type)) return Fail("unknown type \"" + ShownText(word) + "\"");
        const std::string_view name = NextWord(rest);
        if (name.empty() || !NextWord(rest).empty())
            return Fail(property.list ? "expected \"property list COUNTTYPE TYPE NAME\""
                                      : "expected \"property TYPE NAME\"");
        property.name = std::string(name);
        property.line = line_;
        PlyElement& element = header_.elements.back();
        const bool binary = header_.Binary();
        element.minRecordSize +=
            binary ? PlyTypeSize(property.list ? property.countType : property.type) : 2;
        element.hasList = element.hasList || property.list;
        element.properties.push_back(std::move(property));
        return true;
    }

    // Each record takes at least its least size: counts that the bytes after
    // the header cannot hold are refused before anything is made for them.
    bool CheckCounts() {
        // The last word of an ASCII body needs no blank after it.
        uint64_t room = bytes_.size() - header_.bodyBegin + (header_.Binary() ? 0 : 1);
        for (const PlyElement& element : header_.elements) {
            const uint64_t size = element.minRecordSize;
            if (size == 0) continue;
            if (element.count > room / size) {
                line_ = element.line;
                return Fail("element \"" + ShownText(element.name) + "\" has " +
                            std::to_string(element.count) + " records, more than the " +
                            std::to_string(bytes_.size() - header_.bodyBegin) +
                            " bytes after the header can hold");
            }
            room -= element.count * size;
        }
        return true;
    }

    std::string_view bytes_;
    const std::string& fileName_;
    PlyHeader& header_;
    std::string& error_;
    int line_ = 0;
};

}  // namespace

uint64_t PlyTypeMax(PlyType type) {
    switch (type) {
    case PlyType::Int8: return 127;
    case PlyType::Uint8: return 255;
    case PlyType::Int16: return 32767;
    case PlyType::Uint16: return 65535;
    case PlyType::Int32: return INT32_MAX;
    default: return UINT32_MAX;
    }
}

const char* PlyTypeName(PlyType type) { return kTypeNames[static_cast<int>(type)].name; }

int PlyElement::Find(std::string_view name, bool list) const {
    for (size_t i = 0; i < properties.size(); ++i)
        if (properties[i].name == name && properties[i].list == list) return static_cast<int>(i);
    return -1;
}

int PlyHeader::Find(std::string_view name) const {
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i].name == name) return static_cast<int>(i);
    return -1;
}

PlyMeshLayout PlyMeshLayoutOf(const PlyHeader& header) {
    PlyMeshLayout layout;
    layout.vertex = header.Find("vertex");
    layout.face = header.Find("face");
    if (layout.face >= 0) {
        const PlyElement& face = header.elements[layout.face];
        layout.indices = face.Find("vertex_indices", true);
        if (layout.indices < 0) layout.indices = face.Find("vertex_index", true);
        layout.texcoord = face.Find("texcoord", true);
    }
    layout.strips = header.Find("tristrips");
    if (layout.strips >= 0)
        layout.stripIndices = header.elements[layout.strips].Find("vertex_indices", true);
    if (layout.vertex < 0) return layout;
    const PlyElement& vertex = header.elements[layout.vertex];
    const char* const axes[] = {"x", "y", "z"};
    for (int a = 0; a < 3; ++a) layout.xyz[a] = vertex.Find(axes[a], false);
    if (layout.texcoord >= 0) return layout;
    static constexpr const char* kUvNames[][2] = {{"s", "t"}, {"u", "v"}, {"texture_u", "texture_v"}};
    for (const auto& pair : kUvNames) {
        const int u = vertex.Find(pair[0], false), v = vertex.Find(pair[1], false);
        if (u < 0 || v < 0) continue;
        layout.u = u;
        layout.v = v;
        break;
    }
    return layout;
}

bool ParsePlyHeader(std::string_view bytes, const std::string& fileName, PlyHeader& header,
                    std::string& error) {
    return HeaderParser(bytes, fileName, header, error).Parse();
}

std::string PlyBodyError(const std::string& fileName, const PlyHeader& header, PlyCursor cursor,
                         const std::string& what) {
    if (header.Binary()) return fileName + ": byte " + std::to_string(cursor.at) + ": " + what;
    return fileName + ":" + std::to_string(cursor.line) + ": " + what;
}

bool ParsePlyInteger(std::string_view word, int64_t& value) {
    const bool negative = !word.empty() && word[0] == '-';
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.remove_prefix(1);
    if (word.empty() || word.size() > 18) return false;
    int64_t n = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    value = negative ? -n : n;
    return true;
}

namespace {

std::string Cut(const PlyElement& element, uint64_t record) {
    return "the file ends within record " + std::to_string(record + 1) + " of element \"" +
           ShownText(element.name) + "\"";
}

}  // namespace

std::string PlyLineTooLong(const PlyElement& element) {
    return "more values on the line than element \"" + ShownText(element.name) + "\" declares";
}

namespace {

template <bool Big>
bool SkipBinary(std::string_view bytes, const PlyElement& element, PlyCursor& cursor,
                std::string& what) {
    const size_t size = bytes.size();
    if (!element.hasList) {
        // Fixed-size records, passed in one step; CheckCounts keeps the
        // product in range.
        const uint64_t total = element.count * element.minRecordSize;
        if (total > size - cursor.at) {
            const uint64_t whole = (size - cursor.at) / element.minRecordSize;
            cursor.at += static_cast<size_t>(whole * element.minRecordSize);
            what = Cut(element, whole);
            return false;
        }
        cursor.at += static_cast<size_t>(total);
        return true;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (uint64_t r = 0; r < element.count; ++r)
        for (const PlyProperty& property : element.properties) {
            const size_t head = PlyTypeSize(property.list ? property.countType : property.type);
            if (size - cursor.at < head) {
                what = Cut(element, r);
                return false;
            }
            if (!property.list) {
                cursor.at += head;
                continue;
            }
            const int64_t length = PlyLoadInteger<Big>(data + cursor.at, property.countType);
            if (length < 0) {
                what = "negative list length " + std::to_string(length);
                return false;
            }
            const uint64_t items = uint64_t(length);
            const size_t itemSize = PlyTypeSize(property.type);
            if (items > (size - cursor.at - head) / itemSize) {
                what = "list length " + std::to_string(length) + " runs past the end of the file";
                return false;
            }
            cursor.at += head + static_cast<size_t>(items) * itemSize;
        }
    return true;
}

bool SkipAscii(std::string_view bytes, const PlyHeader& header, const PlyElement& element,
               PlyCursor& cursor, std::string& what) {
    if (element.properties.empty()) return true;
    PlyWords words(bytes, cursor, header.crOnly);
    std::string_view word;
    for (uint64_t r = 0; r < element.count; ++r) {
        for (const PlyProperty& property : element.properties) {
            if (!words.Next(word)) {
                cursor = words.Cursor();
                what = Cut(element, r);
                return false;
            }
            if (!property.list) {
                words.Pass();
                continue;
            }
            int64_t length;
            if (!ParsePlyInteger(word, length) || length < 0 ||
                uint64_t(length) > (bytes.size() - cursor.at) / 2 + 1) {
                cursor = words.Cursor();
                what = "bad list length \"" + ShownText(word) + "\"";
                return false;
            }
            words.Pass();
            for (int64_t i = 0; i < length; ++i) {
                if (!words.Next(word)) {
                    cursor = words.Cursor();
                    what = Cut(element, r);
                    return false;
                }
                words.Pass();
            }
        }
        if (!words.LineEnds()) {
            cursor = words.Cursor();
            what = PlyLineTooLong(element);
            return false;
        }
    }
    cursor = words.Cursor();
    return true;
}

}  // namespace

bool SkipPlyRecords(std::string_view bytes, const PlyHeader& header, const PlyElement& element,
                    PlyCursor& cursor, const std::string& fileName, std::string& error) {
    std::string what;
    bool ok;
    switch (header.encoding) {
    case PlyEncoding::Ascii: ok = SkipAscii(bytes, header, element, cursor, what); break;
    case PlyEncoding::BinaryLittleEndian: ok = SkipBinary<false>(bytes, element, cursor, what); break;
    default: ok = SkipBinary<true>(bytes, element, cursor, what); break;
    }
    if (!ok) error = PlyBodyError(fileName, header, cursor, what);
    return ok;
}

char* PlyStore(char* p, PlyType type, double value, bool big) {
    unsigned char b[8];
    size_t n = PlyTypeSize(type);
    uint64_t bits = 0;
    switch (type) {
    case PlyType::Int8: bits = uint8_t(int8_t(value)); break;
    case PlyType::Uint8: bits = uint8_t(value); break;
    case PlyType::Int16: bits = uint16_t(int16_t(value)); break;
    case PlyType::Uint16: bits = uint16_t(value); break;
    case PlyType::Int32: bits = uint32_t(int32_t(value)); break;
    case PlyType::Uint32: bits = uint32_t(value); break;
    case PlyType::Float32: {
        const float f = static_cast<float>(value);
        uint32_t u;
        std::memcpy(&u, &f, 4);
        bits = u;
        break;
    }
    case PlyType::Float64: std::memcpy(&bits, &value, 8); break;
    }
    for (size_t i = 0; i < n; ++i) b[big ? n - 1 - i : i] = static_cast<unsigned char>(bits >> (8 * i));
    std::memcpy(p, b, n);
    return p + n;
}
