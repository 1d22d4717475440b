// The POSIX dialog layer on a template of its own: what the emulated controls
// do on a click, how the modal loop orders posted messages and user actions,
// the system's default handling of the close box, and that no procedure can
// hang it or reach a window that is gone.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_automation.h"
#include "platform/posix/module_resources.h"
#include "platform/win32.h"

namespace {

constexpr int kEdit = 10, kAutoCheck = 11, kPlainCheck = 12, kPlainRadio = 13;
constexpr int kAutoRadioA = 14, kAutoRadioB = 15, kAutoRadioOtherGroup = 16, kLabel = 17;
constexpr UINT kAppMessage = 0x8001;  // WM_APP + 1
constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;

const DialogControlResource kControls[] = {
    {IDOK, "Button", "OK", 0, 0, 10, 10, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {IDCANCEL, "Button", "Cancel", 0, 0, 10, 10, kChild | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {kEdit, "Edit", "start", 0, 0, 10, 10, kChild | WS_BORDER | WS_TABSTOP, 0},
    {kAutoCheck, "Button", "a", 0, 0, 10, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 0},
    {kPlainCheck, "Button", "b", 0, 0, 10, 10, kChild | BS_CHECKBOX | WS_TABSTOP, 0},
    {kPlainRadio, "Button", "c", 0, 0, 10, 10, kChild | BS_RADIOBUTTON, 0},
    {kAutoRadioA, "Button", "d", 0, 0, 10, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP, 0},
    {kAutoRadioB, "Button", "e", 0, 0, 10, 10, kChild | BS_AUTORADIOBUTTON, 0},
    {kAutoRadioOtherGroup, "Button", "f", 0, 0, 10, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP, 0},
    {kLabel, "Static", "label", 0, 0, 10, 10, kChild | SS_LEFT | WS_GROUP, 0},
};

const DialogResource kTemplate = {7, 0x0409, "Test", "Ms Shell Dlg 2", 8, 0, 0, 100, 100,
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, kControls,
                                  std::size(kControls)};

HINSTANCE TestInstance() { return reinterpret_cast<HINSTANCE>(std::uintptr_t{0x7e570000}); }

struct Received {
    UINT message;
    int id;             // LOWORD(wParam) for WM_COMMAND
    int notification;   // HIWORD(wParam) for WM_COMMAND
    LRESULT autoCheck;  // BM_GETCHECK of kAutoCheck when the message arrived
};

std::vector<Received> received;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> behaviour;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(Received{message, message == WM_COMMAND ? LOWORD(wParam) : 0,
                                message == WM_COMMAND ? HIWORD(wParam) : 0,
                                SendMessageA(GetDlgItem(dialog, kAutoCheck), BM_GETCHECK, 0, 0)});
    if (behaviour) return behaviour(dialog, message, wParam, lParam);
    return message == WM_INITDIALOG;
}

// Ends the dialog with the id of OK (1) or Cancel (2) when either is pressed.
INT_PTR EndOnOkOrCancel(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        EndDialog(dialog, LOWORD(wParam));
    return message == WM_INITDIALOG;
}

INT_PTR RunTestDialog(std::vector<DialogAction> script) {
    SetNextDialogScript(std::move(script));
    return DialogBoxParamA(TestInstance(), MAKEINTRESOURCEA(7), nullptr, RecordingProc, 0);
}

DialogAction Click(int id) { return DialogAction{DialogAction::Click, id, {}}; }
DialogAction Type(int id, std::string text) { return DialogAction{DialogAction::Type, id, std::move(text)}; }
const DialogAction kEnter{DialogAction::Enter, 0, {}};
const DialogAction kEscape{DialogAction::Escape, 0, {}};
const DialogAction kCloseBox{DialogAction::CloseBox, 0, {}};

std::vector<int> CommandIds() {
    std::vector<int> ids;
    for (const Received& r : received) if (r.message == WM_COMMAND) ids.push_back(r.id);
    return ids;
}

class DialogLayer : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDialogResource(TestInstance(), &kTemplate);
        received.clear();
        behaviour = EndOnOkOrCancel;
    }
    void TearDown() override {
        UnregisterModuleResources(TestInstance());
        behaviour = nullptr;
    }
};

}  // namespace

