#include "formats/zip_layout.h"

#include <algorithm>

#include "formats/shown_text.h"

using namespace zip_field;

uint16_t ZipRead16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t ZipRead32(std::string_view bytes, size_t at) {
    return ZipRead16(bytes, at) | static_cast<uint32_t>(ZipRead16(bytes, at + 2)) << 16;
}

void ZipPut32(std::string& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i));
}

void ZipAppend16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value));
    out.push_back(static_cast<char>(value >> 8));
}

void ZipAppend32(std::string& out, uint32_t value) {
    ZipAppend16(out, static_cast<uint16_t>(value));
    ZipAppend16(out, static_cast<uint16_t>(value >> 16));
}

namespace {

constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kNoValue32 = 0xFFFFFFFF;  // the value is in a zip64 field
constexpr uint16_t kFlagsEncrypted = 0x0001 | 0x0040 | 0x2000;

const char* const kZip64 = "the archive uses zip64 extensions, which this tool does not write";
const char* const kOutside = "the archive holds bytes outside its members' records";
const char* const kDamagedDirectory = "the archive's central directory is damaged";

std::string Named(const std::string& before, std::string_view name, const char* after) {
    return before + " \"" + ShownText(name) + "\" " + after;
}

// Whether a block of extra fields holds a zip64 field (header ID 1). A
// field that runs past the block ends the search: what follows it is no
// field.
bool HasZip64Field(std::string_view extra) {
    for (size_t at = 0; at + 4 <= extra.size(); at += 4 + ZipRead16(extra, at + 2))
        if (ZipRead16(extra, at) == 1) return true;
    return false;
}

// The end record: the last signature whose comment reaches exactly to the
// end of the file.
bool FindEnd(std::string_view bytes, size_t& end) {
    if (bytes.size() < kEndSize) return false;
    const size_t last = bytes.size() - kEndSize;
    const size_t first = last > 0xFFFF ? last - 0xFFFF : 0;
    for (size_t at = last + 1; at-- > first;) {
        if (ZipRead32(bytes, at) == kEndSignature && ZipRead16(bytes, at + 20) == last - at) {
            end = at;
            return true;
        }
    }
    return false;
}

// Reads the local record of `member` (its central fields read), which must
// lie before the central directory at `centralOffset`.
bool ReadLocalRecord(std::string_view bytes, size_t centralOffset, ZipMember& member,
                     std::string& reason) {
    const size_t at = member.localOffset;
    const size_t room = centralOffset - at;  // the caller checked at <= centralOffset
    if (room < kLocalHeaderSize || ZipRead32(bytes, at) != kLocalSignature) {
        reason = Named("the member", member.name, "has no local header");
        return false;
    }
    const size_t nameSize = ZipRead16(bytes, at + 26), extraSize = ZipRead16(bytes, at + 28);
    const size_t header = kLocalHeaderSize + nameSize + extraSize;
    if (room < header || bytes.substr(at + kLocalHeaderSize, nameSize) != member.name ||
        ZipRead16(bytes, at + 8) != member.method) {
        reason = Named("the local header of the member", member.name,
                       "does not match its directory entry");
        return false;
    }
    if (HasZip64Field(bytes.substr(at + kLocalHeaderSize + nameSize, extraSize))) {
        reason = kZip64;
        return false;
    }
    member.flags = ZipRead16(bytes, at + 6);
    if (member.flags & kFlagsEncrypted) {
        reason = Named("the member", member.name, "is encrypted");
        return false;
    }
    member.dataOffset = at + header;
    if (room - header < member.compressedSize) {
        reason = Named("the data of the member", member.name, "runs past its end");
        return false;
    }
    const size_t dataEnd = member.dataOffset + member.compressedSize;
    const size_t left = centralOffset - dataEnd;
    auto describes = [&](size_t from) {
        return ZipRead32(bytes, from) == member.crc &&
               ZipRead32(bytes, from + 4) == member.compressedSize &&
               ZipRead32(bytes, from + 8) == member.size;
    };
    if (member.flags & kFlagDescriptor) {
        if (left >= 16 && ZipRead32(bytes, dataEnd) == kDescriptorSignature && describes(dataEnd + 4))
            member.descriptorSize = 16;
        else if (left >= 12 && describes(dataEnd))
            member.descriptorSize = 12;
        else {
            reason = Named("the data descriptor of the member", member.name,
                           "does not match its directory entry");
            return false;
        }
    }
    member.localSize = header + member.compressedSize + member.descriptorSize;
    return true;
}

// Reads the central entry at `at` (inside the directory, which ends at
// `end`) into `member`.
bool ReadCentralEntry(std::string_view bytes, size_t at, size_t end, ZipMember& member,
                      std::string& reason) {
    if (end - at < kCentralHeaderSize || ZipRead32(bytes, at) != kCentralSignature) {
        reason = kDamagedDirectory;
        return false;
    }
    const size_t nameSize = ZipRead16(bytes, at + 28), extraSize = ZipRead16(bytes, at + 30);
    const size_t size = kCentralHeaderSize + nameSize + extraSize + ZipRead16(bytes, at + 32);
    if (end - at < size) {
        reason = kDamagedDirectory;
        return false;
    }
    member.centralOffset = at;
    member.centralSize = size;
    member.name = bytes.substr(at + kCentralHeaderSize, nameSize);
    const uint16_t flags = ZipRead16(bytes, at + 8);
    const uint16_t method = ZipRead16(bytes, at + 10);
    member.method = method;
    member.crc = ZipRead32(bytes, at + kCentralCrc);
    member.compressedSize = ZipRead32(bytes, at + kCentralCrc + 4);
    member.size = ZipRead32(bytes, at + kCentralCrc + 8);
    member.localOffset = ZipRead32(bytes, at + kCentralLocalOffset);
    if (member.compressedSize == kNoValue32 || member.size == kNoValue32 ||
        member.localOffset == kNoValue32 ||
        HasZip64Field(bytes.substr(at + kCentralHeaderSize + nameSize, extraSize))) {
        reason = kZip64;
        return false;
    }
    if (ZipRead16(bytes, at + 34) != 0) {
        reason = "the archive spans several disks";
        return false;
    }
    if (flags & kFlagsEncrypted) {
        reason = Named("the member", member.name, "is encrypted");
        return false;
    }
    if (method != kMethodStored && method != kMethodDeflated) {
        reason = Named("the member", member.name, "is compressed by method ") +
                 std::to_string(method) + " (this tool reads stored and deflated members only)";
        return false;
    }
    return true;
}

}  // namespace

