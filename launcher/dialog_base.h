// A small base for the launcher's dialog classes: binds the dialog's HWND to
// its object once, in WM_INITDIALOG, hands every later message to the object,
// and gives each message the default that a dialog framework gives it:
// requests and notifications of a control are first offered back to the
// control itself (reflected), IDOK and IDCANCEL end the dialog, and a modal
// dialog that did not place itself while it initialised is centred.
// Its twin is the chooser's DialogBase (chooser/dialog_base.h): the same
// names, defaults and result rule, without reflection, the modal loop's
// message filter and the centring, which only the launcher needs.
#pragma once
#include <windows.h>

#include <optional>

namespace velmora {

// A control receives its own colour request as kReflectedBase +
// WM_CTLCOLOR..., and its own notification as kReflectedBase + WM_COMMAND.
// A nonzero answer means the control handled it (for colours: the brush).
constexpr UINT kReflectedBase = WM_APP + 0x1000;

// What a message handler gives back: the message's result, as a window
// procedure would return it, or kNotHandled for the dialog manager's default
// processing. The dialog procedure hands the result on by the dialog rule.
using MessageResult = std::optional<LRESULT>;
inline constexpr std::nullopt_t kNotHandled = std::nullopt;

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
    // One message other than WM_INITDIALOG. Derived classes handle theirs
    // and pass the rest down.
    virtual MessageResult OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_INITDIALOG; TRUE gives the focus to the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // WM_COMMAND: a control's notification is offered back to the control
    // first; IDOK and IDCANCEL end the dialog with their id.
    virtual MessageResult OnCommand(WORD id, WORD code, HWND control);
    // WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC, a request for a control's
    // colours: offered back to the control, whose answer is the brush.
    virtual MessageResult OnControlColour(UINT message, HDC dc, HWND control);
    // Sees every message of the dialog's modal loop before it is dispatched.
    virtual void PreTranslateMessage(const MSG&) {}
    // Runs once, when the dialog is on the screen and it and its controls
    // have painted: the place for what its first sight does not need.
    virtual void OnPainted() {}

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
    BOOL Initialise();
    void CentreOnScreen();
    void OnPaintedTimer();

    int templateId_;
    HWND parent_;
    DialogBase* outer_ = nullptr;  // the modal dialog running when this one started
};

}  // namespace velmora
