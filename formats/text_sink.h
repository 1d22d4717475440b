// Text written out in large pieces: formatted straight into a buffer of the
// sink's own and handed on a megabyte at a time, to a file or to a string,
// so that a text of hundreds of megabytes is never held whole and each piece
// leaves while it is still in the cache.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

class TextSink {
public:
    // The most that one call of Room may ask for.
    static constexpr size_t kMaxRoom = 4096;

    // A sink that writes to `file` (left open) or appends to `text`.
    explicit TextSink(std::FILE* file);
    explicit TextSink(std::string& text);
    // Hands on what is still buffered; a file's writer calls Flush first to
    // learn whether the writes succeeded.
    ~TextSink();
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    // Room for `bytes` more bytes (at most kMaxRoom): the caller writes them
    // at the pointer returned and passes the end of what it wrote to Commit.
    char* Room(size_t bytes) {
        if (static_cast<size_t>(limit_ - end_) < bytes) Drain();
        return end_;
    }
    void Commit(char* end) { end_ = end; }

    TextSink& Append(char c) {
        Room(1);
        *end_++ = c;
        return *this;
    }
    TextSink& Append(std::string_view text);

    // Hands the buffered text on. False once a write to the file has failed.
    bool Flush();
    // The errno of the write that failed.
    int Error() const { return error_; }

private:
    void Drain();

    std::FILE* file_ = nullptr;
    std::string* text_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    char* end_;
    char* limit_;
    bool failed_ = false;
    int error_ = 0;
};
