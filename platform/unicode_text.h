// UTF-8 as the platform layer checks it, the same on every platform: what
// the text conversions of each platform build on, so that both give the
// same bytes for the same invalid text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The length (1 to 4) of the valid UTF-8 sequence that `text` starts with,
// its code point in `c`; 0 when the first byte starts none (a trail byte, an
// overlong form, a surrogate, beyond U+10FFFF, cut short) or `text` is empty.
size_t Utf8Sequence(std::string_view text, uint32_t& c);

// `in` into `out` with each byte that starts no valid sequence replaced by
// `replacement`, the trail bytes right after it dropped; false when any was.
bool RepairUtf8(std::string_view in, std::string_view replacement, std::string& out);
