// The chooser: a borderless 800 x 600 picture window with five product
// pictures, a choice under each, OK and Cancel. OK starts the chosen
// product's setup program beside the chooser and ends the dialog.
#pragma once
#include "dialog_base.h"
#include "chooser_layout.h"
#include "picture_pane.h"

namespace orvane {

class ChooserWindow : public DialogBase {
public:
    // Loads the program icon from `instance`, which also holds the templates
    // and pictures.
    explicit ChooserWindow(HINSTANCE instance);

    // Runs the chooser modally (template 102); returns IDOK after a setup
    // program was started, IDCANCEL otherwise, -1 if it could not be shown.
    INT_PTR Run(HWND owner);

    int selectedId() const { return selectedId_; }
    HICON icon() const { return icon_; }

protected:
    INT_PTR DialogMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL OnInitDialog();
    void AddAboutItem();
    void CentreInWorkArea();
    void CreatePanes();
    void SetControlTexts();
    void PlaceControls();

    void OnPaint();
    INT_PTR OnControlColour(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnCommand(WORD id, WORD code);
    void OnChoiceClicked(int id);
    void OnOK();
    void OnCancel();
    BOOL OnSysCommand(WPARAM command);

    int selectedId_ = 1000;
    HICON icon_ = nullptr;
    PicturePane panes_[kPaneCount];
};

}  // namespace orvane
