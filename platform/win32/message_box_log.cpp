// Message boxes on Windows: a CBT hook on the observing thread sees each
// message box as it is activated, records its caption and text, and presses
// its default button, so that a program without a user never blocks on one.
#include <windows.h>

#include <cstdio>

#include "platform/message_box_log.h"

namespace {

struct Log {
    CRITICAL_SECTION lock;
    std::vector<RecordedMessageBox> records;
    Log() { InitializeCriticalSection(&lock); }
};

Log& TheLog() {
    static Log log;
    return log;
}

// The hook of each observing thread; one per thread.
thread_local HHOOK threadHook = nullptr;

std::string WindowTextA(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

struct Shape {
    bool onlyTextAndPushButtons = true;
    bool hasOk = false, hasCancel = false, hasAbort = false, hasRetry = false,
         hasIgnore = false, hasYes = false, hasNo = false;
};

BOOL CALLBACK InspectChild(HWND child, LPARAM lParam) {
    Shape* shape = reinterpret_cast<Shape*>(lParam);
    char name[32];
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0) return TRUE;
    const LONG kind = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiA(name, "Button") != 0 || (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON)) {
        shape->onlyTextAndPushButtons = false;
        return FALSE;
    }
    switch (GetDlgCtrlID(child)) {
    case IDOK: shape->hasOk = true; break;
    case IDCANCEL: shape->hasCancel = true; break;
    case IDABORT: shape->hasAbort = true; break;
    case IDRETRY: shape->hasRetry = true; break;
    case IDIGNORE: shape->hasIgnore = true; break;
    case IDYES: shape->hasYes = true; break;
    case IDNO: shape->hasNo = true; break;
    default: break;
    }
    return TRUE;
}

// The MB_ button set a message box shows, read back from its buttons (the
// icon and the other flags are not visible from outside).
UINT ButtonType(const Shape& s) {
    if (s.hasAbort && s.hasRetry && s.hasIgnore) return MB_ABORTRETRYIGNORE;
    if (s.hasYes && s.hasNo) return s.hasCancel ? MB_YESNOCANCEL : MB_YESNO;
    if (s.hasRetry && s.hasCancel) return MB_RETRYCANCEL;
    if (s.hasOk && s.hasCancel) return MB_OKCANCEL;
    return MB_OK;
}

// A message box is a system dialog made of static texts and push buttons
// only; the program's own dialogs have other controls and are left alone.
bool ReadMessageBox(HWND window, RecordedMessageBox* record) {
    char name[16];
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpA(name, "#32770") != 0) return false;
    HWND textControl = GetDlgItem(window, 0xFFFF);
    if (!textControl) return false;
    Shape shape;
    EnumChildWindows(window, InspectChild, reinterpret_cast<LPARAM>(&shape));
    if (!shape.onlyTextAndPushButtons || (!shape.hasOk && !shape.hasYes && !shape.hasRetry))
        return false;
    record->owner = GetWindow(window, GW_OWNER);
    record->caption = WindowTextA(window);
    record->text = WindowTextA(textControl);
    record->type = ButtonType(shape);
    return true;
}

LRESULT CALLBACK ObserveActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        RecordedMessageBox record;
        if (ReadMessageBox(window, &record)) {
            Log& log = TheLog();
            EnterCriticalSection(&log.lock);
            log.records.push_back(record);
            LeaveCriticalSection(&log.lock);
            // As on every platform, what the box said also goes to stderr.
            std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(record.caption).c_str(),
                         Cp932ToUtf8(record.text).c_str());
            // Press Enter, as a user would, once the box runs its loop: the
            // dialog manager answers with the box's default button.
            PostMessageA(window, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageA(window, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
        }
    }
    return CallNextHookEx(threadHook, code, wParam, lParam);
}

}  // namespace

void StartObservingMessageBoxes() {
    if (threadHook) return;
    threadHook = SetWindowsHookExA(WH_CBT, ObserveActivation, nullptr, GetCurrentThreadId());
}

const std::vector<RecordedMessageBox>& RecordedMessageBoxes() { return TheLog().records; }

void ClearRecordedMessageBoxes() {
    Log& log = TheLog();
    EnterCriticalSection(&log.lock);
    log.records.clear();
    LeaveCriticalSection(&log.lock);
}

std::string Cp932ToUtf8(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length =
            IsDBCSLeadByteEx(932, static_cast<BYTE>(text[i])) && i + 1 < text.size() ? 2 : 1;
        wchar_t unit[2];
        const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data() + i,
                                          static_cast<int>(length), unit, 2);
        if (n > 0) {
            wide.append(unit, static_cast<size_t>(n));
        } else {
            wide.push_back(L'?');  // an invalid or truncated sequence: one byte
            i += 1;
            continue;
        }
        i += length;
    }
    if (wide.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}
