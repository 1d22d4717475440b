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

namespace {

// Writes the decimal digits of `n` backwards, ending at `end`; returns the
// first digit.
char* DigitsBackwards(char* end, uint64_t n) {
    do {
        *--end = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n);
    return end;
}

}  // namespace

void AppendFloat(std::string& out, float value) {
    if (value == 0) {
        out += '0';  // no "-0" in files
        return;
    }
    // Most values of a mesh have at most four decimals. When `value` is the
    // float nearest to k / 10^4, "k / 10^4" in decimals reads back as exactly
    // `value`, and integers print much faster than the general shortest
    // form. (scaled is exact: 24 bits times 14 bits. The double rounding in
    // the test cannot cross a midpoint between two floats, which lies at
    // least 2^-37 of its magnitude away from any k / 10^4 it is not.)
    const double scaled = static_cast<double>(value) * 10000.0;
    if (std::fabs(scaled) < 1e15) {
        const double rounded = std::nearbyint(scaled);
        if (static_cast<float>(rounded / 10000.0) == value) {
            const uint64_t k = static_cast<uint64_t>(std::fabs(rounded));
            char buffer[32];
            char* end = buffer + sizeof buffer;
            uint64_t fraction = k % 10000;
            char* first = end;
            if (fraction) {
                int digits = 4;
                while (fraction % 10 == 0) {
                    fraction /= 10;
                    --digits;
                }
                char* fractionStart = DigitsBackwards(end, fraction);
                while (end - fractionStart < digits) *--fractionStart = '0';
                first = fractionStart;
                *--first = '.';
            }
            first = DigitsBackwards(first, k / 10000);
            if (rounded < 0) *--first = '-';
            out.append(first, end);
            return;
        }
    }
    char buffer[64];  // the longest fixed float (-3.4e38 or 1e-45) fits
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}
