// .mqoz archives, entirely in memory: the archive is read from the bytes of
// its file and written into bytes that the caller puts in place, so that
// writing stays atomic. Reading goes through libzip, whose checks find a
// damaged member before anything is written. Writing copies the records of
// the archive that was read and makes only the document's local record and
// the directory fields that follow from it.
#include "formats/mqoz_archive.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>

#include "formats/zip_layout.h"

using namespace zip_field;

namespace {

constexpr int kDocumentCompressionLevel = 1;
// zlib takes lengths of 32 bits: larger texts go in steps.
constexpr size_t kDeflateStep = size_t(1) << 30;
constexpr size_t kOutputStep = size_t(1) << 20;
constexpr uint64_t kZip32Limit = 0xFFFFFFFF;  // sizes and offsets stay below it
// A new archive's member: version 2.0 (deflate) made on MS-DOS, which gives
// the member no Unix owner or mode, and the first time stamp the format
// holds, 1 January 1980, so that the same document gives the same bytes.
constexpr uint16_t kVersion20 = 20;
constexpr uint16_t kNewMemberTime = 0, kNewMemberDate = (1 << 5) | 1;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

bool EndsWithMqo(std::string_view name) {
    if (name.size() <= 4) return false;
    std::string suffix(name.substr(name.size() - 4));
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".mqo";
}

// The archive's one .mqo member, by its stored name.
bool FindDocument(const ZipLayout& layout, size_t& index, std::string& reason) {
    size_t documents = 0;
    for (size_t i = 0; i < layout.members.size(); ++i)
        if (EndsWithMqo(layout.members[i].name) && documents++ == 0) index = i;
    if (documents == 1) return true;
    reason = documents == 0 ? "the archive holds no .mqo document"
                            : "the archive holds " + std::to_string(documents) +
                                  " .mqo documents; which one to thicken is unclear";
    return false;
}

// Opens `bytes` as an archive; `source` stays owned by the caller. On
// failure `code` is libzip's error code.
Archive OpenArchive(zip_source_t* source, int flags, const std::string& path, std::string& error,
                    int& code) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_t* archive = zip_open_from_source(source, flags, &zipError);
    code = zip_error_code_zip(&zipError);
    if (!archive) error = path + ": not a readable zip archive (" + zip_error_strerror(&zipError) + ")";
    zip_error_fini(&zipError);
    return Archive(archive);
}

zip_source_t* BufferSource(const std::string& bytes, std::string& error, const std::string& path) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(bytes.empty() ? nullptr : bytes.data(),
                                                    bytes.size(), 0, &zipError);
    if (!source) error = path + ": " + zip_error_strerror(&zipError);
    zip_error_fini(&zipError);
    return source;
}

std::string TooLarge(const std::string& path, uint64_t limit) {
    return path + ": the document in the archive is too large (more than " + std::to_string(limit) +
           " bytes)";
}

// Reads member `index` whole, into `out` when it is given, up to `limit`
// bytes whatever its header says; other members are only checked.
bool ReadMember(zip_t* archive, zip_uint64_t index, std::string* out, uint64_t limit,
                const std::string& path, std::string& error) {
    const char* shown = zip_get_name(archive, index, 0);
    const std::string name = shown ? shown : "?";
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (!file) {
        error = path + ": cannot read the member \"" + name + "\": " + zip_strerror(archive);
        return false;
    }
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> closer(file, zip_fclose);
    char buffer[1 << 16];
    zip_int64_t got;
    while ((got = zip_fread(file, buffer, sizeof buffer)) > 0) {
        if (!out) continue;
        if (uint64_t(got) > limit - out->size()) {
            error = TooLarge(path, limit);
            return false;
        }
        out->append(buffer, static_cast<size_t>(got));
    }
    if (got == 0) return true;
    error = path + ": the member \"" + name + "\" is damaged (" +
            zip_error_strerror(zip_file_get_error(file)) + ")";
    return false;
}

bool ReadArchive(const std::string& bytes, const std::string& path, std::string& document,
                 std::string& member, std::string& error, uint64_t limit) {
    zip_source_t* source = BufferSource(bytes, error, path);
    if (!source) return false;
    int code = 0;
    Archive archive = OpenArchive(source, ZIP_RDONLY | ZIP_CHECKCONS, path, error, code);
    ZipLayout layout;
    std::string reason;
    if (!archive) {
        zip_source_free(source);
        // Two members of one name: the layout names them, libzip does not.
        if (code == ZIP_ER_EXISTS && !ReadZipLayout(bytes, layout, reason))
            error = path + ": " + reason;
        return false;
    }
    size_t found = 0;
    if (!ReadZipLayout(bytes, layout, reason) || !FindDocument(layout, found, reason)) {
        error = path + ": " + reason;
        return false;
    }
    // Both read the same directory: the library's indices are the layout's.
    if (zip_get_num_entries(archive.get(), 0) != zip_int64_t(layout.members.size())) {
        error = path + ": the archive's central directory is damaged";
        return false;
    }
    const ZipMember& entry = layout.members[found];
    if (entry.size > limit) {
        error = TooLarge(path, limit);
        return false;
    }
    // Room for the size the header gives, but no more than the data can
    // inflate to (deflate shrinks by at most about 1032 to 1): a header is
    // no reason to take memory.
    document.clear();
    document.reserve(std::min<uint64_t>(entry.size, uint64_t(entry.compressedSize) * 1032 + 1024));
    for (size_t i = 0; i < layout.members.size(); ++i)
        if (!ReadMember(archive.get(), i, i == found ? &document : nullptr, limit, path, error))
            return false;
    member.assign(entry.name);
    return true;
}

