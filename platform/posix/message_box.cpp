#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "platform/message_box_log.h"
#include "platform/posix/win32_user.h"

namespace {

std::vector<RecordedMessageBox>& Records() {
    static std::vector<RecordedMessageBox> records;
    return records;
}

}  // namespace

void StartObservingMessageBoxes() {}

const std::vector<RecordedMessageBox>& RecordedMessageBoxes() { return Records(); }

void ClearRecordedMessageBoxes() { Records().clear(); }

std::string Cp932ToUtf8(const std::string& text) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, static_cast<size_t>(o - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: replace one byte and go on.
            out.push_back('?');
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

extern "C" int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    RecordedMessageBox record{owner, caption ? caption : "", text ? text : "", type};
    std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(record.caption).c_str(),
                 Cp932ToUtf8(record.text).c_str());
    Records().push_back(std::move(record));
    return IDOK;
}
