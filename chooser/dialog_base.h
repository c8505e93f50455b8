// A small base for the chooser's dialog classes: binds the dialog's HWND to
// its object once, in WM_INITDIALOG, hands every later message to the object,
// and gives each message the default that a dialog framework gives it:
// IDOK and IDCANCEL end the dialog.
// Its twin is the launcher's DialogBase (launcher/dialog_base.h): the same
// names, defaults and result rule; the launcher's adds reflection, the modal
// loop's message filter and centring, which the chooser does not need.
#pragma once
#include <windows.h>

#include <optional>

namespace orvane {

// What a message handler gives back: the message's result, as a window
// procedure would return it, or kNotHandled for the dialog manager's default
// processing. The dialog procedure hands the result on by the dialog rule.
using MessageResult = std::optional<LRESULT>;
inline constexpr std::nullopt_t kNotHandled = std::nullopt;

class DialogBase {
public:
    // A dialog from template `templateId` of `instance`, owned by `parent`.
    DialogBase(HINSTANCE instance, int templateId, HWND parent)
        : instance_(instance), templateId_(templateId), parent_(parent) {}
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // Runs the dialog modally; returns what EndDialog was given, or -1 when
    // the dialog could not be created.
    INT_PTR DoModal();

    HWND hwnd() const { return hwnd_; }

protected:
    // One message other than WM_INITDIALOG. Derived classes handle theirs
    // and pass the rest down.
    virtual MessageResult OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_INITDIALOG; TRUE gives the focus to the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // WM_COMMAND: IDOK and IDCANCEL end the dialog with their id.
    virtual MessageResult OnCommand(WORD id, WORD code, HWND control);
    // WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC, a request for a control's
    // colours: the system's colours.
    virtual MessageResult OnControlColour(UINT, HDC, HWND) { return kNotHandled; }

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND parent_;
};

}  // namespace orvane
