#include "formats/text_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// A megabyte: large enough that each write is one cheap call, small enough
// to stay in the cache between being formatted and being written.
constexpr size_t kBufferSize = size_t(1) << 20;

}  // namespace

TextSink::TextSink(std::FILE* file)
    : file_(file), buffer_(new char[kBufferSize]), end_(buffer_.get()),
      limit_(buffer_.get() + kBufferSize) {}

TextSink::TextSink(std::string& text)
    : text_(&text), buffer_(new char[kBufferSize]), end_(buffer_.get()),
      limit_(buffer_.get() + kBufferSize) {}

TextSink::~TextSink() { Drain(); }

void TextSink::Drain() {
    const size_t size = static_cast<size_t>(end_ - buffer_.get());
    end_ = buffer_.get();
    if (size == 0) return;
    if (text_) {
        text_->append(buffer_.get(), size);
        return;
    }
    if (failed_ || std::fwrite(buffer_.get(), 1, size, file_) == size) return;
    failed_ = true;
    error_ = errno;
}

TextSink& TextSink::Append(std::string_view text) {
    if (text.size() <= static_cast<size_t>(limit_ - end_)) {
        std::memcpy(end_, text.data(), text.size());
        end_ += text.size();
        return *this;
    }
    // Longer than the room left: what is buffered goes first, then the text
    // itself, straight to a file or in pieces of the buffer's size.
    Drain();
    if (file_ && text.size() >= kBufferSize) {
        if (!failed_ && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
            failed_ = true;
            error_ = errno;
        }
        return *this;
    }
    while (!text.empty()) {
        Drain();
        const size_t piece = std::min(text.size(), kBufferSize);
        std::memcpy(end_, text.data(), piece);
        end_ += piece;
        text.remove_prefix(piece);
    }
    return *this;
}

bool TextSink::Flush() {
    Drain();
    if (file_ && !failed_ && std::fflush(file_) != 0) {
        failed_ = true;
        error_ = errno;
    }
    return !failed_;
}
