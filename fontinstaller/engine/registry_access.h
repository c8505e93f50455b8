// What the installer needs of the Windows registry: open a key for writing
// (creating it, with any missing keys on its path, when it is not there yet)
// and write string values.
#pragma once

#include <windows.h>

#include "install_record.h"

namespace tarsik {

// The view of HKEY_LOCAL_MACHINE that every key of the installer is opened
// and created in: the 64-bit one where the system may be 64-bit Windows
// (the NT family from version 5.1 on), since a 32-bit program there sees
// HKEY_LOCAL_MACHINE\Software through the 32-bit programs' copy, which the
// system and 64-bit programs never read. 32-bit Windows ignores the flag;
// older NT refuses a key asked for with it, and the Windows 95 family has
// no views: there none is asked for.
REGSAM MachineView();

// Opens root\path with KEY_WRITE (below HKEY_LOCAL_MACHINE in MachineView). When that fails, creates the key with
// KEY_ALL_ACCESS, closes it and opens it again with KEY_WRITE. Returns 1 with
// the open key in *key, or 0 (nothing left open). The caller closes the key.
int OpenKeyForWriting(HKEY root, const char* path, HKEY* key);

// Writes one REG_SZ value (a value of that name is replaced). 1 on success.
int WriteStringValue(HKEY key, const char* name, const char* data);

// 1 when the key holds a value of that name (its data is not read).
int ValueExists(HKEY key, const char* name);

// Records, before OpenKeyForWriting makes them, the keys on root\path that
// are not there yet (outermost first), so that a removal takes them away
// again once they are empty. 1 when recorded (or none was missing), 0 after
// the record's box.
int RecordMissingKeys(HWND owner, HKEY root, const char* path);

// Records a value before it is written (RecordValue with the view the
// installer writes root's keys in).
int RecordWrittenValue(HWND owner, HKEY root, const char* key, const char* name, const char* data);

// The removers of what was written: a value that still holds what the
// installer wrote gets back what it held before, or goes when it held
// nothing; one that holds something else now is left as it is. A key made
// by the installer goes when it is empty.
EntryOutcome RemoveWrittenValue(const RecordEntry& entry, char* why);
EntryOutcome RemoveMadeKey(const RecordEntry& entry, char* why);

}  // namespace tarsik
