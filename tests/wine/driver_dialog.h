// Resource ids of the test program's own dialogs.
#pragma once

#define IDD_DRIVER_DIALOG 200
#define IDD_OTHER_DIALOG 201
#define IDC_DRIVER_EDIT 1000
#define IDC_DRIVER_CHECK 1009
#define IDC_DRIVER_RADIO_A 1012
#define IDC_DRIVER_RADIO_B 1013
