// Where the records of a zip archive lie, for an archive that is written
// back by copying its records: the members' local records (local header,
// data, data descriptor) one after another from the first byte, in any
// order, then the central directory, then the end record, nothing else; one
// disk, no zip64, no encryption, members stored or deflated, no two of one
// name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ZipMember {
    size_t localOffset = 0;    // the local header
    size_t localSize = 0;      // local header, data and data descriptor
    size_t dataOffset = 0;     // the compressed data
    size_t descriptorSize = 0; // 0, or 12 or 16 bytes (with its signature)
    size_t centralOffset = 0;  // the member's central directory entry
    size_t centralSize = 0;
    std::string_view name;     // as stored in the central entry, unconverted
    uint16_t flags = 0;        // of the local header
    uint16_t method = 0;
    uint32_t crc = 0, compressedSize = 0, size = 0;
};

struct ZipLayout {
    std::vector<ZipMember> members;  // in central directory order
    size_t centralOffset = 0, centralSize = 0;
    size_t endOffset = 0;  // the end-of-central-directory record, comment to the end
};

// Field offsets within the records, and the values written into them.
namespace zip_field {
constexpr uint32_t kLocalSignature = 0x04034b50, kCentralSignature = 0x02014b50,
                   kEndSignature = 0x06054b50, kDescriptorSignature = 0x08074b50;
constexpr size_t kLocalHeaderSize = 30, kCentralHeaderSize = 46, kEndSize = 22;
constexpr size_t kLocalCrc = 14;         // then compressed size, size
constexpr size_t kCentralCrc = 16;       // then compressed size, size
constexpr size_t kCentralLocalOffset = 42;
constexpr size_t kEndCentralOffset = 16;
constexpr uint16_t kFlagDescriptor = 0x0008, kFlagUtf8 = 0x0800;
constexpr uint16_t kMethodStored = 0, kMethodDeflated = 8;
}  // namespace zip_field

uint16_t ZipRead16(std::string_view bytes, size_t at);
uint32_t ZipRead32(std::string_view bytes, size_t at);
// Writes `value` little-endian over the bytes of `out` at `at`.
void ZipPut32(std::string& out, size_t at, uint32_t value);
void ZipAppend16(std::string& out, uint16_t value);
void ZipAppend32(std::string& out, uint32_t value);

// Reads the layout of the archive `bytes`, checking every offset and length
// against it. `layout` refers into `bytes`. When the archive is not of the
// form above, or not a zip archive at all, returns false and sets `reason`
// to a sentence fragment saying why ("the archive uses zip64 ...").
bool ReadZipLayout(std::string_view bytes, ZipLayout& layout, std::string& reason);
