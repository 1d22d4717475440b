// Conversions through the system's code page tables.
#include <windows.h>

#include "platform/text_encoding.h"

namespace {

constexpr UINT kShiftJis = 932;

// Decodes `in` from `codePage` to UTF-16; false when a byte is invalid, in
// which case the system's replacement characters are kept.
bool Widen(UINT codePage, std::string_view in, std::wstring& wide) {
    const int size = static_cast<int>(in.size());
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    bool complete = n > 0;
    DWORD flags = complete ? MB_ERR_INVALID_CHARS : 0;
    if (!complete) n = MultiByteToWideChar(codePage, 0, in.data(), size, nullptr, 0);
    wide.assign(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, in.data(), size, wide.data(), n);
    return complete;
}

bool Narrow(UINT codePage, const std::wstring& wide, std::string& out) {
    const int size = static_cast<int>(wide.size());
    // UTF-8 holds every character, and the system refuses a default
    // character for it.
    const bool utf8 = codePage == CP_UTF8;
    BOOL usedDefault = FALSE;
    BOOL* check = utf8 ? nullptr : &usedDefault;
    const char* fallback = utf8 ? nullptr : "?";
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback, check);
    out.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), n, fallback, check);
    return !usedDefault;
}

}  // namespace

bool Utf8FromCp932(std::string_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    std::wstring wide;
    bool complete = Widen(kShiftJis, in, wide);
    return Narrow(CP_UTF8, wide, out) && complete;
}

bool Cp932FromUtf8(std::string_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    std::wstring wide;
    bool complete = Widen(CP_UTF8, in, wide);
    return Narrow(kShiftJis, wide, out) && complete;
}

std::string Utf8FromArgument(std::string_view argument) {
    std::string out;
    if (argument.empty()) return out;
    std::wstring wide;
    Widen(CP_ACP, argument, wide);
    Narrow(CP_UTF8, wide, out);
    return out;
}
