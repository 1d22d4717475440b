#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formats/float_text_cache.h"
#include "formats/number_text.h"

namespace {

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

std::string Text(float f) {
    std::string s;
    AppendFloat(s, f);
    return s;
}

TEST(NumberText, EveryFloatReadsBackAsTheSameBits) {
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> anyBits;
    std::uniform_int_distribution<int64_t> decimals(-2000000000, 2000000000);
    for (int i = 0; i < 300000; ++i) {
        float values[3];
        uint32_t bits = anyBits(random);
        std::memcpy(&values[0], &bits, 4);
        // Values of four decimals, at every magnitude up to 2e5, and their
        // neighbours, which are not.
        values[1] = static_cast<float>(decimals(random) / 10000.0);
        values[2] = std::nextafter(values[1], 1e30f);
        for (float value : values) {
            if (!std::isfinite(value)) continue;
            float back;
            const std::string text = Text(value);
            ASSERT_TRUE(ParseFloat(text, back)) << text;
            if (value == 0) EXPECT_EQ(text, "0");
            else ASSERT_EQ(Bits(back), Bits(value)) << text;
        }
    }
}

// The quick paths give exactly what the general conversions give: the
// shortest fixed text of to_chars, and the float of from_chars.
TEST(NumberText, QuickPathsAgreeWithTheGeneralConversions) {
    std::mt19937 random(11);
    std::uniform_int_distribution<uint32_t> anyBits;
    std::uniform_int_distribution<int64_t> mantissa(-999999999, 999999999);
    std::uniform_int_distribution<int> places(0, 12);
    for (int i = 0; i < 400000; ++i) {
        uint32_t bits = anyBits(random);
        float value;
        std::memcpy(&value, &bits, 4);
        // Decimals of every length and magnitude, and the floats beside them.
        const double decimal = static_cast<double>(mantissa(random)) / std::pow(10.0, places(random));
        for (float v : {value, static_cast<float>(decimal), std::nextafter(static_cast<float>(decimal), 0.0f)}) {
            if (!std::isfinite(v) || v == 0) continue;
            char expected[64];
            const auto end = std::to_chars(expected, expected + sizeof expected, v, std::chars_format::fixed);
            ASSERT_EQ(Text(v), std::string(expected, end.ptr)) << Bits(v);
        }
        std::string text = std::to_string(decimal);
        text.resize(text.size() - static_cast<size_t>(places(random) % 7));
        float quick = 0, general = 0;
        const auto parsed = std::from_chars(text.data(), text.data() + text.size(), general);
        ASSERT_EQ(ParseFloat(text, quick), parsed.ec == std::errc() && std::isfinite(general)) << text;
        if (parsed.ec == std::errc()) {
            ASSERT_EQ(Bits(quick), Bits(general)) << text;
        }
    }
}

// A remembered text is given only for the very value it was made for:
// values that share a place in the cache, texts too long to be kept, zero
// and negative zero, each time what FormatFloat writes.
TEST(NumberText, CachedTextsAreThoseOfTheirOwnValues) {
    std::mt19937 random(5);
    std::uniform_int_distribution<uint32_t> anyBits;
    std::uniform_int_distribution<int> recent(0, 63);
    std::vector<float> values = {0.0f, -0.0f, 1e-30f, -3.4e38f, 0.1f};
    FloatTextCache cache;
    for (int i = 0; i < 200000; ++i) {
        float value;
        if (i % 3 == 0) {
            const uint32_t bits = anyBits(random);
            std::memcpy(&value, &bits, 4);
            if (!std::isfinite(value)) continue;
        } else {
            // Mostly values written a little earlier, as in a mesh file.
            value = values[values.size() - 1 - std::min<size_t>(recent(random), values.size() - 1)];
        }
        values.push_back(value);
        char expected[kMaxFloatText], got[kMaxFloatText];
        const std::string want(expected, FormatFloat(expected, value));
        ASSERT_EQ(std::string(got, cache.Format(got, value)), want) << Bits(value);
    }
}

// Integers at every change of length, at both ends of 32 bits and beyond.
TEST(NumberText, IntegersAsToString) {
    std::vector<int64_t> values = {0, INT64_MIN, INT64_MAX, -1, int64_t(UINT32_MAX), int64_t(UINT32_MAX) + 1};
    for (int64_t p = 1; p <= 1000000000000LL; p *= 10)
        for (int64_t v : {p - 1, p, p + 1, -p}) values.push_back(v);
    for (int64_t v : values) {
        char text[kMaxIntText];
        EXPECT_EQ(std::string(text, FormatInt(text, v)), std::to_string(v));
    }
}

TEST(NumberText, ShortForms) {
    EXPECT_EQ(Text(1.5f), "1.5");
    EXPECT_EQ(Text(-2.25f), "-2.25");
    EXPECT_EQ(Text(0.0005f), "0.0005");
    EXPECT_EQ(Text(-0.0f), "0");
    EXPECT_EQ(Text(100000.0f), "100000");
    EXPECT_EQ(Text(0.1f), "0.1");
    EXPECT_EQ(Text(-51.9615f), "-51.9615");
    EXPECT_EQ(Text(1e-5f), "0.00001");
}

// Six places as the exact conversion rounds them (ties to even), without
// "-" where the rounded value is zero: random components of unit vectors,
// values either side of each rounding boundary, exact ties and -0.
TEST(NumberText, SixPlacesRoundTheExactValue) {
    std::vector<float> values = {0.0f, -0.0f, 1.0f, -1.0f, 1.0f / 128, 3.0f / 128, -5.0f / 128,
                                 4e-7f, -4e-7f, 5e-7f, -5e-7f, 1e-30f, -1e-40f, 1.9999999f};
    for (double boundary : {0.0000005, 0.1234565, 0.9999995, 0.5000005}) {
        float f = std::nextafter(float(boundary), 0.0f);
        for (int i = 0; i < 3; ++i, f = std::nextafter(f, 1.0f)) {
            values.push_back(f);
            values.push_back(-f);
        }
    }
    std::mt19937 random(11);
    std::uniform_real_distribution<float> component(-1, 1);
    for (int i = 0; i < 100000; ++i) values.push_back(component(random));
    for (float v : values) {
        char expected[64], text[kMaxFloatText];
        std::string exact(expected, std::to_chars(expected, expected + sizeof expected, v,
                                                  std::chars_format::fixed, 6).ptr);
        if (exact == "-0.000000") exact.erase(0, 1);
        ASSERT_EQ(std::string(text, FormatSixPlaces(text, v)), exact) << Bits(v);
    }
    char text[kMaxFloatText];
    EXPECT_EQ(std::string(text, FormatSixPlaces(text, 1.0f / 128)), "0.007812");
    EXPECT_EQ(std::string(text, FormatSixPlaces(text, 3.0f / 128)), "0.023438");
    EXPECT_EQ(std::string(text, FormatSixPlaces(text, 2097152.5f)), Text(2097152.5f));
}

// Values nearer zero than a float reaches are read as strtof reads them:
// the nearest float, a denormal or zero with its sign. Beyond the largest
// float stays an error.
TEST(NumberText, UnderflowIsTheNearestFloat) {
    for (const char* text : {"1e-50", "-1e-50", "7e-46", "8e-46", "1e-40", "-0.0001e-42",
                             "00.000000000000000000000000000000000000000000000000001",
                             "12345e-50", "1e-99999999999999999999"}) {
        float f = 1;
        ASSERT_TRUE(ParseFloat(text, f)) << text;
        EXPECT_EQ(Bits(f), Bits(std::strtof(text, nullptr))) << text;
    }
    float f;
    for (const char* big : {"1e39", "100000000000000000000000000000000000000000e-2", "1e999999999999"})
        EXPECT_FALSE(ParseFloat(big, f)) << big;
}

TEST(NumberText, ParsingRefusesWhatIsNotOneFiniteNumber) {
    float f;
    int32_t i;
    for (const char* bad : {"", "+", "1x", "x1", "1e39", "inf", "nan", "1 2", "--1"})
        EXPECT_FALSE(ParseFloat(bad, f)) << bad;
    EXPECT_TRUE(ParseFloat("+2.5", f));
    EXPECT_EQ(f, 2.5f);
    for (const char* bad : {"", "1.0", "2147483648", "12a"}) EXPECT_FALSE(ParseInt(bad, i)) << bad;
    EXPECT_TRUE(ParseInt("-2147483648", i));
}

}  // namespace