TEST_F(DialogLayer, DialogThatCannotBeCreatedGivesMinusOne) {
    EXPECT_EQ(DialogBoxParamA(TestInstance(), MAKEINTRESOURCEA(8), nullptr, RecordingProc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(7), nullptr, RecordingProc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(TestInstance(), MAKEINTRESOURCEA(7), nullptr, nullptr, 0), -1);
    EXPECT_EQ(DialogBoxParamA(TestInstance(), "NAMED", nullptr, RecordingProc, 0), -1);
    UnregisterModuleResources(TestInstance());
    EXPECT_EQ(DialogBoxParamA(TestInstance(), MAKEINTRESOURCEA(7), nullptr, RecordingProc, 0), -1);
    EXPECT_TRUE(received.empty());
}

TEST_F(DialogLayer, InitDialogGetsTheFirstTabStopAndTheParameter) {
    WPARAM focus = 0;
    LPARAM parameter = 0;
    HWND ok = nullptr;
    behaviour = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            focus = wParam;
            parameter = lParam;
            ok = GetDlgItem(dialog, IDOK);
            EndDialog(dialog, 42);
        }
        return TRUE;
    };
    SetNextDialogScript({Click(kAutoCheck)});
    EXPECT_EQ(DialogBoxParamA(TestInstance(), MAKEINTRESOURCEA(7), nullptr, RecordingProc, 1234), 42);
    EXPECT_EQ(reinterpret_cast<HWND>(focus), ok);
    EXPECT_EQ(parameter, 1234);
    // Ended during WM_INITDIALOG: the script was never played.
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_INITDIALOG));
}

TEST_F(DialogLayer, AutomaticCheckBoxTogglesBeforeTheProcedureHears) {
    EXPECT_EQ(RunTestDialog({Click(kAutoCheck), Click(kAutoCheck), kEnter}), IDOK);
    ASSERT_EQ(CommandIds(), (std::vector<int>{kAutoCheck, kAutoCheck, IDOK}));
    EXPECT_EQ(received[1].autoCheck, BST_CHECKED);
    EXPECT_EQ(received[1].notification, BN_CLICKED);
    EXPECT_EQ(received[2].autoCheck, BST_UNCHECKED);
}

TEST_F(DialogLayer, PlainButtonsAndRadiosKeepTheirStateOnAClick) {
    LRESULT plainCheck = -1, plainRadio = -1, radioA = -1, radioB = -1, radioOther = -1;
    behaviour = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_INITDIALOG)
            SendMessageA(GetDlgItem(dialog, kAutoRadioOtherGroup), BM_SETCHECK, BST_CHECKED, 0);
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            auto state = [&](int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0); };
            plainCheck = state(kPlainCheck);
            plainRadio = state(kPlainRadio);
            radioA = state(kAutoRadioA);
            radioB = state(kAutoRadioB);
            radioOther = state(kAutoRadioOtherGroup);
        }
        return EndOnOkOrCancel(dialog, message, wParam, lParam);
    };
    EXPECT_EQ(RunTestDialog({Click(kPlainCheck), Click(kPlainRadio), Click(kAutoRadioA), Click(kAutoRadioB),
                   Click(kLabel), kEnter}),
              IDOK);
    EXPECT_EQ(plainCheck, BST_UNCHECKED);
    EXPECT_EQ(plainRadio, BST_UNCHECKED);
    // An automatic radio button checks itself and unchecks its own group only.
    EXPECT_EQ(radioA, BST_UNCHECKED);
    EXPECT_EQ(radioB, BST_CHECKED);
    EXPECT_EQ(radioOther, BST_CHECKED);
    // The plain ones still tell the procedure; the label tells nobody.
    EXPECT_EQ(CommandIds(), (std::vector<int>{kPlainCheck, kPlainRadio, kAutoRadioA, kAutoRadioB, IDOK}));
}

TEST_F(DialogLayer, BmSetCheckKeepsOnlyTheStatesTheButtonHas) {
    LRESULT twoState = -1, pushButton = -1;
    behaviour = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            SendMessageA(GetDlgItem(dialog, kPlainCheck), BM_SETCHECK, BST_INDETERMINATE, 0);
            SendMessageA(GetDlgItem(dialog, IDOK), BM_SETCHECK, BST_CHECKED, 0);
            twoState = SendMessageA(GetDlgItem(dialog, kPlainCheck), BM_GETCHECK, 0, 0);
            pushButton = SendMessageA(GetDlgItem(dialog, IDOK), BM_GETCHECK, 0, 0);
            EndDialog(dialog, 0);
        }
        return TRUE;
    };
    RunTestDialog({});
    EXPECT_EQ(twoState, BST_CHECKED);
    EXPECT_EQ(pushButton, BST_UNCHECKED);
}

TEST_F(DialogLayer, TypingReplacesTheTextAndNotifiesWithTheEditId) {
    std::string seen;
    UINT copied = 0;
    behaviour = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            char small[4];
            copied = GetDlgItemTextA(dialog, kEdit, small, sizeof small);
            seen = small;
        }
        return EndOnOkOrCancel(dialog, message, wParam, lParam);
    };
    EXPECT_EQ(RunTestDialog({Type(kEdit, "abcdef"), kEnter}), IDOK);
    EXPECT_EQ(copied, 3u);  // cut to the buffer, zero included
    EXPECT_EQ(seen, "abc");
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(received[1].id, kEdit);
    EXPECT_EQ(received[1].notification, EN_CHANGE);
}

