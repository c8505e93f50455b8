// Resource ids of Velmora, the menu launcher: plain #defines, so that the
// .rc file can use them too.
#pragma once

// Main dialog, one template per layout: rows 20, 15 or 12 units apart.
#define IDD_LAUNCHER_SPACIOUS 101
#define IDD_LAUNCHER_MEDIUM 102
#define IDD_LAUNCHER_COMPACT 103

#define IDI_VELMORA 128
#define IDB_BACKGROUND 130
#define IDB_LOGO 131

// Controls of the main dialog. Item n (1 to 20) is control 1000 + n.
#define IDC_LOGO 1000
#define IDC_FIRST_ITEM 1001
#define IDC_LAST_ITEM 1020
#define IDC_ITEM(n) (IDC_FIRST_ITEM - 1 + (n))
