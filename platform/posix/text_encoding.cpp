// Conversions through iconv.
#include <iconv.h>

#include <cerrno>

#include "platform/text_encoding.h"

namespace {

bool Convert(const char* to, const char* from, std::string_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out.assign(in);
        return false;
    }
    bool complete = true;
    char buffer[256];
    char* source = const_cast<char*>(in.data());
    size_t left = in.size();
    while (left > 0) {
        char* target = buffer;
        size_t room = sizeof buffer;
        size_t result = iconv(cd, &source, &left, &target, &room);
        out.append(buffer, static_cast<size_t>(target - buffer));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // Invalid or truncated input, or a character the target lacks:
            // replace one byte and go on.
            complete = false;
            out.push_back('?');
            ++source;
            --left;
            // Skip the trail bytes of a UTF-8 sequence that was not converted.
            if (from[0] == 'U')
                while (left > 0 && (static_cast<unsigned char>(*source) & 0xC0) == 0x80) {
                    ++source;
                    --left;
                }
        }
    }
    iconv_close(cd);
    return complete;
}

}  // namespace

bool Utf8FromCp932(std::string_view in, std::string& out) {
    return Convert("UTF-8", "CP932", in, out);
}

bool Cp932FromUtf8(std::string_view in, std::string& out) {
    return Convert("CP932", "UTF-8", in, out);
}

std::string Utf8FromArgument(std::string_view argument) { return std::string(argument); }