TEST_F(DialogLayer, EnterPressesTheFocusedPushButtonElseTheDefaultOne) {
    behaviour = nullptr;  // ends nothing: the commands are only recorded
    SetNextDialogScript({Type(kEdit, "x"), kEnter, Click(IDCANCEL), kEnter});
    HWND dialog = nullptr;
    behaviour = [&](HWND d, UINT message, WPARAM, LPARAM) -> INT_PTR {
        dialog = d;
        return message == WM_INITDIALOG;
    };
    // Nobody ends it: after the script the close box is used, then the layer
    // gives up on the dialog instead of waiting for ever.
    EXPECT_EQ(DialogBoxParamA(TestInstance(), MAKEINTRESOURCEA(7), nullptr, RecordingProc, 0), -1);
    EXPECT_EQ(CommandIds(), (std::vector<int>{kEdit, IDOK, IDCANCEL, IDCANCEL, IDCANCEL}));
    // The dialog and its controls are gone, and so is every way to reach them.
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetDlgItem(dialog, IDOK), nullptr);
    EXPECT_EQ(SendMessageA(dialog, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(EndDialog(dialog, 1));
    EXPECT_FALSE(PostMessageA(dialog, WM_CLOSE, 0, 0));
    EXPECT_FALSE(SetDlgItemTextA(dialog, kEdit, "y"));
    char text[8] = "junk";
    EXPECT_EQ(GetDlgItemTextA(dialog, kEdit, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");
}

TEST_F(DialogLayer, EscapeSendsCancel) {
    EXPECT_EQ(RunTestDialog({kEscape}), IDCANCEL);
    EXPECT_EQ(CommandIds(), (std::vector<int>{IDCANCEL}));
}

TEST_F(DialogLayer, UnhandledCloseBoxActsAsCancel) {
    EXPECT_EQ(RunTestDialog({kCloseBox}), IDCANCEL);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(received[2].id, IDCANCEL);
}

TEST_F(DialogLayer, ScriptThatRunsOutUsesTheCloseBox) {
    EXPECT_EQ(RunTestDialog({Click(kAutoCheck)}), IDCANCEL);
    EXPECT_EQ(received[2].message, static_cast<UINT>(WM_CLOSE));
}

TEST_F(DialogLayer, PostedMessagesComeBeforeTheNextActionInOrder) {
    std::vector<UINT> order;
    behaviour = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == kAutoCheck) {
            PostMessageA(dialog, kAppMessage, 1, 0);
            PostMessageA(dialog, kAppMessage, 2, 0);
        }
        if (message == kAppMessage) order.push_back(static_cast<UINT>(wParam));
        if (message == WM_COMMAND) order.push_back(100 + LOWORD(wParam));
        return EndOnOkOrCancel(dialog, message, wParam, lParam);
    };
    EXPECT_EQ(RunTestDialog({Click(kAutoCheck), kEnter}), IDOK);
    EXPECT_EQ(order, (std::vector<UINT>{100 + kAutoCheck, 1, 2, 100 + IDOK}));
}

TEST_F(DialogLayer, MessagesLeftForAClosedDialogReachNoLaterOne) {
    // Ending on WM_CLOSE without claiming it leaves the default handling's
    // Cancel in the queue; the next dialog must not receive it.
    behaviour = [](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_CLOSE) EndDialog(dialog, 5);
        return EndOnOkOrCancel(dialog, message, wParam, lParam);
    };
    EXPECT_EQ(RunTestDialog({kCloseBox}), 5);
    received.clear();
    EXPECT_EQ(RunTestDialog({kEnter}), IDOK);
    EXPECT_EQ(CommandIds(), (std::vector<int>{IDOK}));
}

TEST_F(DialogLayer, ProcedureThatKeepsPostingIsAbandoned) {
    behaviour = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message != WM_INITDIALOG) PostMessageA(dialog, kAppMessage, 0, 0);
        return message == WM_INITDIALOG;
    };
    EXPECT_EQ(RunTestDialog({kEnter}), -1);
}

TEST_F(DialogLayer, ScriptBelongsToTheDialogItWasArmedFor) {
    INT_PTR inner = 0;
    behaviour = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == kAutoCheck)
            inner = DialogBoxParamA(TestInstance(), MAKEINTRESOURCEA(7), dialog, EndOnOkOrCancel, 0);
        return EndOnOkOrCancel(dialog, message, wParam, lParam);
    };
    // The nested dialog has no script: its close box closes it as Cancel, and
    // the outer one goes on with the rest of its own script.
    EXPECT_EQ(RunTestDialog({Click(kAutoCheck), kEnter}), IDOK);
    EXPECT_EQ(inner, IDCANCEL);
}

TEST_F(DialogLayer, ActionOnAMissingControlIsSkipped) {
    EXPECT_EQ(RunTestDialog({Click(999), Type(998, "x"), kEnter}), IDOK);
    EXPECT_EQ(CommandIds(), (std::vector<int>{IDOK}));
}
