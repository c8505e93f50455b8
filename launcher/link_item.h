// Turns a static text control of a dialog into a link: underlined text in
// link blue, the highlight colour while the pointer is over it, a hand
// cursor, a tooltip with the item's target, and on a click the target,
// joined to the program's directory, opened through the shell, after which
// the dialog is asked to close. By keyboard it is a tab stop: Enter or Space
// opens it as a click does, and while it has the focus it is drawn lit with
// a focus rectangle, once the window's keyboard cues are on (its top-level
// window's answer to WM_QUERYUISTATE).
//
// The dialog offers the control's colour request and click notification
// back to it (reflected, see dialog_base.h) and hands every message of its
// loop for the control to RelayEvent.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace velmora {

class LinkItem {
public:
    LinkItem();
    virtual ~LinkItem();
    LinkItem(const LinkItem&) = delete;
    LinkItem& operator=(const LinkItem&) = delete;

    // Takes over the messages of `control` and runs OnAttach. False when
    // the item is already attached or the control cannot be subclassed.
    bool Attach(HWND control);
    // The same, but the hand cursor and the tooltip, which only the pointer
    // calls for, wait for FinishAttach: a dialog that attaches its items so
    // and finishes them once it is painted shows sooner.
    bool AttachForFirstPaint(HWND control);
    // Obtains the hand cursor and creates the tooltip, where not done yet.
    void FinishAttach();

    // Stores the target and brings the item's size and tooltip up to date.
    void SetTarget(const char* target);
    // Resizes the control to its current text.
    void FitToText();
    // Obtains the hand cursor, once.
    void LoadHandCursor();
    // Hands a message of the dialog's loop on to the tooltip.
    void RelayEvent(const MSG& message);

    HWND hwnd() const { return hwnd_; }
    HWND tooltip() const { return tooltip_; }
    HCURSOR handCursor() const { return handCursor_; }
    const std::string& target() const { return target_; }
    bool hovering() const { return hovering_; }
    // Has the focus and the keyboard cues are on: drawn lit and framed.
    bool showsFocusCue() const;
    COLORREF linkColour() const { return linkColour_; }
    COLORREF hoverColour() const { return hoverColour_; }

protected:
    virtual void OnAttach();
    // Opens a file through the shell; tests replace it to see the request.
    virtual void OpenThroughShell(SHELLEXECUTEINFOA& request);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor();
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnCaptureChanged(HWND gaining);
    LRESULT OnColour(HDC dc);
    LRESULT OnGetDialogCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    void OnPaint(WPARAM wParam, LPARAM lParam);
    void DrawFocusCue();
    void RedrawWithBackground();
    LRESULT OnNotification(WORD code);
    void OnClicked();
    void OnNcDestroy();
    void CreateTooltip();
    void UpdateTool(UINT toolMessage);
    void RedrawNow();
    void Detach();

    COLORREF linkColour_;
    COLORREF hoverColour_;
    bool hovering_ = false;
    std::string target_;
    HFONT font_ = nullptr;
    HCURSOR handCursor_ = nullptr;
    HWND tooltip_ = nullptr;

    HWND hwnd_ = nullptr;
    bool finishLater_ = false;
    WNDPROC originalProc_ = nullptr;
    HFONT originalFont_ = nullptr;
};

}  // namespace velmora
