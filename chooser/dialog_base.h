// A small base for dialog classes: binds the dialog's HWND to its object once,
// in WM_INITDIALOG, and hands every later message to the object.
#pragma once
#include <windows.h>

namespace orvane {

class DialogBase {
public:
    DialogBase() = default;
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    HWND hwnd() const { return hwnd_; }

protected:
    // Runs the dialog from template `templateId` modally; returns what
    // EndDialog was given, or -1 when the dialog could not be created.
    INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);

    // One message for the dialog; the return value goes to the dialog
    // manager as a dialog procedure's would (FALSE: default processing).
    virtual INT_PTR DialogMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace orvane
