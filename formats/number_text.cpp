#include "formats/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <algorithm>
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
// can lie between the exact value and its nearest double). Reads from `p`
// up to the first character that does not continue the decimal and returns
// where it stopped; returns null for what this conversion does not take,
// which the general parser reads.
const char* ReadPlainDecimal(const char* p, const char* const end, float& value) {
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    uint64_t m = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (; p != end; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            if (++digits > 19) return nullptr;
            m = m * 10 + static_cast<uint64_t>(c - '0');
            decimals += point;
        } else if (c == '.' && !point && digits > 0) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0 || (point && decimals == 0) || m > (uint64_t(1) << 53)) return nullptr;
    const double d = static_cast<double>(m) / kPowersOfTen[decimals];
    // Zero stays zero; below the normal floats the midpoints lie elsewhere.
    if (m != 0 && d < static_cast<double>(std::numeric_limits<float>::min())) return nullptr;
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    // A double midway between two floats has its 29 bits beyond a float's
    // mantissa at exactly 1 followed by zeros.
    if ((bits & ((uint64_t(1) << 29) - 1)) == (uint64_t(1) << 28)) return nullptr;
    const float f = static_cast<float>(d);
    if (!std::isfinite(f)) return nullptr;
    value = negative ? -f : f;
    return p;
}

// A line end ends a word too, for readers that take words across lines.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether the decimal `text` (sign, digits, point, exponent, as the parser
// checked them), not zero, is less than one in magnitude.
bool BelowOne(std::string_view text) {
    size_t i = text[0] == '-' ? 1 : 0;
    // The power of ten of the first digit that is not zero, then the
    // exponent added (which saturates: a magnitude is all that counts).
    int64_t power = 0;
    bool point = false, found = false;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        if (text[i] == '.') {
            point = true;
        } else if (found) {
            power += !point;
        } else {
            power -= point;
            found = text[i] != '0';
        }
    }
    int64_t exponent = 0;
    const bool negative = i + 1 < text.size() && text[i + 1] == '-';
    for (i += i < text.size() ? 1 + (negative || text[i + 1] == '+') : 0; i < text.size(); ++i)
        exponent = std::min<int64_t>(exponent * 10 + (text[i] - '0'), int64_t(1) << 40);
    return power + (negative ? -exponent : exponent) < 0;
}

}  // namespace

