// .mqoz archives through libzip, entirely in memory: the archive is read
// from the bytes of its file and written into bytes that the caller puts in
// place, so that writing stays atomic.
#include "formats/mqoz_archive.h"

#include <zip.h>

#include <cctype>
#include <cstdio>
#include <memory>

namespace {

// Documents beyond this size are refused rather than inflated into memory.
constexpr zip_uint64_t kMaxDocumentBytes = zip_uint64_t(1) << 31;
constexpr zip_uint32_t kDocumentCompressionLevel = 1;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

bool EndsWithMqo(const char* name) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".mqo") == 0;
}

// Opens `bytes` as an archive; `source` stays owned by the caller.
Archive OpenArchive(zip_source_t* source, int flags, const std::string& path, std::string& error) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_t* archive = zip_open_from_source(source, flags, &zipError);
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

// Reads member `index` whole, into `out` when it is given.
bool ReadMember(zip_t* archive, zip_uint64_t index, const char* name, std::string* out,
                const std::string& path, std::string& error) {
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (!file) {
        error = path + ": cannot read the member \"" + name + "\": " + zip_strerror(archive);
        return false;
    }
    char buffer[1 << 16];
    zip_int64_t got;
    while ((got = zip_fread(file, buffer, sizeof buffer)) > 0)
        if (out) out->append(buffer, static_cast<size_t>(got));
    const bool ok = got == 0;
    if (!ok)
        error = path + ": the member \"" + name + "\" is damaged (" +
                zip_error_strerror(zip_file_get_error(file)) + ")";
    zip_fclose(file);
    return ok;
}

}  // namespace

bool MqozArchivesSupported() { return true; }

bool ReadMqozArchive(const std::string& bytes, const std::string& path, std::string& document,
                     std::string& member, std::string& error) {
    zip_source_t* source = BufferSource(bytes, error, path);
    if (!source) return false;
    Archive archive = OpenArchive(source, ZIP_RDONLY | ZIP_CHECKCONS, path, error);
    if (!archive) {
        zip_source_free(source);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    zip_int64_t found = -1;
    int documents = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive.get(), zip_uint64_t(i), 0);
        if (name && EndsWithMqo(name) && documents++ == 0) found = i;
    }
    if (documents != 1) {
        error = path + (documents == 0 ? ": the archive holds no .mqo document"
                                       : ": the archive holds " + std::to_string(documents) +
                                             " .mqo documents; which one to thicken is unclear");
        return false;
    }
    zip_stat_t stat;
    if (zip_stat_index(archive.get(), zip_uint64_t(found), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE) && stat.size > kMaxDocumentBytes) {
        error = path + ": the document in the archive is too large (" +
                std::to_string(stat.size) + " bytes)";
        return false;
    }
    member = zip_get_name(archive.get(), zip_uint64_t(found), 0);
    document.clear();
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive.get(), zip_uint64_t(i), 0);
        if (!ReadMember(archive.get(), zip_uint64_t(i), name ? name : "?",
                        i == found ? &document : nullptr, path, error))
            return false;
    }
    return true;
}

bool WriteMqozArchive(const std::string& archiveBytes, const std::string& member,
                      const std::string& document, const std::string& path, std::string& out,
                      std::string& error) {
    // The original archive, read from its bytes, and the new one, written
    // into a buffer of its own. The new archive is built member by member,
    // in the original's order, rather than by replacing the document in
    // place: a replaced member ignores the compression level asked for.
    Archive original;
    if (!archiveBytes.empty()) {
        zip_source_t* source = BufferSource(archiveBytes, error, path);
        if (!source) return false;
        original = OpenArchive(source, ZIP_RDONLY, path, error);
        if (!original) {
            zip_source_free(source);
            return false;
        }
    }
    zip_source_t* target = BufferSource(std::string(), error, path);
    if (!target) return false;
    zip_source_keep(target);  // the new archive writes itself back into it
    std::unique_ptr<zip_source_t, decltype(&zip_source_free)> keep(target, zip_source_free);
    Archive archive = OpenArchive(target, ZIP_CREATE | ZIP_TRUNCATE, path, error);
    if (!archive) {
        zip_source_free(target);  // the reference the archive would have taken
        return false;
    }
    auto failed = [&](zip_t* which) {
        error = "cannot write " + path + ": " + zip_strerror(which);
        return false;
    };
    auto addDocument = [&]() {
        zip_source_t* text = zip_source_buffer(archive.get(), document.data(), document.size(), 0);
        const zip_int64_t index =
            text ? zip_file_add(archive.get(), member.c_str(), text, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (text) zip_source_free(text);
            return false;
        }
        // The library's default is its slowest level, seconds per ten
        // megabytes of document; the fastest level gives a third more bytes
        // in a fraction of the time.
        return zip_set_file_compression(archive.get(), zip_uint64_t(index), ZIP_CM_DEFLATE,
                                        kDocumentCompressionLevel) == 0;
    };
    bool documentAdded = false;
    const zip_int64_t count = original ? zip_get_num_entries(original.get(), 0) : 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(original.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW);
        const char* shown = zip_get_name(original.get(), zip_uint64_t(i), 0);
        if (!name || !shown) return failed(original.get());
        if (member == shown) {
            if (!addDocument()) return failed(archive.get());
            documentAdded = true;
            continue;
        }
        // Copied as stored: compressed data, time and attributes unchanged.
        zip_source_t* copy = zip_source_zip(archive.get(), original.get(), zip_uint64_t(i), 0, 0, -1);
        const zip_int64_t index = copy ? zip_file_add(archive.get(), name, copy, ZIP_FL_ENC_RAW) : -1;
        if (index < 0) {
            if (copy) zip_source_free(copy);
            return failed(archive.get());
        }
        zip_stat_t stat;
        zip_uint8_t system;
        zip_uint32_t attributes;
        if (zip_stat_index(original.get(), zip_uint64_t(i), 0, &stat) == 0 && (stat.valid & ZIP_STAT_MTIME))
            zip_file_set_mtime(archive.get(), zip_uint64_t(index), stat.mtime, 0);
        if (zip_file_get_external_attributes(original.get(), zip_uint64_t(i), 0, &system, &attributes) == 0)
            zip_file_set_external_attributes(archive.get(), zip_uint64_t(index), 0, system, attributes);
    }
    if (!documentAdded && !addDocument()) return failed(archive.get());
    if (zip_close(archive.get()) != 0) return failed(archive.get());
    archive.release();
    zip_stat_t stat;
    if (zip_source_stat(target, &stat) != 0 || zip_source_open(target) != 0) {
        error = "cannot write " + path + ": the archive could not be read back from memory";
        return false;
    }
    out.resize(static_cast<size_t>(stat.size));
    const zip_int64_t got = zip_source_read(target, out.data(), out.size());
    zip_source_close(target);
    if (got != zip_int64_t(out.size())) {
        error = "cannot write " + path + ": the archive could not be read back from memory";
        return false;
    }
    return true;
}
