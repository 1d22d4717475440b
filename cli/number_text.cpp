#include "cli/number_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// 10^0 to 10^22, each exact in a double.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Plain decimals ("-12.375", at most 19 digits) read without the general
// parser: m / 10^k is one correctly rounded double, and rounding that to a
// float is rounding the exact value, unless the double lies exactly midway
// between two floats (a float midpoint is itself a double, so no midpoint
// can lie between the exact value and its nearest double). Returns false
// for anything else, which the general parser reads.
bool ParsePlainDecimal(std::string_view text, float& value) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    uint64_t m = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (; p != end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            if (++digits > 19) return false;
            m = m * 10 + static_cast<uint64_t>(c - '0');
            decimals += point;
        } else if (c == '.' && !point && digits > 0) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0 || (point && decimals == 0) || m > (uint64_t(1) << 53)) return false;
    const double d = static_cast<double>(m) / kPowersOfTen[decimals];
    // Zero stays zero; below the normal floats the midpoints lie elsewhere.
    if (m != 0 && d < static_cast<double>(std::numeric_limits<float>::min())) return false;
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    // A double midway between two floats has its 29 bits beyond a float's
    // mantissa at exactly 1 followed by zeros.
    if ((bits & ((uint64_t(1) << 29) - 1)) == (uint64_t(1) << 28)) return false;
    const float f = static_cast<float>(d);
    if (!std::isfinite(f)) return false;
    value = negative ? -f : f;
    return true;
}

}  // namespace

bool ParseFloat(std::string_view text, float& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    if (ParsePlainDecimal(text, value)) return true;
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

// The shortest fixed text of `value` when it is found by scaling: the
// nearest decimal of k places, r / 10^k with r = round(value * 10^k), reads
// back as `value` when it lies within half a unit in the last place of it;
// the least k that does gives the shortest text, and r the nearest decimal
// of that length, as the general printer chooses. Every step
// is exact in doubles: value * 10^k takes at most 24 + 28 bits, r and it
// differ by at most 0.5, and half a unit times 10^k is a power of two times
// 10^k. Values where the two printers might differ go to the general one:
// a decimal exactly at the half-unit bound or exactly midway between two of
// length k, powers of two (whose lower neighbour is nearer than the upper),
// values below the normal range or of 2^24 and more, and more than 12 places.
bool AppendScaled(std::string& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    if (exponent == 0 || (bits & 0x7FFFFF) == 0 || exponent >= 127 + 24) return false;
    const double v = std::fabs(static_cast<double>(value));
    // 2^(exponent - 127 - 24), built from its bits.
    const uint64_t halfUnitBits = static_cast<uint64_t>(exponent - 127 - 24 + 1023) << 52;
    double halfUnit;
    std::memcpy(&halfUnit, &halfUnitBits, 8);
    // Adding and taking away 2^52 rounds a double below 2^52 to the nearest
    // integer, ties to even, as nearbyint does, without a call.
    constexpr double kRound = 4503599627370496.0;
    // Whether the nearest decimal of k places reads back, and how far off
    // it is (in units of its last place) against how far it may be.
    struct Try {
        double r, off, bound;
        bool fits() const { return off <= bound; }
    };
    auto attempt = [&](int k) {
        const double scaled = v * kPowersOfTen[k];
        const double r = (scaled + kRound) - kRound;
        return Try{r, std::fabs(r - scaled), halfUnit * kPowersOfTen[k]};
    };
    // A decimal that fits at k fits at every k after it (the same number has
    // one more place), so the first k that fits is searched for between 0
    // and the first k whose bound reaches half a unit, where every nearest
    // decimal fits.
    int high = 0;
    while (high < 12 && halfUnit * kPowersOfTen[high] < 0.5) ++high;
    Try found = attempt(high);
    if (!found.fits()) return false;
    int low = 0;  // every k below `low` is known not to fit
    while (low < high) {
        const int mid = (low + high) / 2;
        const Try t = attempt(mid);
        if (t.fits()) {
            high = mid;
            found = t;
        } else {
            low = mid + 1;
        }
    }
    const int k = high;
    if (found.off == 0.5 || found.off == found.bound) return false;
    uint64_t n = static_cast<uint64_t>(found.r);
    int places = k;
    while (places > 0 && n % 10 == 0) {
        n /= 10;
        --places;
    }
    char buffer[40];
    char* const end = buffer + sizeof buffer;
    char* first = end;
    if (places > 0) {
        const uint64_t unit = static_cast<uint64_t>(kPowersOfTen[places]);
        first = DigitsBackwards(end, n % unit);
        while (end - first < places) *--first = '0';
        *--first = '.';
        n /= unit;
    }
    first = DigitsBackwards(first, n);
    if (value < 0) *--first = '-';
    out.append(first, static_cast<size_t>(end - first));
    return true;
}

}  // namespace

void AppendFloat(std::string& out, float value) {
    if (value == 0) {
        out += '0';  // no "-0" in files
        return;
    }
    if (AppendScaled(out, value)) return;
    char buffer[64];  // the longest fixed float (-3.4e38 or 1e-45) fits
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

void AppendInt(std::string& out, int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, static_cast<size_t>(result.ptr - buffer));
}
