// Conversions through iconv, which names Windows code page N "CP<N>".
#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/code_page_conversion.h"
#include "platform/text_encoding.h"
#include "platform/unicode_text.h"

namespace {

std::string IconvName(unsigned codePage) { return "CP" + std::to_string(codePage); }

// One direction of a conversion, open while it is used.
class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (Open()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Open() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    enum class Outcome { Converted, CutShort, Invalid };

    // Appends the conversion of the whole of `in` to `out`; stops at the
    // first sequence that cannot be converted (whether or not iconv has
    // passed over it: some of its tables do), or that `in` cuts short.
    Outcome Convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[256];
        char* source = const_cast<char*>(in.data());
        size_t left = in.size();
        for (;;) {
            char* target = buffer;
            size_t room = sizeof buffer;
            // Once `in` is converted, a call without input writes what a
            // stateful encoding needs to end in its initial state.
            const bool ending = left == 0;
            const size_t result = ending ? iconv(cd_, nullptr, nullptr, &target, &room)
                                         : iconv(cd_, &source, &left, &target, &room);
            out.append(buffer, static_cast<size_t>(target - buffer));
            if (result != static_cast<size_t>(-1)) {
                if (ending) return Outcome::Converted;
            } else if (errno != E2BIG) {
                return errno == EINVAL ? Outcome::CutShort : Outcome::Invalid;
            }
        }
    }

private:
    iconv_t cd_;
};

// Decodes `in` a character at a time, a character being the shortest run
// of bytes that converts: a byte that starts none becomes '?', and the
// conversion goes on at the next byte.
bool DecodeEachCharacter(Converter& decode, std::string_view in, std::string& out) {
    bool complete = true;
    std::string character;
    for (size_t i = 0; i < in.size();) {
        size_t length = 0;
        for (size_t n = 1; n <= 4 && i + n <= in.size(); ++n) {
            character.clear();
            const Converter::Outcome outcome = decode.Convert(in.substr(i, n), character);
            if (outcome == Converter::Outcome::Converted) length = n;
            if (outcome != Converter::Outcome::CutShort) break;
        }
        if (length > 0) {
            out += character;
            i += length;
        } else {
            out += '?';
            complete = false;
            ++i;
        }
    }
    return complete;
}

// Whether `in` converts whole with `encode` and back with `decode` to
// itself; `out` is then its conversion.
bool ConvertsBack(Converter& encode, Converter& decode, std::string_view in, std::string& out) {
    std::string back;
    return encode.Convert(in, out) == Converter::Outcome::Converted &&
           decode.Convert(out, back) == Converter::Outcome::Converted && back == in;
}

// Encodes valid UTF-8 `in` in the code page of `encode` (whose way back is
// `decode`), a character at a time: one that the code page lacks or has
// only a look-alike for (which would not come back as itself) becomes '?'.
bool EncodeEachCharacter(Converter& encode, Converter& decode, std::string_view in,
                         std::string& out) {
    bool complete = true;
    std::string bytes;
    for (size_t i = 0; i < in.size();) {
        uint32_t c;
        const size_t length = Utf8Sequence(in.substr(i), c);
        const std::string_view character = in.substr(i, length);
        i += length;
        bytes.clear();
        if (ConvertsBack(encode, decode, character, bytes)) {
            out += bytes;
        } else {
            out += '?';
            complete = false;
        }
    }
    return complete;
}

}  // namespace

bool CodePageSupported(unsigned codePage) {
    if (codePage == kUtf8CodePage) return true;
    static std::mutex lock;
    static std::vector<std::pair<unsigned, bool>> known;
    const std::lock_guard<std::mutex> hold(lock);
    for (const auto& [page, supported] : known)
        if (page == codePage) return supported;
    const std::string name = IconvName(codePage);
    const bool supported = Converter("UTF-8", name).Open() && Converter(name, "UTF-8").Open();
    known.emplace_back(codePage, supported);
    return supported;
}

bool DecodeCodePage(unsigned codePage, std::string_view in, std::string& out) {
    // The whole text first; a character at a time when it does not convert.
    Converter decode("UTF-8", IconvName(codePage));
    if (decode.Convert(in, out) == Converter::Outcome::Converted) return true;
    out.clear();
    return DecodeEachCharacter(decode, in, out);
}

bool EncodeCodePage(unsigned codePage, std::string_view utf8, std::string& out) {
    // Windows converts only what comes back as itself: a character with a
    // look-alike in the code page (U+00A5 YEN SIGN as 0x5C in Shift-JIS)
    // becomes '?' there, and so here. The whole text first; a character at
    // a time when it does not come back whole.
    Converter encode(IconvName(codePage), "UTF-8"), decode("UTF-8", IconvName(codePage));
    if (ConvertsBack(encode, decode, utf8, out)) return true;
    out.clear();
    return EncodeEachCharacter(encode, decode, utf8, out);
}

std::string Utf8FromArgument(std::string_view argument) { return std::string(argument); }
