// Conversions through the system's code page tables.
#include <windows.h>

#include "platform/code_page_conversion.h"
#include "platform/text_encoding.h"
#include "platform/unicode_text.h"

namespace {

// Decodes `in` from `codePage` to UTF-16 `wide` (appended); false when a
// byte is invalid, in which case the system's replacement characters are
// kept.
bool Widen(UINT codePage, std::string_view in, std::wstring& wide) {
    const int size = static_cast<int>(in.size());
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    bool complete = n > 0;
    DWORD flags = complete ? MB_ERR_INVALID_CHARS : 0;
    if (!complete) n = MultiByteToWideChar(codePage, 0, in.data(), size, nullptr, 0);
    const size_t at = wide.size();
    wide.resize(at + static_cast<size_t>(n));
    MultiByteToWideChar(codePage, flags, in.data(), size, wide.data() + at, n);
    return complete;
}

// Encodes `wide` in `codePage` into `out` (appended). Characters the code
// page lacks, or has only a look-alike for, become '?' and make the result
// false.
bool Narrow(UINT codePage, std::wstring_view wide, std::string& out) {
    const int size = static_cast<int>(wide.size());
    // UTF-8 holds every character, and the system refuses a default
    // character for it.
    const bool utf8 = codePage == CP_UTF8;
    BOOL usedDefault = FALSE;
    BOOL* check = utf8 ? nullptr : &usedDefault;
    const char* fallback = utf8 ? nullptr : "?";
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback, check);
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(n));
    WideCharToMultiByte(codePage, flags, wide.data(), size, out.data() + at, n, fallback, check);
    return !usedDefault;
}

// Decodes `in` a character at a time, as iconv does elsewhere: a sequence
// that cannot be converted becomes '?' for its first byte, and the
// conversion goes on at the next.
void WidenEachCharacter(UINT codePage, std::string_view in, std::wstring& wide) {
    for (size_t i = 0; i < in.size();) {
        const size_t length =
            IsDBCSLeadByteEx(codePage, static_cast<BYTE>(in[i])) && i + 1 < in.size() ? 2 : 1;
        wchar_t units[2];
        const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data() + i,
                                          static_cast<int>(length), units, 2);
        if (n > 0) {
            wide.append(units, static_cast<size_t>(n));
            i += length;
        } else {
            wide.push_back(L'?');
            i += 1;
        }
    }
}

// Encodes `wide` a character at a time, so that a character outside the
// basic plane that the code page lacks becomes one '?', as elsewhere.
bool NarrowEachCharacter(UINT codePage, std::wstring_view wide, std::string& out) {
    bool complete = true;
    for (size_t i = 0; i < wide.size();) {
        const size_t length = i + 1 < wide.size() && IS_HIGH_SURROGATE(wide[i]) &&
                                      IS_LOW_SURROGATE(wide[i + 1])
                                  ? 2
                                  : 1;
        std::string bytes;
        if (Narrow(codePage, wide.substr(i, length), bytes)) {
            out += bytes;
        } else {
            out += '?';
            complete = false;
        }
        i += length;
    }
    return complete;
}

}  // namespace

bool CodePageSupported(unsigned codePage) {
    if (codePage == kUtf8CodePage) return true;
    // 0 to 3 stand for the system's and the thread's code pages, not for one.
    if (codePage < 4 || !IsValidCodePage(codePage)) return false;
    // Code pages that refuse the checks the conversions make (UTF-7, the
    // ISO-2022 and ISCII ones, GB18030, symbols) are not supported.
    char bytes[8];
    BOOL usedDefault = FALSE;
    return WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, L"a", 1, bytes, sizeof bytes, "?",
                               &usedDefault) > 0 &&
           MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, "a", 1, nullptr, 0) > 0;
}

bool DecodeCodePage(unsigned codePage, std::string_view in, std::string& out) {
    std::wstring wide;
    const bool complete = Widen(codePage, in, wide);
    if (!complete) {
        wide.clear();
        WidenEachCharacter(codePage, in, wide);
    }
    Narrow(CP_UTF8, wide, out);
    return complete;
}

bool EncodeCodePage(unsigned codePage, std::string_view utf8, std::string& out) {
    std::wstring wide;
    Widen(CP_UTF8, utf8, wide);
    if (Narrow(codePage, wide, out)) return true;
    out.clear();
    NarrowEachCharacter(codePage, wide, out);
    return false;
}

std::string Utf8FromArgument(std::string_view argument) {
    std::string out;
    if (argument.empty()) return out;
    std::wstring wide;
    Widen(CP_ACP, argument, wide);
    Narrow(CP_UTF8, wide, out);
    return out;
}
