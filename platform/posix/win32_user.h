// The user-interface subset of Win32 for non-Windows builds: message boxes
// and modal dialogs.
// The POSIX message box shows nothing; it records each caption and text so
// that tests can read them back, and prints them to stderr in UTF-8.
// The POSIX dialog runs the dialog procedure against emulated controls built
// from the module's template (platform/posix/module_resources.h) and plays
// the script of user actions armed with SetNextDialogScript
// (platform/dialog_automation.h); it draws nothing.
#pragma once

#include "platform/posix/win32_types.h"

#define MB_OK 0x00000000u
#define IDOK 1
#define IDCANCEL 2

extern "C" int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Words, integer resources.
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)(((WORD)(l)) | (((DWORD)(WORD)(h)) << 16)))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

// Messages.
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE 0x0010
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5

// Button states and notifications; edit notifications.
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BN_CLICKED 0
#define EN_CHANGE 0x0300

// Window styles.
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_SYSMENU 0x00080000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u

// Dialog styles.
#define DS_3DLOOK 0x0004u
#define DS_FIXEDSYS 0x0008u
#define DS_SETFONT 0x0040u
#define DS_MODALFRAME 0x0080u
#define DS_CENTER 0x0800u
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Button styles (the low four bits are the kind).
#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_CHECKBOX 0x0002u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_RADIOBUTTON 0x0004u
#define BS_3STATE 0x0005u
#define BS_AUTO3STATE 0x0006u
#define BS_GROUPBOX 0x0007u
#define BS_AUTORADIOBUTTON 0x0009u
#define BS_TYPEMASK 0x000Fu

// Static and edit styles.
#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_RIGHT 0x0002u
#define ES_LEFT 0x0000u
#define ES_AUTOHSCROLL 0x0080u

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// Creates the dialog of template `templateName` (MAKEINTRESOURCEA(id)) of
// `instance`, sends WM_INITDIALOG with `initParam` to `dialogProc` and runs
// the modal loop until EndDialog; returns the result given to EndDialog, or
// -1 when the template is not registered or the procedure is null.
extern "C" INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                                   DLGPROC dialogProc, LPARAM initParam);

// Marks `dialog` to end with `result` once the current message is handled;
// FALSE when `dialog` is not an open dialog.
extern "C" BOOL EndDialog(HWND dialog, INT_PTR result);

// The control `id` of `dialog`, or null.
extern "C" HWND GetDlgItem(HWND dialog, int id);

// Copies the text of control `id` into `buffer`, cut to `size` - 1 bytes and
// zero-terminated; returns the bytes copied (0 for an unknown control).
extern "C" UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);

// Replaces the text of control `id`; FALSE for an unknown control.
extern "C" BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);

// Delivers a message at once: to the dialog procedure for a dialog (with the
// default dialog handling when it returns FALSE), to the emulated control
// otherwise (BM_GETCHECK, BM_SETCHECK, BM_CLICK, WM_SETTEXT, WM_GETTEXT,
// WM_GETTEXTLENGTH). 0 for an unknown window.
extern "C" LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Queues a message for the modal loop of the window's dialog; FALSE for an
// unknown window.
extern "C" BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