uint32_t Crc(std::string_view text) {
    return static_cast<uint32_t>(
        crc32_z(0, reinterpret_cast<const Bytef*>(text.data()), text.size()));
}

// An upper bound of the deflated size of `size` bytes (zlib's own bound for
// its default window and memory, with room to spare).
uint64_t DeflateBound(uint64_t size) {
    return size + (size >> 12) + (size >> 14) + (size >> 25) + 64;
}

// Appends `text` to `out` as raw deflate data, as zip members hold it. The
// steps are the same on every platform, and so are the bytes.
bool AppendDeflated(std::string_view text, std::string& out, std::string& reason) {
    z_stream stream{};
    if (deflateInit2(&stream, kDocumentCompressionLevel, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        reason = "the compressor could not start (not enough memory)";
        return false;
    }
    std::unique_ptr<z_stream, decltype(&deflateEnd)> ender(&stream, deflateEnd);
    size_t taken = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.avail_in == 0 && taken < text.size()) {
            const size_t step = std::min(text.size() - taken, kDeflateStep);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data() + taken));
            stream.avail_in = static_cast<uInt>(step);
            taken += step;
        }
        const size_t used = out.size();
        out.resize(used + kOutputStep);
        stream.next_out = reinterpret_cast<Bytef*>(&out[used]);
        stream.avail_out = static_cast<uInt>(kOutputStep);
        status = deflate(&stream, taken == text.size() ? Z_FINISH : Z_NO_FLUSH);
        out.resize(used + kOutputStep - stream.avail_out);
    }
    if (status == Z_STREAM_END) return true;
    reason = "the document could not be compressed";
    return false;
}

// Appends the document's data as `method` stores it.
bool AppendData(const std::string& document, uint16_t method, std::string& out,
                std::string& reason) {
    if (method == kMethodDeflated) return AppendDeflated(document, out, reason);
    out.append(document);
    return true;
}

uint64_t DataBound(const std::string& document, uint16_t method) {
    return method == kMethodDeflated ? DeflateBound(document.size()) : document.size();
}

// The archive `in` with the data of its member `index` replaced by
// `document`; every other byte is the input's, in its order, but for the
// directory's offsets of the members that follow.
bool SpliceArchive(std::string_view in, const ZipLayout& layout, size_t index,
                   const std::string& document, std::string& out, std::string& reason) {
    const ZipMember& old = layout.members[index];
    const size_t oldEnd = old.localOffset + old.localSize;
    out.clear();
    out.reserve(in.size() - old.localSize + (old.dataOffset - old.localOffset) +
                DataBound(document, old.method) + old.descriptorSize + kOutputStep);
    out.append(in.substr(0, old.dataOffset));  // the records before, its local header
    const size_t dataStart = out.size();
    if (!AppendData(document, old.method, out, reason)) return false;
    const uint64_t compressed = out.size() - dataStart;
    const uint32_t crc = Crc(document);
    const uint32_t size = static_cast<uint32_t>(document.size());
    if (compressed >= kZip32Limit) {
        reason = "the compressed document would need zip64 extensions";
        return false;
    }
    // With a data descriptor the local header's fields stay zero, as the
    // format asks; the descriptor keeps the form it had.
    const bool descriptor = old.descriptorSize != 0;
    ZipPut32(out, old.localOffset + kLocalCrc, descriptor ? 0 : crc);
    ZipPut32(out, old.localOffset + kLocalCrc + 4, descriptor ? 0 : uint32_t(compressed));
    ZipPut32(out, old.localOffset + kLocalCrc + 8, descriptor ? 0 : size);
    if (old.descriptorSize == 16) ZipAppend32(out, kDescriptorSignature);
    if (descriptor) {
        ZipAppend32(out, crc);
        ZipAppend32(out, uint32_t(compressed));
        ZipAppend32(out, size);
    }
    const size_t newEnd = out.size();
    out.append(in.substr(oldEnd, layout.centralOffset - oldEnd));
    const size_t central = out.size();
    if (central >= kZip32Limit) {
        reason = "the archive would need zip64 extensions";
        return false;
    }
    out.append(in.substr(layout.centralOffset));  // the directory and the end record
    auto entry = [&](const ZipMember& m) { return m.centralOffset - layout.centralOffset + central; };
    ZipPut32(out, entry(old) + kCentralCrc, crc);
    ZipPut32(out, entry(old) + kCentralCrc + 4, uint32_t(compressed));
    ZipPut32(out, entry(old) + kCentralCrc + 8, size);
    // The records stored after the document's move with its end, whatever
    // their place in the directory.
    for (const ZipMember& m : layout.members)
        if (m.localOffset > old.localOffset)
            ZipPut32(out, entry(m) + kCentralLocalOffset, uint32_t(m.localOffset - oldEnd + newEnd));
    ZipPut32(out, layout.endOffset - layout.centralOffset + central + kEndCentralOffset,
             uint32_t(central));
    return true;
}

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || text.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
        i += length;
    }
    return true;
}

