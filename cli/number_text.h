// Numbers in mesh files: locale-independent parsing and shortest exact
// printing, so that a value read back is the value written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Parses all of `text` as a finite decimal float (a leading '+' allowed).
// Returns false for anything else, infinities and NaN included.
bool ParseFloat(std::string_view text, float& value);

// Parses all of `text` as a decimal 32-bit signed integer.
bool ParseInt(std::string_view text, int32_t& value);

// Appends the shortest fixed-point text that reads back as exactly `value`
// ("-0" for negative zero prints as "0").
void AppendFloat(std::string& out, float value);

// Appends the decimal text of `value`.
void AppendInt(std::string& out, int64_t value);
