// Binary values as STL and binary PLY files keep them: little-endian, stored
// and loaded a byte at a time, whatever the machine's own order.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t LoadLittle32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

inline uint64_t LoadLittle64(const char* p) {
    return uint64_t(LoadLittle32(p)) | uint64_t(LoadLittle32(p + 4)) << 32;
}

// Stores `value` at `p`; returns the byte after it.
inline char* StoreLittle32(char* p, uint32_t value) {
    p[0] = static_cast<char>(value);
    p[1] = static_cast<char>(value >> 8);
    p[2] = static_cast<char>(value >> 16);
    p[3] = static_cast<char>(value >> 24);
    return p + 4;
}

inline char* StoreLittleFloat(char* p, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return StoreLittle32(p, bits);
}
