// Resource and control ids of Orvane (shared by the .rc file and the code).
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_CHOOSER 102
#define IDS_ABOUTBOX 101
#define IDB_BACKGROUND_TW 129
#define IDB_BACKGROUND_CN 130
#define IDB_PRODUCT_NODI 131
#define IDB_PRODUCT_CUIYU 132
#define IDB_PRODUCT_TONGYUN 133
#define IDB_PRODUCT_SHUNSHOU 134
#define IDR_MAINFRAME 135
#define IDB_PRODUCT_BITAO 138

#define IDC_CHOICE_NODI 1000
#define IDC_CHOICE_CUIYU 1001
#define IDC_CHOICE_TONGYUN 1002
#define IDC_CHOICE_SHUNSHOU 1003
#define IDC_CHOICE_BITAO 1004
// The instruction line as text for screen readers; the banner draws it.
#define IDC_INSTRUCTION 1005

// System-menu command of the About item.
#define IDM_ABOUTBOX 0x0010
