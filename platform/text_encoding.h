// Conversion of names between the code pages of documents (Shift-JIS, code
// page 932, the modeller's encoding, and the other Windows code pages) and
// UTF-8, the encoding of Wavefront files and of the terminal; and between
// UTF-16 and UTF-8.
#pragma once

#include <string>
#include <string_view>

// Windows code page numbers.
inline constexpr unsigned kShiftJisCodePage = 932;
inline constexpr unsigned kUtf8CodePage = 65001;

// Whether this platform converts between the Windows code page `codePage`
// (932, 949, 936, 950, 1252, 65001 for UTF-8...) and UTF-8.
bool CodePageSupported(unsigned codePage);

// Converts `in` into `out`. A character that cannot be converted (an invalid
// or truncated sequence, or a character the target lacks or has only a
// look-alike for) becomes '?' and makes the result false; everything else is
// converted regardless. For 65001 the text is checked as UTF-8 either way,
// each byte that starts no valid sequence becoming '?' with the trail bytes
// after it. A code page that is not supported gives false and `in` as it is.
bool Utf8FromCodePage(unsigned codePage, std::string_view in, std::string& out);
bool CodePageFromUtf8(unsigned codePage, std::string_view in, std::string& out);

// The same for Shift-JIS.
inline bool Utf8FromCp932(std::string_view in, std::string& out) {
    return Utf8FromCodePage(kShiftJisCodePage, in, out);
}
inline bool Cp932FromUtf8(std::string_view in, std::string& out) {
    return CodePageFromUtf8(kShiftJisCodePage, in, out);
}

// Decodes UTF-16 `bytes` (without a byte-order mark) into UTF-8 `out`, and
// encodes UTF-8 `in` as UTF-16 `out`. What cannot be converted (a lone
// surrogate or a last odd byte; a byte of `in` that starts no valid UTF-8
// sequence, with the trail bytes after it) becomes U+FFFD and makes the
// result false; everything else is converted regardless.
bool Utf8FromUtf16(std::string_view bytes, bool bigEndian, std::string& out);
bool Utf16FromUtf8(std::string_view in, bool bigEndian, std::string& out);

// The UTF-8 form of a command-line argument: arguments come in the system's
// ANSI code page on Windows and in UTF-8 elsewhere.
std::string Utf8FromArgument(std::string_view argument);

// The UTF-8 form of a Shift-JIS text, for showing it.
inline std::string ShowCp932(std::string_view in) {
    std::string out;
    Utf8FromCp932(in, out);
    return out;
}
