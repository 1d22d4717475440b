#include "cli/number_text.h"

#include <charconv>
#include <cmath>

bool ParseFloat(std::string_view text, float& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    // from_chars reports a value out of range as an error; that is what we
    // want for a coordinate that does not fit in a float.
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool ParseInt(std::string_view text, int32_t& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

void AppendFloat(std::string& out, float value) {
    if (value == 0) value = 0;  // no "-0" in files
    char buffer[64];  // the longest fixed float (-3.4e38 or 1e-45) fits
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}
