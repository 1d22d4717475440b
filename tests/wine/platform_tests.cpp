// The Windows platform layer on a real Win32: the dialog driver against a
// dialog of the test program's own, the message box log, the code page
// conversion.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/message_box_log.h"
#include "platform/text_encoding.h"
#include "platform/win32/dialog_driver.h"
#include "tests/wine/check.h"
#include "tests/wine/driver_dialog.h"
#include "tests/wine/main_window.h"

namespace {

// What the test dialog's procedure saw.
struct Outcome {
    INT_PTR result = -1;
    std::string text;  // edit box text when OK ended the dialog
    bool checked = false;
    int radio = 0;  // the checked radio button's id when OK ended the dialog
    int okCommands = 0, cancelCommands = 0, closeMessages = 0;
};

void CheckRadio(HWND dialog, int id) {
    CheckDlgButton(dialog, IDC_DRIVER_RADIO_A, id == IDC_DRIVER_RADIO_A ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_DRIVER_RADIO_B, id == IDC_DRIVER_RADIO_B ? BST_CHECKED : BST_UNCHECKED);
}

// Behaves like the module's parameter dialog, and counts what reaches it.
INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Outcome* outcome = reinterpret_cast<Outcome*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextA(dialog, IDC_DRIVER_EDIT, "5.0");
        CheckDlgButton(dialog, IDC_DRIVER_CHECK, BST_CHECKED);
        CheckRadio(dialog, IDC_DRIVER_RADIO_B);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            ++outcome->okCommands;
            char text[64];
            if (GetDlgItemTextA(dialog, IDC_DRIVER_EDIT, text, sizeof text) == 0) break;
            outcome->text = text;
            outcome->checked = IsDlgButtonChecked(dialog, IDC_DRIVER_CHECK) == BST_CHECKED;
            outcome->radio = IsDlgButtonChecked(dialog, IDC_DRIVER_RADIO_A) ? IDC_DRIVER_RADIO_A
                             : IsDlgButtonChecked(dialog, IDC_DRIVER_RADIO_B) ? IDC_DRIVER_RADIO_B
                                                                              : 0;
            EndDialog(dialog, 1);
            break;
        }
        case IDCANCEL:
            ++outcome->cancelCommands;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            break;
        case IDC_DRIVER_RADIO_A:
        case IDC_DRIVER_RADIO_B:
            CheckRadio(dialog, LOWORD(wParam));
            break;
        }
        return FALSE;
    case WM_CLOSE:
        ++outcome->closeMessages;
        EndDialog(dialog, 0);
        return FALSE;
    }
    return FALSE;
}

INT_PTR ShowTestDialog(Outcome* outcome) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DRIVER_DIALOG),
                           TestMainWindow(), TestDialogProc, reinterpret_cast<LPARAM>(outcome));
}

// Shows the test dialog with a driver playing `script`; the report says
// what the driver saw.
Outcome RunDialog(std::vector<DialogAction> script, DialogDriverReport* report,
                  DialogInspector inspect = nullptr, void* context = nullptr) {
    DialogDriverRequest request;
    request.uiThread = GetCurrentThreadId();
    request.actions = std::move(script);
    request.inspect = inspect;
    request.context = context;
    request.report = report;
    HANDLE driver = StartDialogDriver(std::move(request));
    CHECK(driver != nullptr);
    Outcome outcome;
    outcome.result = ShowTestDialog(&outcome);
    if (driver) {
        CHECK_EQ(WaitForSingleObject(driver, 15000), WAIT_OBJECT_0);
        CloseHandle(driver);
    }
    return outcome;
}

DialogAction Type(int control, const char* text) { return {DialogAction::Type, control, text}; }
DialogAction Click(int control) { return {DialogAction::Click, control, {}}; }
DialogAction Press(DialogAction::Kind kind) { return {kind, 0, {}}; }

}  // namespace

