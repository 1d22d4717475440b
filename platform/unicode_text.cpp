// UTF-8 checking and the conversions between UTF-16 and UTF-8, which need no
// system tables: one implementation for every platform.
#include "platform/unicode_text.h"

#include "platform/text_encoding.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool IsTrail(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The position after the invalid byte at `i` and the trail bytes after it.
size_t SkipInvalid(std::string_view text, size_t i) {
    ++i;
    while (i < text.size() && IsTrail(static_cast<unsigned char>(text[i]))) ++i;
    return i;
}

void AppendUtf8(uint32_t c, std::string& out) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void AppendUnit(uint32_t unit, bool bigEndian, std::string& out) {
    const char high = char(unit >> 8), low = char(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

}  // namespace

size_t Utf8Sequence(std::string_view text, uint32_t& c) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    // The range of the second byte depends on the lead byte: it rules out
    // overlong forms, surrogates and what lies beyond U+10FFFF.
    size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    const auto second = static_cast<unsigned char>(text[1]);
    if (second < low || second > high) return 0;
    uint32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!IsTrail(byte)) return 0;
        value = value << 6 | (byte & 0x3F);
    }
    c = value;
    return length;
}

bool RepairUtf8(std::string_view in, std::string_view replacement, std::string& out) {
    out.clear();
    out.reserve(in.size());
    bool complete = true;
    for (size_t i = 0; i < in.size();) {
        uint32_t c;
        const size_t length = Utf8Sequence(in.substr(i), c);
        if (length > 0) {
            out.append(in, i, length);
            i += length;
            continue;
        }
        complete = false;
        out += replacement;
        i = SkipInvalid(in, i);
    }
    return complete;
}

bool Utf8FromUtf16(std::string_view bytes, bool bigEndian, std::string& out) {
    out.clear();
    out.reserve(bytes.size() / 2 * 3 / 2);
    auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? uint32_t(a << 8 | b) : uint32_t(b << 8 | a);
    };
    bool complete = bytes.size() % 2 == 0;
    const size_t units = bytes.size() - bytes.size() % 2;
    for (size_t i = 0; i < units; i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 2 < units) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c < 0xE000) {
            c = kReplacement;
            complete = false;
        }
        AppendUtf8(c, out);
    }
    if (units < bytes.size()) AppendUtf8(kReplacement, out);  // the last, odd byte
    return complete;
}

bool Utf16FromUtf8(std::string_view in, bool bigEndian, std::string& out) {
    out.clear();
    out.reserve(in.size() * 2);
    bool complete = true;
    for (size_t i = 0; i < in.size();) {
        uint32_t c;
        size_t length = Utf8Sequence(in.substr(i), c);
        if (length > 0) {
            i += length;
        } else {
            complete = false;
            c = kReplacement;
            i = SkipInvalid(in, i);
        }
        if (c < 0x10000) {
            AppendUnit(c, bigEndian, out);
        } else {
            AppendUnit(0xD800 + ((c - 0x10000) >> 10), bigEndian, out);
            AppendUnit(0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian, out);
        }
    }
    return complete;
}
