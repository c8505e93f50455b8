#include "directory_field.h"

#include "ansi_text.h"
#include "install_script.h"
#include "resource_ids.h"

namespace tarsik {

void ShowDirectoryField(HWND dialog, const char* path) {
    HWND field = GetDlgItem(dialog, IDC_DIRECTORY);
    SendMessageW(field, EM_LIMITTEXT, kPathCapacity - 1, 0);
    SetWindowTextA(field, path);
    SendMessageW(field, EM_SETSEL, 0, -1);
    SetFocus(field);
}

void ReadDirectoryField(HWND dialog, char* path) {
    // Up to 259 characters of up to two bytes each.
    char text[2 * kPathCapacity];
    GetDlgItemTextA(dialog, IDC_DIRECTORY, text, sizeof text);
    CopyWholeCharacters(path, kPathCapacity, text);
}

}  // namespace tarsik
