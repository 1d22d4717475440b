#include "formats/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) { return std::strerror(error); }

// A name in the folder of `target` that no other writer is using.
fs::path TemporaryNameBeside(const fs::path& target) {
    std::random_device random;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", random(), random());
    fs::path name = target;
    name += suffix;
    return name;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& data, std::string& error) {
    std::error_code ec;
    if (fs::is_directory(fs::path(path), ec)) {
        error = "cannot read " + path + ": it is a folder";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open " + path + ": " + Reason(errno);
        return false;
    }
    data.clear();
    // Read straight into `data` when the size is known; a file that grows
    // meanwhile, or whose size is not known, is read on to its end.
    const auto size = fs::file_size(fs::path(path), ec);
    if (!ec && size > 0) {
        data.resize(static_cast<size_t>(size));
        data.resize(std::fread(data.data(), 1, data.size(), file));
    }
    char buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    int readError = errno;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + path + ": " + Reason(readError);
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& data, std::string& error) {
    return WriteFileAtomically(path, [&](TextSink& out) { out.Append(data); }, error);
}

namespace {

// Writes the text of `write` to the open `file` and closes it; on failure
// sets `error`. An exception from `write` closes the file and passes on.
bool WriteAndClose(FILE* file, const std::string& path,
                   const std::function<void(TextSink&)>& write, std::string& error) {
    // The sink buffers: the file's own buffer would only copy again.
    std::setvbuf(file, nullptr, _IONBF, 0);
    bool ok;
    int writeError;
    try {
        TextSink out(file);
        write(out);
        ok = out.Flush();
        writeError = out.Error();
    } catch (...) {
        std::fclose(file);
        throw;
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        writeError = errno;
    }
    if (!ok) error = "cannot write " + path + ": " + Reason(writeError);
    return ok;
}

// Whether what a path leads to (after links) is there and is neither a
// regular file nor a folder: a device, a FIFO, a socket.
bool IsSpecial(const fs::file_status& status) {
    return fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

}  // namespace

bool IsSpecialFile(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(path), ec);
    return !ec && IsSpecial(status);
}

bool WriteFileAtomically(const std::string& path, const std::function<void(TextSink&)>& write,
                         std::string& error) {
    const fs::path target = fs::path(path);
    std::error_code ec;
    const bool link = fs::is_symlink(fs::symlink_status(target, ec));
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) {
        error = "cannot write " + path + ": it is a folder";
        return false;
    }
    // A link, a device or a FIFO is written in place: renaming over it would
    // put a regular file where the link or the node was. A link stays, and
    // the file it names (made when there is none) is written.
    if (link || IsSpecial(status)) {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) {
            error = "cannot write " + path + ": " + Reason(errno);
            return false;
        }
        return WriteAndClose(file, path, write, error);
    }
    const fs::path temporary = TemporaryNameBeside(target);
    FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + Reason(errno);
        return false;
    }
    bool ok;
    try {
        ok = WriteAndClose(file, path, write, error);
    } catch (...) {
        // Out of memory while the text was made: no partial file stays.
        fs::remove(temporary, ec);
        throw;
    }
    if (!ok) {
        fs::remove(temporary, ec);
        return false;
    }
    // A file that is replaced keeps its permissions.
    if (fs::is_regular_file(status)) fs::permissions(temporary, status.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        error = "cannot write " + path + ": " + ec.message();
        return false;
    }
    return true;
}