// An archive of one member, `name`, holding `document` deflated.
bool WriteNewArchive(const std::string& name, const std::string& document, std::string& out,
                     std::string& reason) {
    if (name.size() > 0xFFFF) {
        reason = "the document's name is too long for a zip archive";
        return false;
    }
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const uint16_t flags = !ascii && IsUtf8(name) ? kFlagUtf8 : 0;
    const uint32_t crc = Crc(document);
    const uint32_t size = static_cast<uint32_t>(document.size());
    out.clear();
    out.reserve(kLocalHeaderSize + kCentralHeaderSize + kEndSize + 2 * name.size() +
                DataBound(document, kMethodDeflated) + kOutputStep);
    // The fields the local header and the central entry share, from the version needed.
    auto common = [&](uint32_t compressed) {
        ZipAppend16(out, kVersion20);
        ZipAppend16(out, flags);
        ZipAppend16(out, kMethodDeflated);
        ZipAppend16(out, kNewMemberTime);
        ZipAppend16(out, kNewMemberDate);
        ZipAppend32(out, crc);
        ZipAppend32(out, compressed);
        ZipAppend32(out, size);
        ZipAppend16(out, static_cast<uint16_t>(name.size()));
        ZipAppend16(out, 0);  // extra fields
    };
    ZipAppend32(out, kLocalSignature);
    common(0);
    out.append(name);
    const size_t dataStart = out.size();
    if (!AppendData(document, kMethodDeflated, out, reason)) return false;
    const uint64_t compressed = out.size() - dataStart;
    if (out.size() >= kZip32Limit) {
        reason = "the archive would need zip64 extensions";
        return false;
    }
    ZipPut32(out, kLocalCrc + 4, uint32_t(compressed));
    const size_t central = out.size();
    ZipAppend32(out, kCentralSignature);
    ZipAppend16(out, kVersion20);  // made by: MS-DOS, 2.0
    common(uint32_t(compressed));
    ZipAppend16(out, 0);  // comment
    ZipAppend16(out, 0);  // disk
    ZipAppend16(out, 0);  // internal attributes
    ZipAppend32(out, 0);  // external attributes
    ZipAppend32(out, 0);  // local header offset
    out.append(name);
    const size_t centralSize = out.size() - central;
    ZipAppend32(out, kEndSignature);
    ZipAppend32(out, 0);  // disks
    ZipAppend16(out, 1);
    ZipAppend16(out, 1);
    ZipAppend32(out, static_cast<uint32_t>(centralSize));
    ZipAppend32(out, static_cast<uint32_t>(central));
    ZipAppend16(out, 0);  // comment
    return true;
}

bool WriteArchive(const std::string& archive, const std::string& member,
                  const std::string& document, std::string& out, std::string& reason) {
    if (document.size() >= kZip32Limit) {
        reason = "the document is too large for an archive without zip64 extensions";
        return false;
    }
    if (archive.empty()) return WriteNewArchive(member, document, out, reason);
    ZipLayout layout;
    size_t index = 0;
    if (!ReadZipLayout(archive, layout, reason) || !FindDocument(layout, index, reason))
        return false;
    if (layout.members[index].name != member) {
        reason = "the archive's document is not the member \"" + member + "\"";
        return false;
    }
    return SpliceArchive(archive, layout, index, document, out, reason);
}

}  // namespace

bool MqozArchivesSupported() { return true; }

bool ReadMqozArchive(const std::string& bytes, const std::string& path, std::string& document,
                     std::string& member, std::string& error, uint64_t maxDocumentBytes) {
    try {
        return ReadArchive(bytes, path, document, member, error, maxDocumentBytes);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    document.clear();
    document.shrink_to_fit();
    error = path + ": not enough memory to read the archive";
    return false;
}

bool WriteMqozArchive(const std::string& archive, const std::string& member,
                      const std::string& document, const std::string& path, std::string& out,
                      std::string& error) {
    std::string reason;
    try {
        if (WriteArchive(archive, member, document, out, reason)) return true;
    } catch (const std::bad_alloc&) {
        reason = "not enough memory";
    } catch (const std::length_error&) {
        reason = "not enough memory";
    }
    out.clear();
    out.shrink_to_fit();
    error = "cannot write " + path + ": " + reason;
    return false;
}