TEST(DriverTypesAndConfirmsWithOk) {
    DialogDriverReport report;
    Outcome o = RunDialog({Type(IDC_DRIVER_EDIT, "2.5mm"), Click(IDOK)}, &report);
    CHECK_EQ(o.result, 1);
    CHECK_EQ(o.text, "2.5mm");
    CHECK(report.dialog != nullptr);
    CHECK_EQ(report.owner, TestMainWindow());
    CHECK_EQ(report.actionsPlayed, 2u);
    CHECK(!report.closedByDriver);
    CHECK(!IsWindow(report.dialog));
}

TEST(DriverClicksCheckBoxesAndRadioButtons) {
    DialogDriverReport report;
    Outcome o = RunDialog({Click(IDC_DRIVER_CHECK), Click(IDC_DRIVER_RADIO_A), Click(IDOK)}, &report);
    CHECK_EQ(o.result, 1);
    CHECK(!o.checked);
    CHECK_EQ(o.radio, IDC_DRIVER_RADIO_A);

    // A second click on an automatic check box checks it again.
    o = RunDialog({Click(IDC_DRIVER_CHECK), Click(IDC_DRIVER_CHECK), Click(IDOK)}, &report);
    CHECK(o.checked);
    CHECK_EQ(o.radio, IDC_DRIVER_RADIO_B);
}

TEST(EnterAtOnceConfirmsTheInitialValues) {
    DialogDriverReport report;
    Outcome o = RunDialog({Press(DialogAction::Enter)}, &report);
    CHECK_EQ(o.result, 1);
    CHECK_EQ(o.okCommands, 1);
    CHECK_EQ(o.text, "5.0");
    CHECK(o.checked);
    CHECK_EQ(o.radio, IDC_DRIVER_RADIO_B);
}

TEST(EscapeSendsCancel) {
    DialogDriverReport report;
    Outcome o = RunDialog({Press(DialogAction::Escape)}, &report);
    CHECK_EQ(o.result, 0);
    CHECK_EQ(o.cancelCommands, 1);
    CHECK_EQ(o.closeMessages, 1);
    CHECK_EQ(o.okCommands, 0);
    CHECK(!report.closedByDriver);
}

TEST(CloseBoxClosesWithoutCancel) {
    DialogDriverReport report;
    Outcome o = RunDialog({Press(DialogAction::CloseBox)}, &report);
    CHECK_EQ(o.result, 0);
    CHECK_EQ(o.cancelCommands, 0);
    CHECK_EQ(o.closeMessages, 1);
    CHECK(!report.closedByDriver);
}

TEST(ScriptThatRunsOutClosesTheDialog) {
    // OK with an empty edit box leaves the dialog open; the driver then
    // closes it with the close box instead of waiting for a user.
    DialogDriverReport report;
    Outcome o = RunDialog({Type(IDC_DRIVER_EDIT, ""), Click(IDOK)}, &report);
    CHECK_EQ(o.okCommands, 1);
    CHECK_EQ(o.result, 0);
    CHECK_EQ(o.closeMessages, 1);
    CHECK_EQ(report.actionsPlayed, 2u);
    CHECK(report.closedByDriver);

    o = RunDialog({}, &report);
    CHECK_EQ(o.result, 0);
    CHECK(report.closedByDriver);
}

TEST(ActionsAfterTheDialogClosedAreNotPlayed) {
    DialogDriverReport report;
    Outcome o = RunDialog({Click(IDOK), Type(IDC_DRIVER_EDIT, "9"), Click(IDOK)}, &report);
    CHECK_EQ(o.result, 1);
    CHECK_EQ(o.okCommands, 1);
    CHECK_EQ(report.actionsPlayed, 1u);
}

