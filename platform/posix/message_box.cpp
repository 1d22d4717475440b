#include <cstdio>

#include "platform/message_box_log.h"
#include "platform/text_encoding.h"
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
    std::string out;
    Utf8FromCp932(text, out);
    return out;
}

extern "C" int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    RecordedMessageBox record{owner, caption ? caption : "", text ? text : "", type};
    std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(record.caption).c_str(),
                 Cp932ToUtf8(record.text).c_str());
    Records().push_back(std::move(record));
    return IDOK;
}
