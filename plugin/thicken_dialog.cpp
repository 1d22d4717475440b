#include "plugin/thicken_dialog.h"

#include <charconv>
#include <cmath>

#include "plugin/resource_ids.h"
#include "plugin/thicken_settings.h"

namespace {

// GetDlgItemTextA writes at most 63 characters and the terminating zero.
constexpr int kThicknessBufferSize = 64;

// In the order the procedure sets them.
constexpr int kDirectionButtons[] = {IDC_DIRECTION_FRONT, IDC_DIRECTION_CENTER, IDC_DIRECTION_BACK};

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void InitialiseControls(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_THICKNESS, "5.0");
    SendMessageA(GetDlgItem(dialog, IDC_MAKE_FRONT), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, IDC_MAKE_SIDE), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, IDC_MAKE_BACK), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, IDC_DIRECTION_FRONT), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(dialog, IDC_DIRECTION_CENTER), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, IDC_DIRECTION_BACK), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(GetDlgItem(dialog, IDC_EVEN_THICKNESS), BM_SETCHECK, BST_UNCHECKED, 0);
}

bool IsChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Stores the dialog's answers; an empty edit box stores nothing and keeps the
// dialog open.
void Confirm(HWND dialog) {
    char text[kThicknessBufferSize] = {};
    if (GetDlgItemTextA(dialog, IDC_THICKNESS, text, kThicknessBufferSize) == 0) return;
    ThickenSettings.thickness = ParseThickness(text);
    ThickenSettings.makeFront = IsChecked(dialog, IDC_MAKE_FRONT);
    ThickenSettings.makeSide = IsChecked(dialog, IDC_MAKE_SIDE);
    ThickenSettings.makeBack = IsChecked(dialog, IDC_MAKE_BACK);
    if (IsChecked(dialog, IDC_DIRECTION_FRONT))
        ThickenSettings.direction = ThicknessDirection::Front;
    else if (IsChecked(dialog, IDC_DIRECTION_CENTER))
        ThickenSettings.direction = ThicknessDirection::Center;
    else if (IsChecked(dialog, IDC_DIRECTION_BACK))
        ThickenSettings.direction = ThicknessDirection::Back;
    ThickenSettings.evenThickness = IsChecked(dialog, IDC_EVEN_THICKNESS);
    EndDialog(dialog, 1);
}

// The radio buttons are plain ones: the procedure checks the clicked one.
void SelectDirection(HWND dialog, int chosen) {
    for (int id : kDirectionButtons) {
        SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK,
                     id == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

}  // namespace

double ParseThickness(const char* text) {
    const char* p = text;
    while (IsCSpace(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    // The longest prefix of the form digits [. digits] [e [sign] digits],
    // with at least one mantissa digit; an exponent without digits is not part
    // of it. from_chars then converts exactly that prefix, correctly rounded
    // and without regard to the locale.
    const char* start = p;
    int integerDigits = 0;   // significant digits before the point
    int leadingZeros = 0;    // zeros between the point and the first significant digit
    bool seenSignificant = false;
    bool anyDigit = false;
    for (; IsDigit(*p); ++p) {
        anyDigit = true;
        if (*p != '0') seenSignificant = true;
        if (seenSignificant) ++integerDigits;
    }
    if (*p == '.') {
        ++p;
        for (; IsDigit(*p); ++p) {
            anyDigit = true;
            if (*p != '0') seenSignificant = true;
            if (!seenSignificant) ++leadingZeros;
        }
    }
    if (!anyDigit) return 0.0;
    long exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        const bool negativeExponent = *e == '-';
        if (*e == '+' || *e == '-') ++e;
        if (IsDigit(*e)) {
            for (; IsDigit(*e); ++e) {
                if (exponent < 100000) exponent = exponent * 10 + (*e - '0');
            }
            if (negativeExponent) exponent = -exponent;
            p = e;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(start, p, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // As atof: overflow gives infinity, underflow zero.
        const long magnitude = integerDigits > 0 ? integerDigits + exponent
                                                 : exponent - leadingZeros;
        value = magnitude > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

INT_PTR CALLBACK ThickenDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitialiseControls(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            Confirm(dialog);
            break;
        case IDCANCEL:
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            break;
        case IDC_DIRECTION_FRONT:
        case IDC_DIRECTION_CENTER:
        case IDC_DIRECTION_BACK:
            SelectDirection(dialog, LOWORD(wParam));
            break;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return FALSE;
    }
    return FALSE;
}