namespace {

struct LiveView {
    HWND owner = nullptr;
    int focusId = 0;
    std::wstring caption, editText;
    RECT okMapped = {}, okActual = {};
};

void InspectLive(HWND dialog, void* context) {
    LiveView* view = static_cast<LiveView*>(context);
    view->owner = GetWindow(dialog, GW_OWNER);
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        view->focusId = GetDlgCtrlID(info.hwndFocus);
    wchar_t text[64];
    GetWindowTextW(dialog, text, 64);
    view->caption = text;
    GetDlgItemTextW(dialog, IDC_DRIVER_EDIT, text, 64);
    view->editText = text;
    view->okMapped = {5, 80, 5 + 50, 80 + 14};
    MapDialogRect(dialog, &view->okMapped);
    GetWindowRect(GetDlgItem(dialog, IDOK), &view->okActual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&view->okActual), 2);
}

}  // namespace

TEST(InspectorSeesTheLiveDialogBeforeTheScript) {
    LiveView view;
    DialogDriverReport report;
    Outcome o = RunDialog({Press(DialogAction::Escape)}, &report, InspectLive, &view);
    CHECK_EQ(o.result, 0);
    CHECK_EQ(view.owner, TestMainWindow());
    CHECK_EQ(view.focusId, IDOK);
    CHECK_EQ(view.caption, std::wstring(L"\u539A\u307F\u3092\u3064\u3051\u307E\u3059\u3002"));
    CHECK_EQ(view.editText, std::wstring(L"5.0"));
    CHECK(view.okMapped.right > view.okMapped.left);
    CHECK_EQ(view.okActual.left, view.okMapped.left);
    CHECK_EQ(view.okActual.top, view.okMapped.top);
    CHECK_EQ(view.okActual.right, view.okMapped.right);
    CHECK_EQ(view.okActual.bottom, view.okMapped.bottom);
}

TEST(SetNextDialogScriptPlaysOnTheNextDialog) {
    SetNextDialogScript({Type(IDC_DRIVER_EDIT, "7"), Click(IDOK)});
    Outcome o;
    o.result = ShowTestDialog(&o);
    CHECK_EQ(o.result, 1);
    CHECK_EQ(o.text, "7");
}

TEST(NewerScriptReplacesOneStillWaiting) {
    SetNextDialogScript({Click(IDCANCEL)});
    SetNextDialogScript({Type(IDC_DRIVER_EDIT, "3"), Press(DialogAction::Enter)});
    Outcome o;
    o.result = ShowTestDialog(&o);
    CHECK_EQ(o.result, 1);
    CHECK_EQ(o.text, "3");
    CHECK_EQ(o.cancelCommands, 0);
    // Neither script is left over for the dialog after.
    DialogDriverReport report;
    o = RunDialog({Press(DialogAction::Enter)}, &report);
    CHECK_EQ(o.text, "5.0");
    CHECK_EQ(o.cancelCommands, 0);
}

namespace {

// Closes itself after a moment (300 ms, or the milliseconds in its
// parameter) with result 7 unless OK ends it first with result 1: tells
// whether a driver touched it.
INT_PTR CALLBACK SelfClosingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetTimer(dialog, 1, lParam ? static_cast<UINT>(lParam) : 300, nullptr);
        return TRUE;
    }
    if (message == WM_TIMER) EndDialog(dialog, 7);
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
    return FALSE;
}

}  // namespace

TEST(DriverLeavesDialogsWithOtherCaptionsAlone) {
    DialogDriverRequest request;
    request.uiThread = GetCurrentThreadId();
    request.actions = {Click(IDOK)};
    request.timeoutMs = 1000;
    DialogDriverReport report;
    request.report = &report;
    HANDLE driver = StartDialogDriver(std::move(request));
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OTHER_DIALOG),
                                           TestMainWindow(), SelfClosingProc, 0);
    CHECK_EQ(result, 7);  // not OK: the driver did not touch it
    CHECK_EQ(WaitForSingleObject(driver, 5000), WAIT_OBJECT_0);
    CloseHandle(driver);
    CHECK(report.dialog == nullptr);
    CHECK_EQ(report.actionsPlayed, 0u);
}

