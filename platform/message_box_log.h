// The message boxes the module showed, for tests and tools to read back.
// On POSIX the message box itself is ours and records every call. On Windows
// the program first calls StartObservingMessageBoxes() on its thread: a hook
// then records each message box's caption and text and dismisses the box.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

struct RecordedMessageBox {
    HWND owner;
    std::string caption;  // bytes as shown (code page 932)
    std::string text;     // bytes as shown (code page 932)
    UINT type;
};

// Starts recording (and, on Windows, dismissing) the message boxes opened by
// the calling thread. On POSIX recording is always on and this does nothing.
void StartObservingMessageBoxes();

// Every message box shown since the last clear, oldest first.
const std::vector<RecordedMessageBox>& RecordedMessageBoxes();

// Forgets the recorded message boxes.
void ClearRecordedMessageBoxes();

// Converts code page 932 bytes to UTF-8; bytes that do not convert are
// replaced by '?'.
std::string Cp932ToUtf8(const std::string& text);
