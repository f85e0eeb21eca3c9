#pragma once
// Resource ids, shared by the resource script and the code.

#define IDD_ABOUT 100
#define IDS_ABOUT_ITEM 101
#define IDD_SETTINGS 102
#define IDI_APP 128
#define IDC_USE_PSIP 1000
#define IDC_USE_TWAIN 1001
#define IDM_ABOUT 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
