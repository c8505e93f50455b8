// What one disc's installs have put on the machine. The record lives in a
// folder of the product's under Program Files, beside a copy of the
// installer that removes exactly what it names: also when the disc is gone,
// and also after an install that was ended by force half-way, since every
// change is written into the record before it is made. Nothing the machine
// had before is ever recorded, so nothing of that is ever removed.
//
// The record file is text in UTF-8, one entry a line, and is only ever
// replaced whole (built beside it and renamed over it).
#pragma once

#include <windows.h>

#include "install_script.h"

namespace tarsik {

enum RecordKind {
    RecordedFile,         // path: a file the installer made
    RecordedDirectory,    // path: a directory the installer made
    RecordedValue,        // root, view, path (key), name, data; previous/previousData: what it replaced
    RecordedKey,          // root, view, path: a key the installer made
    RecordedFont,         // path: a file added to the system's font table by this name
    RecordedProgramItem,  // path: program group, name: item; previous: 1 when the group was made for it
};

struct RecordEntry {
    RecordKind kind;
    HKEY root;    // values and keys: HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
    REGSAM view;  // values and keys: the view of HKEY_LOCAL_MACHINE they were written in
    char path[kPathCapacity];
    char name[kPathCapacity];
    char data[kPathCapacity];
    int previous;
    char previousData[kPathCapacity];
};

// What a remover made of one entry: gone (or nothing of ours was left
// there), going at the next restart, or still there (why says so, in code
// page 950, kWhyCapacity bytes).
enum EntryOutcome { EntryRemoved, EntryAtRestart, EntryNotRemoved };
constexpr int kWhyCapacity = 128;

constexpr int kMaxRecordEntries = 1024;
constexpr int kProductIdCapacity = 32;

struct InstallRecord {
    char id[kProductIdCapacity];  // the product's identity: also the name of its Apps & features entry
    char folder[kPathCapacity];   // the product's folder: the remover and the record
    char path[kPathCapacity];     // the record file
    int count;
    RecordEntry entries[kMaxRecordEntries];
};

// The record of the install run going on; empty (no folder) when none is
// open, and then every Record* call below does nothing and succeeds.
extern InstallRecord g_installRecord;

// The name of the remover and of the record in the product's folder.
extern const char kRemoverName[];
extern const char kRecordName[];

// The product's identity, "Tarsik-" and 16 hexadecimal digits: from the
// [Product] name, version and publisher when the script names the product,
// otherwise from the script's own bytes. 0 when the script cannot be read.
int ProductIdentity(const InstallScript& script, char (&id)[kProductIdCapacity]);

// The folder under which the products' folders lie: Program Files. Tests
// point it elsewhere; nullptr restores Program Files.
void SetProductsRoot(const char* root);

// What the Apps & features entry says of a product whose script does not
// name it: the installer's caption, its own version and publisher.
struct ProductDefaults {
    const wchar_t* name;
    const wchar_t* version;
    const wchar_t* publisher;
};

// At the start of an install run: the product's folder with a copy of this
// installer in it, the record (an earlier record of the same product is
// taken up and added to) and the product's Apps & features entry, all in
// place before anything else changes. 0 when they cannot be had, after a
// box saying why: the run must not change anything then.
int OpenInstallRecord(HWND owner, const ProductDefaults& defaults);

// At the end of the run: the entry's size brought up to date; a record that
// names nothing (the run found everything in place) goes again, with its
// entry, the remover and the folder.
void CloseInstallRecord();

// Write one change into the record before it is made (a second record of
// the same change is not added). 1 when the record holds it (or none is
// open), 0 after a box saying that the record cannot be written: the
// change must not be made then.
int RecordFile(HWND owner, const char* path);
int RecordDirectory(HWND owner, const char* path);
int RecordValue(HWND owner, HKEY root, REGSAM view, const char* key, const char* name, const char* data);
int RecordKey(HWND owner, HKEY root, REGSAM view, const char* key);
int RecordFont(HWND owner, const char* registryData);
int RecordProgramItem(HWND owner, const char* group, const char* item, int groupMadeForIt);

// Reads a record file: 1 when it is whole, 0 when it is missing or
// damaged (a line that does not read, a count or check that does not
// agree).
int LoadInstallRecord(const char* path, InstallRecord* record);
// Replaces the record file whole with the record; 1 on success.
int SaveInstallRecord(const InstallRecord& record);

// The product's Apps & features entry: HKEY_LOCAL_MACHINE's Uninstall key
// in the view where the installer's own entries go.
extern const wchar_t kUninstallKeyPath[];
int DeleteProductEntry(const char* id);

}  // namespace tarsik
