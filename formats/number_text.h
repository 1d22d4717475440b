// Numbers in mesh files: locale-independent parsing and shortest exact
// printing, so that a value read back is the value written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Parses all of `text` as a finite decimal float (a leading '+' allowed).
// Returns false for anything else, infinities and NaN included.
bool ParseFloat(std::string_view text, float& value);

// Parses the word at `p`, up to the first blank (' ', '\t', '\r'), line
// end ('\n') or `end`, as ParseFloat parses it, and moves `p` to the word's
// end.
bool ParseFloatWord(const char*& p, const char* end, float& value);

// Parses all of `text` as a decimal 32-bit signed integer.
bool ParseInt(std::string_view text, int32_t& value);

// The most bytes FormatFloat and FormatInt write: the fixed text of the
// least float, -0.000...0001 with 45 places, and of the least 64-bit integer.
inline constexpr size_t kMaxFloatText = 48;
inline constexpr size_t kMaxIntText = 20;

// Writes at `out` the shortest fixed-point text that reads back as exactly
// `value` ("-0" for negative zero prints as "0"); returns its end. Expects
// room for kMaxFloatText bytes.
char* FormatFloat(char* out, float value);

// Writes at `out` the fixed text of `value` with six places, rounded to
// nearest (ties to even) from its exact binary value ("-0.500000",
// "1.000000"; a "-" only when the rounded value is not zero); returns its
// end. Integer arithmetic on the float's bits, so that every platform writes
// the same bytes. Meant for unit vectors' components: a value of 2^20 or
// more, or not finite, gets FormatFloat's text instead. Expects room for
// kMaxFloatText bytes.
char* FormatSixPlaces(char* out, float value);

// Writes at `out` the decimal text of `value`; returns its end. Expects room
// for kMaxIntText bytes.
char* FormatInt(char* out, int64_t value);

// Append the same texts to a string.
void AppendFloat(std::string& out, float value);
void AppendInt(std::string& out, int64_t value);
