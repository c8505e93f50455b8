#include "launcher_dialog.h"

#include "launcher_app.h"
#include "resource_ids.h"

namespace velmora {

namespace {

bool IsNavigationKey(WPARAM key) {
    return key == VK_TAB || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

}  // namespace

LauncherDialog::LauncherDialog(const LauncherApp& app, int templateId)
    : PictureDialog(templateId, nullptr),
      app_(app),
      icon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELMORA))) {}

MessageResult LauncherDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(icon_);
    case WM_QUERYUISTATE:
        return uiState_;
    case WM_UPDATEUISTATE:
        // The system's own changes (where it keeps the state) count too; its
        // default processing passes them on to the controls.
        ChangeUiState(LOWORD(wParam), HIWORD(wParam));
        return kNotHandled;
    case WM_DESTROY:
        annotation_.Clear();
        return kNotHandled;
    default:
        return PictureDialog::OnMessage(message, wParam, lParam);
    }
}

void LauncherDialog::BindItems() {
    for (int i = 0; i < kItemCount; ++i) BindItem(i);
}

void LauncherDialog::BindItem(int index) {
    // An item attaches while its control still shows its template text.
    HWND control = GetDlgItem(hwnd_, IDC_FIRST_ITEM + index);
    if (control != nullptr && items_[index].hwnd() == nullptr) items_[index].AttachForFirstPaint(control);
}

void LauncherDialog::OnPainted() {
    // The items that setup.inf leaves hidden attach only now: no one sees
    // them, and the menu shows sooner without them.
    BindItems();
    for (LinkItem& item : items_) item.FinishAttach();
    // Marking the items for screen readers loads the accessibility service,
    // which would hold back the menu's first paint as well.
    AnnotateItems();
}

BOOL LauncherDialog::OnInitDialog() {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetBackground(IDB_BACKGROUND, kTiled);

    char value[kPathCapacity];
    app_.ReadValue("Title", "Tolvane", value);
    SetWindowTextA(hwnd_, value);
    app_.ReadValue("Close", "Close", value);
    SetDlgItemTextA(hwnd_, IDCANCEL, value);

    LoadItems();
    // The focus goes to the first tab stop: the first shown item, or Close
    // when there is none.
    return TRUE;
}

void LauncherDialog::LoadItems() {
    for (int i = 0; i < kItemCount; ++i) {
        if (!LoadItem(i, items_[i])) break;
    }
}

bool LauncherDialog::LoadItem(int index, LinkItem& item) {
    char caption[kPathCapacity];
    char target[kPathCapacity];
    if (!app_.ReadItem(index, caption, target)) return false;

    if (&item == &items_[index]) BindItem(index);
    HWND control = GetDlgItem(hwnd_, IDC_FIRST_ITEM + index);
    SetWindowTextA(control, caption);
    item.SetTarget(target);
    ShowWindow(control, SW_SHOW);
    return true;
}

void LauncherDialog::PreTranslateMessage(const MSG& message) {
    for (LinkItem& item : items_) {
        if (item.hwnd() != nullptr && message.hwnd == item.hwnd()) item.RelayEvent(message);
    }
    // Before the dialog manager moves the focus, so that the item it moves
    // to is drawn with its cue at once.
    if (message.message == WM_KEYDOWN && IsNavigationKey(message.wParam) && (uiState_ & UISF_HIDEFOCUS)) {
        ChangeUiState(UIS_CLEAR, UISF_HIDEFOCUS);
        for (LinkItem& item : items_) {
            if (item.hwnd() != nullptr)
                SendMessageA(item.hwnd(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        }
    }
}

void LauncherDialog::ChangeUiState(WORD action, WORD flags) {
    const UINT known = flags & (UISF_HIDEFOCUS | UISF_HIDEACCEL);
    if (action == UIS_SET) uiState_ |= known;
    if (action == UIS_CLEAR) uiState_ &= ~known;
}

void LauncherDialog::AnnotateItems() {
    for (LinkItem& item : items_) {
        if (item.hwnd() != nullptr && (GetWindowLongPtrA(item.hwnd(), GWL_STYLE) & WS_VISIBLE))
            annotation_.MarkAsLink(item.hwnd());
    }
}

MessageResult LauncherDialog::OnPaint() {
    if (!IsIconic(hwnd_)) return kNotHandled;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (dc == nullptr) return 0;
    SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    if (GetClientRect(hwnd_, &client)) {
        int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon_);
    }
    EndPaint(hwnd_, &paint);
    return 0;
}

}  // namespace velmora
