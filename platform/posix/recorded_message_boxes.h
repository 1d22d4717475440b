// What the POSIX MessageBoxA was asked to show, for tests to read back.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/win32_types.h"

struct RecordedMessageBox {
    HWND owner;
    std::string caption;  // bytes as given (code page 932)
    std::string text;     // bytes as given (code page 932)
    UINT type;
};

// Every message box shown since the last clear, oldest first.
const std::vector<RecordedMessageBox>& RecordedMessageBoxes();

// Forgets the recorded message boxes.
void ClearRecordedMessageBoxes();

// Converts code page 932 bytes to UTF-8; bytes that do not convert are
// replaced by '?'.
std::string Cp932ToUtf8(const std::string& text);
