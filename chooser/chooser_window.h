// The chooser: a borderless 800 x 600 picture window with five product
// pictures, a choice under each, OK and Cancel. OK starts the chosen
// product's setup program beside the chooser and ends the dialog.
#pragma once
#include "dialog_base.h"
#include "chooser_layout.h"
#include "picture_pane.h"
#include "resource_ids.h"

namespace orvane {

class ChooserWindow : public DialogBase {
public:
    // The chooser from template 102, with no owner. Loads the program icon
    // from `instance`, which also holds the templates and pictures. DoModal
    // returns IDOK after a setup program was started, IDCANCEL otherwise, -1
    // if it could not be shown.
    explicit ChooserWindow(HINSTANCE instance);

    int selectedId() const { return selectedId_; }
    HICON icon() const { return icon_; }

protected:
    MessageResult OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    MessageResult OnCommand(WORD id, WORD code, HWND control) override;
    // Every control draws transparently on white.
    MessageResult OnControlColour(UINT message, HDC dc, HWND control) override;

private:
    void AddAboutItem();
    void CentreInWorkArea();
    void CreatePanes();
    void SetControlTexts();
    void PlaceControls();

    void OnPaint();
    void OnChoiceClicked(int id);
    void OnOK();
    MessageResult OnSysCommand(WPARAM command);
    void OnHelp(const HELPINFO* info);
    void ShowAbout();

    int selectedId_ = IDC_CHOICE_NODI;
    HICON icon_ = nullptr;
    PicturePane panes_[kPaneCount];
};

}  // namespace orvane
