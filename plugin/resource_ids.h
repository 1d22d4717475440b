// Resource and control ids of the module, shared by the code and the resource
// script (so: nothing but #define lines of plain integers).
#pragma once

// The parameter dialog's template.
#define IDD_THICKEN 100

// Controls without an id of their own (labels, group boxes).
#define IDC_STATIC 65535

// The thickness edit box.
#define IDC_THICKNESS 1000

// Face groups to generate (automatic check boxes).
#define IDC_MAKE_FRONT 1009
#define IDC_MAKE_SIDE 1010
#define IDC_MAKE_BACK 1011

// Direction of the thickness (plain radio buttons, checked by the procedure).
#define IDC_DIRECTION_FRONT 1012
#define IDC_DIRECTION_CENTER 1013
#define IDC_DIRECTION_BACK 1014

// Even thickness (an automatic check box, unchecked when the dialog opens).
#define IDC_EVEN_THICKNESS 1015
