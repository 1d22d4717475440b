// FloatTextCache: the texts of recently written floats. Mesh files repeat
// their values: a .mqo document writes each UV pair once for every face
// around the corner, and a grid's coordinates recur row after row. Copying
// a remembered text costs a fraction of working it out again.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "formats/number_text.h"

class FloatTextCache {
public:
    FloatTextCache() : entries_(new Entry[kEntries]()) {}

    // Writes FormatFloat's text of `value` at `out` and returns its end.
    // Expects room for kMaxFloatText bytes.
    char* Format(char* out, float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        Entry& e = entries_[(bits * 0x9E3779B1u) >> (32 - kEntryBits)];
        if (e.size != 0 && e.bits == bits) {
            // The whole text field at once: fixed-size copies are cheap,
            // and the room asked for covers it.
            std::memcpy(out, e.text, sizeof e.text);
            return out + e.size;
        }
        char* end = FormatFloat(out, value);
        const size_t size = static_cast<size_t>(end - out);
        if (size <= sizeof e.text) {
            e.bits = bits;
            e.size = static_cast<uint8_t>(size);
            std::memcpy(e.text, out, size);
        }
        return end;
    }

private:
    static constexpr int kEntryBits = 12;
    static constexpr size_t kEntries = size_t(1) << kEntryBits;
    struct Entry {
        uint32_t bits;
        uint8_t size;  // 0: empty
        char text[27];
    };
    static_assert(sizeof(Entry::text) <= kMaxFloatText, "a remembered text fits the room asked for");
    std::unique_ptr<Entry[]> entries_;
};
