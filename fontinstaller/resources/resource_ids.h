/* Resource ids of Tarsik, the font installer: dialogs, controls, pictures,
   the icon and the accelerator table. Plain defines, so that the resource
   compiler reads this header too. The message numbers of the string table
   are in message_ids.h. */
#ifndef TARSIK_RESOURCE_IDS_H
#define TARSIK_RESOURCE_IDS_H

/* Dialog templates. */
#define IDD_ABOUT 1
#define IDD_DESTINATION 2
#define IDD_DISK_PROMPT 3
#define IDD_MAIN 5

/* Pictures and the program icon. */
#define IDB_TILE 1
#define IDB_LOGO 2
#define IDI_TARSIK 102

/* The accelerator table: F1 gives the About command. */
#define TARSIK_ACCELERATORS "CFINST"

/* Main dialog (template 5). IDOK installs, IDCANCEL leaves. */
#define IDC_ABOUT 102
#define IDC_ITEM_LIST 202
#define IDC_STATUS 203

/* About (template 1). */
#define IDC_ABOUT_ICON 2
#define IDC_BUILD_DATE 101

/* Destination dialog (2) and disk prompt (3). */
#define IDC_PROMPT 100
#define IDC_DIRECTORY 101
#define IDC_EXIT_INSTALL 3

#endif
