// Removing a product, the twin of installing it: by hand from Apps &
// features (a confirmation, the progress on the main dialog's status line,
// a box that says how it went) and, for the unattended removal, what both
// share: where the record lies and how the remover's own folder goes.
#pragma once

#include <windows.h>

#include "install_script.h"

namespace tarsik {

// The folder of this program: the remover's, which holds the record.
// 0 when it cannot be had.
int RemoverFolder(char (&folder)[kPathCapacity]);

// The user's removal (Tarsik.exe /UNINSTALL): the removal's exit code, or
// 1618 when another installer is running.
int RunUserRemoval(HINSTANCE instance);

// A program cannot delete its own file while it runs: once the record is
// gone, a copy of the remover in the temporary directory (under a name of
// ours, which a later run removes) waits for this one to end and takes the
// remover and its folder away.
void StartRemoverCleanup(const char* folder);

// That copy's work (Tarsik.exe /CLEANUP=folder): only a product folder
// whose record has gone is touched. Waits at most a minute for the
// remover to end. Returns 0.
int RunRemoverCleanup(const char* folder);

}  // namespace tarsik
