// The parameter dialog: template IDD_THICKEN of the module, run modally with
// DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_THICKEN), owner,
// ThickenDialogProc, 0). Its result is 1 when confirmed (ThickenSettings then
// holds the answers) and 0 when cancelled or closed.
#pragma once

#include "platform/win32.h"

// The dialog's message procedure. It always opens the dialog with thickness
// "5.0", all three face groups on, the direction Center and even thickness
// off; OK with a non-empty thickness stores all six settings and ends the dialog with 1;
// Cancel, Escape and the close box end it with 0. Returns TRUE for
// WM_INITDIALOG and FALSE for every other message.
INT_PTR CALLBACK ThickenDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The C library's atof on `text` with "." as the decimal point whatever the
// locale: leading white space skipped, then the longest prefix that reads as
// a decimal number (sign, digits, point, exponent), 0.0 when there is none.
double ParseThickness(const char* text);