bool ReadZipLayout(std::string_view bytes, ZipLayout& layout, std::string& reason) {
    layout = ZipLayout();
    size_t end = 0;
    if (!FindEnd(bytes, end)) {
        reason = "no end-of-central-directory record closes the archive";
        return false;
    }
    const uint16_t entries = ZipRead16(bytes, end + 10);
    const size_t centralSize = ZipRead32(bytes, end + 12);
    const size_t centralOffset = ZipRead32(bytes, end + kEndCentralOffset);
    if (entries == 0xFFFF || centralSize == kNoValue32 || centralOffset == kNoValue32 ||
        (end >= 20 && ZipRead32(bytes, end - 20) == kZip64LocatorSignature)) {
        reason = kZip64;
        return false;
    }
    if (ZipRead16(bytes, end + 4) != 0 || ZipRead16(bytes, end + 6) != 0 ||
        ZipRead16(bytes, end + 8) != entries) {
        reason = "the archive spans several disks";
        return false;
    }
    if (centralOffset > end || centralSize != end - centralOffset) {
        reason = kOutside;
        return false;
    }
    layout.members.reserve(entries);
    size_t at = centralOffset;
    for (uint16_t i = 0; i < entries; ++i) {
        ZipMember member;
        if (!ReadCentralEntry(bytes, at, end, member, reason)) return false;
        if (member.localOffset > centralOffset) {
            reason = Named("the member", member.name, "has no local header");
            return false;
        }
        if (!ReadLocalRecord(bytes, centralOffset, member, reason)) return false;
        at += member.centralSize;
        layout.members.push_back(member);
    }
    if (at != end) {
        reason = kDamagedDirectory;
        return false;
    }
    // The records follow one another from the first byte, in any order the
    // directory lists them in.
    std::vector<const ZipMember*> stored;
    stored.reserve(layout.members.size());
    for (const ZipMember& member : layout.members) stored.push_back(&member);
    std::sort(stored.begin(), stored.end(), [](const ZipMember* a, const ZipMember* b) {
        return a->localOffset < b->localOffset;
    });
    size_t localEnd = 0;
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i]->localOffset < localEnd) {
            reason = "the records of the members \"" + ShownText(stored[i - 1]->name) +
                     "\" and \"" + ShownText(stored[i]->name) + "\" overlap";
            return false;
        }
        if (stored[i]->localOffset != localEnd) {
            reason = kOutside;
            return false;
        }
        localEnd = stored[i]->localOffset + stored[i]->localSize;
    }
    if (localEnd != centralOffset) {
        reason = kOutside;
        return false;
    }
    // Which of two members of one name is meant is unclear.
    std::vector<std::string_view> names;
    names.reserve(layout.members.size());
    for (const ZipMember& member : layout.members) names.push_back(member.name);
    std::sort(names.begin(), names.end());
    const auto twice = std::adjacent_find(names.begin(), names.end());
    if (twice != names.end()) {
        reason = Named("the archive holds more than one member named", *twice,
                       "(which one is meant is unclear)");
        return false;
    }
    layout.centralOffset = centralOffset;
    layout.centralSize = centralSize;
    layout.endOffset = end;
    return true;
}
