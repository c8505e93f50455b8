#include "destination_dialog.h"

#include "ansi_text.h"
#include "directory_field.h"
#include "install_record.h"
#include "installer_log.h"
#include "install_session.h"
#include "messages.h"
#include "path_checks.h"
#include "resource_ids.h"
#include "user_interface.h"

namespace tarsik {

namespace {

const char kDefaultPrompt[] = "請你輸入目的目錄：";

struct Destination {
    const char* prompt;  // code page 950
};

void Refill(HWND dialog, const Destination& destination) {
    wchar_t prompt[kTextCapacity];
    WidenInstallerText(prompt, kTextCapacity, destination.prompt);
    SetDlgItemTextW(dialog, IDC_PROMPT, prompt);
    ShowDirectoryField(dialog, g_installSession.chosenDir);
}

// Offers to create the directory that does not exist; when it cannot be
// created, or the user declines, the System directory is offered instead.
void OfferToCreate(HWND dialog, const Destination& destination, int whole) {
    char* dir = g_installSession.chosenDir;
    wchar_t question[kTextCapacity];
    FormatMessageText(question, kTextCapacity, IDS_CREATE_DIRECTORY, nullptr, nullptr);
    LogMessage(IDS_CREATE_DIRECTORY, question);
    if (MessageBoxW(dialog, question, g_shell.caption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
        if (whole && RecordDirectory(dialog, dir) && CreateDirectoryA(dir, nullptr)) {
            if (IsValidDirectory(dir)) EndDialog(dialog, 1);
            return;
        }
        ShowWarning(dialog, IDS_INVALID_DIRECTORY);
    }
    CopyText(dir, kPathCapacity, g_installScript.systemDir);
    Refill(dialog, destination);
}

void OnOk(HWND dialog, const Destination& destination) {
    char* dir = g_installSession.chosenDir;
    ReadDirectoryField(dialog, dir);
    // A path that does not fit comes back empty: never valid, never created.
    int whole = MakeFullPath(dir);
    StripTrailingBackslash(dir);
    if (IsValidDirectory(dir))
        EndDialog(dialog, 1);
    else
        OfferToCreate(dialog, destination, whole);
}

INT_PTR CALLBACK DestinationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* destination = reinterpret_cast<Destination*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        Refill(dialog, *reinterpret_cast<Destination*>(lParam));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            OnOk(dialog, *destination);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {  // also Esc and the close box
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int RunDestinationDialog(HWND owner, const char* prompt) {
    Destination destination = {prompt != nullptr && prompt[0] != '\0' ? prompt : kDefaultPrompt};
    INT_PTR result = DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_DESTINATION), owner, DestinationProc,
                                     reinterpret_cast<LPARAM>(&destination));
    return result == 1 ? 1 : 0;
}

}  // namespace tarsik