TEST(ScriptWaitsForADialogThatOpensLate) {
    // The first window of a session can take many seconds to open on a
    // loaded machine or an emulated CPU: the script still answers a dialog
    // that opens more than ten seconds after it was armed.
    SetNextDialogScript({Click(IDOK)});
    Sleep(10500);
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DRIVER_DIALOG),
                                           TestMainWindow(), SelfClosingProc, 20000);
    CHECK_EQ(result, 1);
}

TEST(DriverWatchesItsOwnThreadOnly) {
    // A driver for another thread never plays on this thread's dialog.
    DialogDriverRequest request;
    request.uiThread = GetCurrentThreadId() + 4;
    request.actions = {Click(IDOK)};
    request.timeoutMs = 800;
    DialogDriverReport report;
    request.report = &report;
    HANDLE driver = StartDialogDriver(std::move(request));
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DRIVER_DIALOG),
                                           TestMainWindow(), SelfClosingProc, 0);
    CHECK_EQ(result, 7);
    CHECK_EQ(WaitForSingleObject(driver, 5000), WAIT_OBJECT_0);
    CloseHandle(driver);
    CHECK(report.dialog == nullptr);
}

// Shift-JIS texts, written as bytes: "UVエラー" and "PolygonObject生成エラー".
static const char kUvCaption[] = "UV\x83\x47\x83\x89\x81\x5b";
static const char kPolygonText[] = "PolygonObject\x90\xb6\x90\xac\x83\x47\x83\x89\x81\x5b";

TEST(MessageBoxesAreRecordedAndDismissed) {
    StartObservingMessageBoxes();
    StartObservingMessageBoxes();  // a second call changes nothing
    ClearRecordedMessageBoxes();
    CHECK_EQ(MessageBoxA(TestMainWindow(), kPolygonText, kUvCaption, MB_OK), IDOK);
    const std::vector<RecordedMessageBox>& boxes = RecordedMessageBoxes();
    CHECK_EQ(boxes.size(), 1u);
    if (boxes.size() == 1) {
        CHECK_EQ(boxes[0].caption, std::string(kUvCaption));
        CHECK_EQ(boxes[0].text, std::string(kPolygonText));
        CHECK_EQ(boxes[0].owner, TestMainWindow());
        CHECK_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    }
    ClearRecordedMessageBoxes();
    CHECK(RecordedMessageBoxes().empty());
}

TEST(MessageBoxesAreAnsweredWithTheirDefaultButton) {
    StartObservingMessageBoxes();
    ClearRecordedMessageBoxes();
    CHECK_EQ(MessageBoxA(TestMainWindow(), "a", "b", MB_OKCANCEL), IDOK);
    CHECK_EQ(MessageBoxA(TestMainWindow(), "c", "d", MB_YESNO | MB_DEFBUTTON2 | MB_ICONERROR), IDNO);
    const std::vector<RecordedMessageBox>& boxes = RecordedMessageBoxes();
    CHECK_EQ(boxes.size(), 2u);
    if (boxes.size() == 2) {
        CHECK_EQ(boxes[0].type, static_cast<UINT>(MB_OKCANCEL));
        CHECK_EQ(boxes[1].type, static_cast<UINT>(MB_YESNO));
        CHECK_EQ(boxes[1].text, std::string("c"));
    }
    ClearRecordedMessageBoxes();
}

TEST(DialogsAreNotTakenForMessageBoxes) {
    StartObservingMessageBoxes();
    ClearRecordedMessageBoxes();
    DialogDriverReport report;
    Outcome o = RunDialog({Type(IDC_DRIVER_EDIT, "1"), Press(DialogAction::Enter)}, &report);
    CHECK_EQ(o.result, 1);
    CHECK_EQ(o.text, "1");
    CHECK(RecordedMessageBoxes().empty());
}

