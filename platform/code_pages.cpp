// The conversions between code pages and UTF-8, around each platform's own.
#include "platform/code_page_conversion.h"
#include "platform/text_encoding.h"
#include "platform/unicode_text.h"

bool Utf8FromCodePage(unsigned codePage, std::string_view in, std::string& out) {
    if (codePage == kUtf8CodePage) return RepairUtf8(in, "?", out);
    out.clear();
    if (!CodePageSupported(codePage)) {
        out.assign(in);
        return false;
    }
    return in.empty() || DecodeCodePage(codePage, in, out);
}

bool CodePageFromUtf8(unsigned codePage, std::string_view in, std::string& out) {
    std::string text;
    const bool valid = RepairUtf8(in, "?", text);
    if (codePage == kUtf8CodePage) {
        out = std::move(text);
        return valid;
    }
    out.clear();
    if (!CodePageSupported(codePage)) {
        out.assign(in);
        return false;
    }
    if (text.empty()) return valid;
    return EncodeCodePage(codePage, text, out) && valid;
}
