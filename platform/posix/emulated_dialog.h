// The emulated windows behind the POSIX dialog layer: a dialog built from a
// template, its controls, and the thread's queue of posted messages. Only the
// dialog layer's own sources use this header.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/posix/module_resources.h"
#include "platform/posix/win32_user.h"

struct EmulatedDialog;

struct EmulatedControl {
    const DialogControlResource* resource;
    EmulatedDialog* dialog;
    HWND handle;
    std::string text;            // code page 932 bytes
    WPARAM check = BST_UNCHECKED;
};

struct EmulatedDialog {
    const DialogResource* resource;
    DLGPROC procedure;
    HWND owner;
    HWND handle;
    std::vector<std::unique_ptr<EmulatedControl>> controls;  // template order
    EmulatedControl* focus = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

// Builds the dialog and its controls from `resource` and gives each a handle.
std::unique_ptr<EmulatedDialog> CreateEmulatedDialog(const DialogResource* resource,
                                                     DLGPROC procedure, HWND owner);

// Withdraws the handles of `dialog` and of its controls and drops the posted
// messages addressed to them; the handles are never given out again.
void DestroyEmulatedDialog(EmulatedDialog* dialog);

// The control `id` of `dialog`, or null.
EmulatedControl* FindControl(EmulatedDialog* dialog, int id);

// The first visible, enabled control with a tab stop, or null.
EmulatedControl* FirstTabStop(EmulatedDialog* dialog);

// What a user's click does to the control: a button takes the focus, an
// automatic check box or radio button changes its state, then the dialog is
// sent WM_COMMAND(id, BN_CLICKED). Static texts, group boxes and disabled
// controls ignore clicks.
void ClickControl(EmulatedControl* control);

// Whether the control is a push button (default or not).
bool IsPushButton(const EmulatedControl* control);

// Whether the control is disabled (WS_DISABLED).
bool IsDisabled(const EmulatedControl* control);

// Takes the oldest posted message and delivers it as SendMessageA would;
// false when the queue is empty. Messages for windows that are gone are
// dropped.
bool DispatchPostedMessage();
