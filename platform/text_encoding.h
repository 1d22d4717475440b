// Conversion of names between Shift-JIS (code page 932), the modeller's
// encoding, and UTF-8, the encoding of Wavefront files and of the terminal.
#pragma once

#include <string>
#include <string_view>

// Converts `in` into `out`. A character that cannot be converted becomes '?'
// and makes the result false; everything else is converted regardless.
bool Utf8FromCp932(std::string_view in, std::string& out);
bool Cp932FromUtf8(std::string_view in, std::string& out);

// The UTF-8 form of a command-line argument: arguments come in the system's
// ANSI code page on Windows and in UTF-8 elsewhere.
std::string Utf8FromArgument(std::string_view argument);

// The UTF-8 form of a Shift-JIS text, for showing it.
inline std::string ShowCp932(std::string_view in) {
    std::string out;
    Utf8FromCp932(in, out);
    return out;
}
