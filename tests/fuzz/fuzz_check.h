// What the fuzz targets share: a check that stops the run on a broken
// property (so that libFuzzer keeps the input and the replay fails), and a
// reader that turns the input bytes into the choices a generator makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Stops the process with `what` on stderr unless `condition` holds.
#define FUZZ_REQUIRE(condition, what)                                                   \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "%s:%d: property broken: %s\n  (%s)\n", __FILE__,      \
                         __LINE__, what, #condition);                                   \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// Consumes the input from the front; once it is used up every choice reads
// as 0, so any input, the empty one included, describes a complete case.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A number in [0, bound), bound >= 1.
    uint32_t Below(uint32_t bound) {
        if (bound <= 256) return Byte() % bound;
        const uint32_t value = Byte() | uint32_t(Byte()) << 8 | uint32_t(Byte()) << 16;
        return value % bound;
    }

    // True with probability n / 256; false once the input is used up, so
    // that the rare choices take bytes that ask for them.
    bool Chance(uint32_t n) { return Byte() >= 256 - n; }

    float RawFloat() {
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits |= uint32_t(Byte()) << (8 * i);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
