// One removal run: the twin of an install run. It takes away what a
// product's record names, newest first, each change by the remover that
// sits next to its installer, and gives back what a value held before.
#pragma once

#include <windows.h>

#include "install_record.h"

namespace tarsik {

// How a removal went; the numbers are its exit codes.
enum RemovalResult {
    RemovalDone = 0,              // everything named is gone
    RemovalRestartNeeded = 3010,  // everything is gone, a file in use at the next restart
    RemovalIncomplete = 3,        // something could not be removed (said why), or the record cannot be read
};

// Removes the product whose record lies in folder (the remover's own
// directory), after the user's confirmation (0 from InstallerUi::Confirm
// removes nothing and gives RemovalDone with *confirmed 0). The record and
// the product's Apps & features entry go last, and only when everything
// went (or goes at the next restart); otherwise the record keeps what is
// left, so that a later removal can try again. *recordGone tells the shell
// that the remover's folder can go.
RemovalResult RunRemoval(HWND owner, const char* folder, int* confirmed, int* recordGone);

}  // namespace tarsik