TEST(Cp932ToUtf8ConvertsAndReplacesBadBytes) {
    CHECK_EQ(Cp932ToUtf8("\x8c\xfa\x82\xdd"), std::string("\xe5\x8e\x9a\xe3\x81\xbf"));
    CHECK_EQ(Cp932ToUtf8("abc"), std::string("abc"));
    CHECK_EQ(Cp932ToUtf8(""), std::string());
    // Half-width katakana are single bytes.
    CHECK_EQ(Cp932ToUtf8("\xb1"), std::string("\xef\xbd\xb1"));
    // A lead byte without its trail byte, and a byte no code maps.
    CHECK_EQ(Cp932ToUtf8("a\x8c"), std::string("a?"));
    CHECK_EQ(Cp932ToUtf8("\xa0z"), std::string("?z"));
}

// Names through the system's tables give the bytes that iconv gives the
// native build: Shift-JIS, and Korean (949, with the Hangul it adds to KS X
// 1001); a look-alike is no conversion.
TEST(CodePagesConvertNamesAsTheNativeBuildDoes) {
    struct Case {
        unsigned codePage;
        std::string bytes, utf8;
    } cases[] = {
        {932, "\x95\x5c\x94\xc2", "\xe8\xa1\xa8\xe6\x9d\xbf"},  // 表板
        {932, "\xb1\\", "\xef\xbd\xb1\\"},  // ｱ, and 0x5C is '\\'
        {949, "\xc7\xd1\xb1\xdb \xc0\xcc\xb8\xa7",  // 한글 이름
         "\xed\x95\x9c\xea\xb8\x80 \xec\x9d\xb4\xeb\xa6\x84"},
        {949, "\x8c\x63\xb9\xe6\xb0\xa2\xc7\xcf",  // 똠방각하
         "\xeb\x98\xa0\xeb\xb0\xa9\xea\xb0\x81\xed\x95\x98"},
        {949, "\xf8\xfa\xf7\xf9", "\xe8\xa1\xa8\xe6\x9d\xbf"},  // 表板 in Hanja
        {65001, "a\xc3\xa9", "a\xc3\xa9"},
    };
    for (const Case& c : cases) {
        std::string out;
        CHECK(CodePageSupported(c.codePage));
        CHECK(Utf8FromCodePage(c.codePage, c.bytes, out));
        CHECK_EQ(out, c.utf8);
        CHECK(CodePageFromUtf8(c.codePage, c.utf8, out));
        CHECK_EQ(out, c.bytes);
    }
    struct Lossy {
        unsigned codePage;
        bool fromUtf8;
        std::string in, out;
    } lossy[] = {
        {932, true, "\xc2\xa5", "?"},  // ¥ is not 0x5C
        {949, true, "a\xf0\x9f\x98\x80" "b", "a?b"},  // one '?' for a character beyond U+FFFF
        {949, true, "a\xff\x80z", "a?z"},  // invalid UTF-8
        {949, false, "a\xb0", "a?"},  // a lead byte cut short
        {949, false, "\xb0\x20z", "? z"},  // and one with a trail byte it cannot take
        {65001, false, "a\xed\xa0\x80z", "a?z"},  // a surrogate is no UTF-8
        {65001, true, "\xe6\x97", "?"},
    };
    for (const Lossy& c : lossy) {
        std::string out;
        const bool complete = c.fromUtf8 ? CodePageFromUtf8(c.codePage, c.in, out)
                                         : Utf8FromCodePage(c.codePage, c.in, out);
        CHECK(!complete);
        CHECK_EQ(out, c.out);
    }
    for (unsigned codePage : {0u, 1u, 1200u, 12345u}) CHECK(!CodePageSupported(codePage));
    std::string out;
    CHECK(!Utf8FromCodePage(12345, "abc", out));
    CHECK_EQ(out, std::string("abc"));
}

int main(int argc, char** argv) {
    TestMainWindow();
    return RunTests(argc, argv);
}
