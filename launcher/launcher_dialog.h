// The launcher's window: a picture dialog with the logo, up to twenty link
// items in two columns and a Close button; title, Close caption and items
// come from the language section of setup.inf. It opens with the focus on
// the first shown item and keeps the window's keyboard cues itself: hidden
// until a navigation key (Tab, an arrow) is pressed, or the system clears
// them, so that the focused item is lit only for a keyboard user.
#pragma once
#include "link_annotation.h"
#include "link_item.h"
#include "menu_configuration.h"
#include "picture_dialog.h"

namespace velmora {

class LauncherApp;

class LauncherDialog : public PictureDialog {
public:
    static constexpr int kItemCount = kMenuItemCount;

    // A dialog from template 101, 102 or 103, with no parent; loads the icon.
    LauncherDialog(const LauncherApp& app, int templateId);

    // Loads items 1, 2, ... in order and stops at the first missing one.
    void LoadItems();
    // Shows item index + 1 with its caption and target; false when setup.inf
    // has no such item ("XX" or no key).
    bool LoadItem(int index, LinkItem& item);

    LinkItem& item(int index) { return items_[index]; }
    HICON icon() const { return icon_; }
    // UISF_HIDEFOCUS and UISF_HIDEACCEL, as the dialog answers WM_QUERYUISTATE.
    UINT uiState() const { return uiState_; }

protected:
    MessageResult OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void PreTranslateMessage(const MSG& message) override;
    // Once the menu is on the screen: the hidden items attach, and every
    // item gets its hand cursor and tooltip, which only the pointer calls for.
    void OnPainted() override;

private:
    // Attaches the items not attached yet, or item `index`.
    void BindItems();
    void BindItem(int index);
    MessageResult OnPaint();
    void ChangeUiState(WORD action, WORD flags);
    void AnnotateItems();

    const LauncherApp& app_;
    LinkItem items_[kItemCount];
    HICON icon_;
    UINT uiState_ = UISF_HIDEFOCUS | UISF_HIDEACCEL;
    LinkAnnotation annotation_;
};

}  // namespace velmora
