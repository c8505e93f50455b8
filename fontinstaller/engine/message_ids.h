/* Numbers of the installer's messages: the string table of its resources
   holds each text under its number, and the engine names a message by it
   (ShowWarning, SetStatus, and the result of LoadInstallScript). Plain
   defines, so that the resource compiler reads this header too. */
#ifndef TARSIK_MESSAGE_IDS_H
#define TARSIK_MESSAGE_IDS_H

#define IDS_READ_ERROR 2
#define IDS_WRITE_ERROR 3
#define IDS_NO_MEMORY 4
#define IDS_SYSTEM_ERROR 5
#define IDS_NEEDS_WINDOWS95 6
#define IDS_SCRIPT_MISSING 10
#define IDS_SCRIPT_INVALID 11
#define IDS_CANNOT_CREATE_FILE 12
#define IDS_CANNOT_CREATE_TEMP 13
#define IDS_NOTHING_SELECTED 20
#define IDS_INVALID_DIRECTORY 26

/* Expansion failures: 100 plus the LZ32 library's negative code. */
#define IDS_EXPAND_BASE 100
#define IDS_EXPAND_UNKNOWN_ALG 92 /* LZERROR_UNKNOWNALG, -8 */
#define IDS_EXPAND_BAD_VALUE 93   /* LZERROR_BADVALUE, -7 */
#define IDS_EXPAND_GLOBLOCK 94    /* LZERROR_GLOBLOCK, -6 */
#define IDS_EXPAND_GLOBALLOC 95   /* LZERROR_GLOBALLOC, -5 */
#define IDS_EXPAND_WRITE 96       /* LZERROR_WRITE, -4 */
#define IDS_EXPAND_READ 97        /* LZERROR_READ, -3 */
#define IDS_EXPAND_BAD_OUT 98     /* LZERROR_BADOUTHANDLE, -2 */
#define IDS_EXPAND_BAD_IN 99      /* LZERROR_BADINHANDLE, -1 */

#define IDS_INSERT_DISK 110
#define IDS_CAPTION 151
#define IDS_STATUS_IDLE 152
#define IDS_STATUS_COPYING 153
#define IDS_STATUS_EXPANDING 154
#define IDS_INSTALL_COMPLETE 155
#define IDS_STATUS_ADDING_FONT 157
#define IDS_CREATE_DIRECTORY 159
#define IDS_STATUS_REMOVING 160

#endif
