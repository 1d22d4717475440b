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

bool WriteFileAtomically(const std::string& path, const std::function<void(TextSink&)>& write,
                         std::string& error) {
    fs::path target = fs::path(path);
    std::error_code ec;
    // A link is written through: the file it names is replaced, the link stays.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    if (fs::is_directory(target, ec)) {
        error = "cannot write " + path + ": it is a folder";
        return false;
    }
    const fs::path temporary = TemporaryNameBeside(target);
    FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + Reason(errno);
        return false;
    }
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
        // Out of memory while the text was made: no partial file stays.
        std::fclose(file);
        fs::remove(temporary, ec);
        throw;
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        writeError = errno;
    }
    if (!ok) {
        fs::remove(temporary, ec);
        error = "cannot write " + path + ": " + Reason(writeError);
        return false;
    }
    // A file that is replaced keeps its permissions.
    const fs::file_status previous = fs::status(target, ec);
    if (!ec && fs::is_regular_file(previous))
        fs::permissions(temporary, previous.permissions(), ec);
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        error = "cannot write " + path + ": " + ec.message();
        return false;
    }
    return true;
}
