// A small base for the launcher's dialog classes: binds the dialog's HWND to
// its object once, in WM_INITDIALOG, hands every later message to the object,
// and gives each message the default that a dialog framework gives it:
// requests and notifications of a control are first offered back to the
// control itself (reflected), IDOK and IDCANCEL end the dialog, and a modal
// dialog that did not place itself while it initialised is centred.
#pragma once
#include <windows.h>

namespace velmora {

// A control receives its own colour request as kReflectedBase +
// WM_CTLCOLOR..., and its own notification as kReflectedBase + WM_COMMAND.
// A nonzero answer means the control handled it (for colours: the brush).
constexpr UINT kReflectedBase = WM_APP + 0x1000;

// WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC: the requests for a control's colours.
constexpr bool IsControlColourRequest(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

class DialogBase {
public:
    DialogBase(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // Runs the dialog modally from this program's template; returns what
    // EndDialog was given, or -1 when the dialog could not be created.
    INT_PTR DoModal();

    HWND hwnd() const { return hwnd_; }
    int templateId() const { return templateId_; }

protected:
    // One message; answers as a dialog procedure does (FALSE: the dialog
    // manager's default processing). Derived classes handle theirs and pass
    // the rest down.
    virtual INT_PTR DialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_INITDIALOG; TRUE gives the focus to the first tab stop.
    virtual BOOL OnInitialise() { return TRUE; }
    // Sees every message of the dialog's modal loop before it is dispatched.
    virtual void PreTranslateMessage(const MSG&) {}

    // Answers a message whose result the dialog manager takes from
    // DWLP_MSGRESULT.
    INT_PTR Answer(LRESULT result);
    // The default processing of a control's colour request and of WM_COMMAND.
    INT_PTR OnControlColour(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnCommand(WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
    BOOL Initialise();
    void CentreOnScreen();

    int templateId_;
    HWND parent_;
    DialogBase* outer_ = nullptr;  // the modal dialog running when this one started
};

}  // namespace velmora