bool ParseFloat(std::string_view text, float& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    if (ReadPlainDecimal(text.data(), end, value) == end) return true;
    auto result = std::from_chars(text.data(), end, value);
    if (result.ec == std::errc::result_out_of_range && result.ptr == end && BelowOne(text)) {
        // Nearer to zero than to the least float: zero, as strtof takes it.
        value = text[0] == '-' ? -0.0f : 0.0f;
        return true;
    }
    // A value beyond the float range is an error: a coordinate that does not
    // fit.
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool ParseFloatWord(const char*& p, const char* end, float& value) {
    // A plain decimal is read in the one pass that finds the word's end.
    const char* stop = ReadPlainDecimal(p, end, value);
    if (stop && (stop == end || IsBlank(*stop))) {
        p = stop;
        return true;
    }
    const char* const first = p;
    while (p != end && !IsBlank(*p)) ++p;
    return ParseFloat(std::string_view(first, static_cast<size_t>(p - first)), value);
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

// For each biased float exponent, the first number of places k at which
// half a unit in the last place, 2^(exponent - 127 - 24), times 10^k reaches
// one half (at most 12).
constexpr std::array<int8_t, 256> FirstFullPlaces() {
    std::array<int8_t, 256> table{};
    for (int exponent = 1; exponent < 255; ++exponent) {
        double halfUnit = 1;
        for (int e = exponent - 127 - 24; e < 0; ++e) halfUnit /= 2;
        for (int e = exponent - 127 - 24; e > 0; --e) halfUnit *= 2;
        int8_t high = 0;
        while (high < 12 && halfUnit * kPowersOfTen[high] < 0.5) ++high;
        table[exponent] = high;
    }
    return table;
}
constexpr std::array<int8_t, 256> kFirstFullPlaces = FirstFullPlaces();

// Writes at `out` the shortest fixed text of `value` and returns its end,
// when that text is found by scaling, and returns null otherwise: the
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
char* FormatScaled(char* out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    if (exponent == 0 || (bits & 0x7FFFFF) == 0 || exponent >= 127 + 24) return nullptr;
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
    int high = kFirstFullPlaces[exponent];
    Try found = attempt(high);
    if (!found.fits()) return nullptr;
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
    if (found.off == 0.5 || found.off == found.bound) return nullptr;
    uint64_t n = static_cast<uint64_t>(found.r);
    int places = k;
    while (places > 0 && n % 10 == 0) {
        n /= 10;
        --places;
    }
    // The places first, from the last, then the point and the whole part:
    // the digits by division by ten, which compiles to a multiplication.
    char buffer[40];
    char* const end = buffer + sizeof buffer;
    char* first = end;
    if (places > 0) {
        for (int i = 0; i < places; ++i) {
            *--first = static_cast<char>('0' + n % 10);
            n /= 10;
        }
        *--first = '.';
    }
    first = DigitsBackwards(first, n);
    if (value < 0) *--first = '-';
    const size_t size = static_cast<size_t>(end - first);
    std::memcpy(out, first, size);
    return out + size;
}

}  // namespace

char* FormatFloat(char* out, float value) {
    if (value == 0) {
        *out = '0';  // no "-0" in files
        return out + 1;
    }
    if (char* end = FormatScaled(out, value)) return end;
    return std::to_chars(out, out + kMaxFloatText, value, std::chars_format::fixed).ptr;
}

namespace {

// "00" to "99".
constexpr std::array<char, 200> TwoDigits() {
    std::array<char, 200> table{};
    for (int i = 0; i < 100; ++i) {
        table[2 * i] = static_cast<char>('0' + i / 10);
        table[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return table;
}
constexpr std::array<char, 200> kTwoDigits = TwoDigits();

// The number of decimal digits of n.
int DigitCount(uint32_t n) {
    int digits = 1;
    for (uint32_t bound = 10; digits < 10 && n >= bound; bound *= 10) ++digits;
    return digits;
}

}  // namespace

char* FormatInt(char* out, int64_t value) {
    // The indices of a mesh file are the numbers written most: they fit in
    // 32 bits, and their lengths change rarely from one to the next, so the
    // digits are counted first and then written two at a time from the end.
    if (value < 0 || value > int64_t(UINT32_MAX)) return std::to_chars(out, out + kMaxIntText, value).ptr;
    uint32_t n = static_cast<uint32_t>(value);
    char* const end = out + DigitCount(n);
    char* p = end;
    while (n >= 100) {
        p -= 2;
        std::memcpy(p, &kTwoDigits[2 * (n % 100)], 2);
        n /= 100;
    }
    if (n >= 10) {
        p -= 2;
        std::memcpy(p, &kTwoDigits[2 * n], 2);
    } else {
        *--p = static_cast<char>('0' + n);
    }
    return end;
}

char* FormatSixPlaces(char* out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF);
    if (exponent >= 127 + 20) return FormatFloat(out, value);
    // |value| * 10^6 is exact in a double (24 bits times 20), below 2^40;
    // adding 2^52 rounds it to a whole number, halves to even, and taking
    // 2^52 away again is exact.
    const double scaled = std::fabs(double(value)) * 1e6;
    const auto r = static_cast<uint64_t>((scaled + 0x1p52) - 0x1p52);
    // Without branches where a unit vector's values go either way.
    char* p = out;
    *p = '-';
    p += (bits >> 31) & (r != 0);
    const uint64_t whole = r / 1000000;
    if (whole < 10)
        *p++ = static_cast<char>('0' + whole);
    else
        p = FormatInt(p, static_cast<int64_t>(whole));
    *p++ = '.';
    const auto places = static_cast<uint32_t>(r % 1000000);
    std::memcpy(p, &kTwoDigits[2 * (places / 10000)], 2);
    std::memcpy(p + 2, &kTwoDigits[2 * (places / 100 % 100)], 2);
    std::memcpy(p + 4, &kTwoDigits[2 * (places % 100)], 2);
    return p + 6;
}

void AppendFloat(std::string& out, float value) {
    char buffer[kMaxFloatText];
    out.append(buffer, static_cast<size_t>(FormatFloat(buffer, value) - buffer));
}

void AppendInt(std::string& out, int64_t value) {
    char buffer[kMaxIntText];
    out.append(buffer, static_cast<size_t>(FormatInt(buffer, value) - buffer));
}
