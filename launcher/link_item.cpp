#include "link_item.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdio>

#include "dialog_base.h"
#include "program_paths.h"

namespace velmora {

namespace {

const char kItemProperty[] = "VelmoraLinkItem";
constexpr UINT_PTR kToolId = 1;
constexpr int kHandCursorId = 106;

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// A private copy of a cursor; nullptr when there is none to copy.
HCURSOR CopyOf(HCURSOR cursor) { return cursor != nullptr ? static_cast<HCURSOR>(CopyIcon(cursor)) : nullptr; }

}  // namespace

LinkItem::LinkItem() : linkColour_(RGB(0, 0, 238)), hoverColour_(GetSysColor(COLOR_HIGHLIGHT)) {}

LinkItem::~LinkItem() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        // The control outlives the item: it must not keep a deleted font.
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(originalFont_), FALSE);
    }
    Detach();
    if (font_ != nullptr) DeleteObject(font_);
    if (handCursor_ != nullptr) DestroyCursor(handCursor_);
}

bool LinkItem::Attach(HWND control) {
    if (hwnd_ != nullptr || control == nullptr || !SetPropA(control, kItemProperty, this)) return false;
    originalProc_ =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    if (originalProc_ == nullptr) {
        RemovePropA(control, kItemProperty);
        return false;
    }
    hwnd_ = control;
    OnAttach();
    return true;
}

bool LinkItem::AttachForFirstPaint(HWND control) {
    finishLater_ = true;
    bool attached = Attach(control);
    finishLater_ = false;
    return attached;
}

void LinkItem::FinishAttach() {
    if (hwnd_ == nullptr) return;
    LoadHandCursor();
    if (tooltip_ == nullptr) CreateTooltip();
}

void LinkItem::Detach() {
    if (tooltip_ != nullptr && IsWindow(tooltip_)) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    if (hwnd_ == nullptr) return;
    if (IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
        RemovePropA(hwnd_, kItemProperty);
    }
    hwnd_ = nullptr;
}

void LinkItem::OnAttach() {
    // A link reports clicks and, like every link control, is reached by Tab.
    SetWindowLongPtrA(hwnd_, GWL_STYLE, GetWindowLongPtrA(hwnd_, GWL_STYLE) | SS_NOTIFY | WS_TABSTOP);

    std::string text = WindowText(hwnd_);
    if (target_.empty()) target_ = text;
    if (text.empty()) SetWindowTextA(hwnd_, target_.c_str());

    originalFont_ = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ current = originalFont_ != nullptr ? static_cast<HGDIOBJ>(originalFont_) : GetStockObject(SYSTEM_FONT);
    LOGFONTA description;
    if (GetObjectA(current, sizeof description, &description) == sizeof description) {
        description.lfUnderline = TRUE;
        font_ = CreateFontIndirectA(&description);
        if (font_ != nullptr) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }

    FitToText();
    if (!finishLater_) FinishAttach();
}

void LinkItem::SetTarget(const char* target) {
    target_ = target != nullptr ? target : "";
    if (hwnd_ == nullptr) return;
    FitToText();
    UpdateTool(TTM_UPDATETIPTEXTA);
    UpdateTool(TTM_NEWTOOLRECTA);
}

void LinkItem::FitToText() {
    if (hwnd_ == nullptr || !IsWindow(hwnd_)) return;
    RECT rect;
    if (!GetWindowRect(hwnd_, &rect)) return;
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);

    const std::string text = WindowText(hwnd_);
    SIZE extent = {};
    HDC dc = GetDC(hwnd_);
    if (dc == nullptr) return;
    HGDIOBJ previous = font_ != nullptr ? SelectObject(dc, font_) : nullptr;
    BOOL measured = GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(hwnd_, dc);
    if (!measured) return;
    const LONG width = extent.cx + 2;
    const LONG height = extent.cy;

    const LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
    if (style & SS_CENTERIMAGE) {
        const LONG d = (rect.bottom - rect.top - height) / 2;
        rect.top += d;
        rect.bottom -= d;
    } else {
        rect.bottom = rect.top + height;
    }
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: {
        const LONG d = (rect.right - rect.left - width) / 2;
        rect.left += d;
        rect.right -= d;
        break;
    }
    case SS_RIGHT:
        rect.left = rect.right - width;
        break;
    default:
        rect.right = rect.left + width;
        break;
    }
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void LinkItem::LoadHandCursor() {
    if (handCursor_ != nullptr) return;
    char windows[kPathCapacity];
    char path[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windows, static_cast<UINT>(kPathCapacity));
    if (length > 0 && length < kPathCapacity) {
        int written = std::snprintf(path, sizeof path, "%s\\winhlp32.exe", windows);
        HMODULE help = written > 0 && static_cast<size_t>(written) < sizeof path ? LoadLibraryA(path) : nullptr;
        if (help != nullptr) {
            handCursor_ = CopyOf(LoadCursorA(help, MAKEINTRESOURCEA(kHandCursorId)));
            FreeLibrary(help);
        }
    }
    // Where the help program is missing (as under Wine), the system's own
    // pointing hand.
    if (handCursor_ == nullptr) handCursor_ = CopyOf(LoadCursorA(nullptr, IDC_HAND));
}

void LinkItem::CreateTooltip() {
    // The common controls are loaded with the first tooltip, not with the
    // program: loading them (and the theming they bring) at start-up would
    // hold back the menu's first sight.
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFunction>(SystemFunction("comctl32.dll", "InitCommonControlsEx"));
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    if (init == nullptr || !init(&classes)) return;
    tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (tooltip_ != nullptr) UpdateTool(TTM_ADDTOOLA);
}

void LinkItem::UpdateTool(UINT toolMessage) {
    if (tooltip_ == nullptr) return;
    TOOLINFOA tool = {};
    // The size every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = hwnd_;
    tool.uId = kToolId;
    GetClientRect(hwnd_, &tool.rect);
    tool.lpszText = target_.data();
    SendMessageA(tooltip_, toolMessage, 0, reinterpret_cast<LPARAM>(&tool));
}

void LinkItem::RelayEvent(const MSG& message) {
    if (tooltip_ == nullptr) return;
    MSG copy = message;
    SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&copy));
}

LRESULT CALLBACK LinkItem::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LinkItem* self = static_cast<LinkItem*>(GetPropA(hwnd, kItemProperty));
    if (self == nullptr || self->hwnd_ != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
    return self->WindowMessage(message, wParam, lParam);
}

LRESULT LinkItem::CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(originalProc_, hwnd_, message, wParam, lParam);
}

LRESULT LinkItem::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        return OnSetCursor();
    case WM_MOUSEMOVE:
        return OnMouseMove(wParam, lParam);
    case WM_CAPTURECHANGED: {
        LRESULT result = CallOriginal(message, wParam, lParam);
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return result;
    }
    case kReflectedBase + WM_CTLCOLORSTATIC:
        return OnColour(reinterpret_cast<HDC>(wParam));
    case kReflectedBase + WM_COMMAND:
        return OnNotification(HIWORD(wParam));
    case WM_GETDLGCODE:
        return OnGetDialogCode(wParam, lParam);
    case WM_KEYDOWN:
        return OnKeyDown(wParam, lParam);
    case WM_PAINT:
        OnPaint(wParam, lParam);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE: {
        LRESULT result = CallOriginal(message, wParam, lParam);
        if (message != WM_UPDATEUISTATE || GetFocus() == hwnd_) RedrawWithBackground();
        return result;
    }
    case WM_NCDESTROY: {
        HWND hwnd = hwnd_;
        WNDPROC original = originalProc_;
        Detach();
        return CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    default:
        return CallOriginal(message, wParam, lParam);
    }
}

LRESULT LinkItem::OnSetCursor() {
    // Without a hand cursor the pointer keeps whatever shape it has.
    if (handCursor_ == nullptr) return FALSE;
    SetCursor(handCursor_);
    return TRUE;
}

LRESULT LinkItem::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallOriginal(WM_MOUSEMOVE, wParam, lParam);
    if (hovering_) {
        POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT client;
        GetClientRect(hwnd_, &client);
        if (!PtInRect(&client, pointer)) {
            hovering_ = false;
            ReleaseCapture();
            RedrawNow();
        }
    } else {
        hovering_ = true;
        RedrawNow();
        SetCapture(hwnd_);
    }
    return result;
}

void LinkItem::OnCaptureChanged(HWND gaining) {
    // Hovering means holding the capture: a window that takes it away ends
    // the hover, or the item would stay lit with no move left to unlight it.
    if (hovering_ && gaining != hwnd_) {
        hovering_ = false;
        RedrawNow();
    }
}

void LinkItem::RedrawNow() { RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void LinkItem::RedrawWithBackground() {
    // The control paints no background of its own: a focus rectangle that
    // goes away must be painted over by the dialog's picture.
    HWND parent = GetParent(hwnd_);
    RECT rect;
    if (parent == nullptr || !GetWindowRect(hwnd_, &rect)) return RedrawNow();
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool LinkItem::showsFocusCue() const {
    if (hwnd_ == nullptr || GetFocus() != hwnd_) return false;
    HWND top = GetAncestor(hwnd_, GA_ROOT);
    return (SendMessageA(top != nullptr ? top : hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

LRESULT LinkItem::OnGetDialogCode(WPARAM wParam, LPARAM lParam) {
    LRESULT code = CallOriginal(WM_GETDLGCODE, wParam, lParam);
    // Enter would otherwise be the dialog's default command; the item wants
    // it (and Space) for itself. Tab, Esc and the arrows stay the dialog's.
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (message != nullptr && message->message == WM_KEYDOWN &&
        (message->wParam == VK_RETURN || message->wParam == VK_SPACE))
        code |= DLGC_WANTMESSAGE;
    return code;
}

LRESULT LinkItem::OnKeyDown(WPARAM key, LPARAM flags) {
    // A key already down before this message (held, or the press that
    // started the program) opens nothing.
    const bool repeated = (flags & (1L << 30)) != 0;
    if ((key == VK_RETURN || key == VK_SPACE) && !repeated) {
        OnClicked();
        return 0;
    }
    return CallOriginal(WM_KEYDOWN, key, flags);
}

void LinkItem::OnPaint(WPARAM wParam, LPARAM lParam) {
    CallOriginal(WM_PAINT, wParam, lParam);
    if (showsFocusCue()) DrawFocusCue();
}

void LinkItem::DrawFocusCue() {
    // A dotted frame around the caption in the lit colour. Drawn by copy, not
    // by inversion, so that painting the item again leaves it as it is.
    HDC dc = GetDC(hwnd_);
    if (dc == nullptr) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    LOGBRUSH brush = {BS_SOLID, hoverColour_, 0};
    HPEN pen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    if (pen != nullptr) {
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, client.left, client.top, client.right, client.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    ReleaseDC(hwnd_, dc);
}

LRESULT LinkItem::OnColour(HDC dc) {
    SetTextColor(dc, hovering_ || showsFocusCue() ? hoverColour_ : linkColour_);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

LRESULT LinkItem::OnNotification(WORD code) {
    if (code != STN_CLICKED) return 0;
    OnClicked();
    return TRUE;
}

void LinkItem::OnClicked() {
    // The target is always relative to the program's directory. A path that
    // does not fit is never cut short and opened: nothing is opened, and the
    // dialog closes as after any click.
    char directory[kPathCapacity];
    char file[kPathCapacity];
    int written = -1;
    if (GetProgramDirectory(directory))
        written = std::snprintf(file, sizeof file, "%s\\%s", directory, target_.c_str());
    if (written > 0 && static_cast<size_t>(written) < sizeof file) {
        char workingDirectory[kPathCapacity];
        std::snprintf(workingDirectory, sizeof workingDirectory, "%s", file);
        if (CutAtLastBackslash(workingDirectory)) {
            // "R:" alone would be the drive's current directory, not its root.
            if (workingDirectory[0] != '\0' && workingDirectory[1] == ':' && workingDirectory[2] == '\0')
                std::snprintf(workingDirectory + 2, sizeof workingDirectory - 2, "\\");
            SetCurrentDirectoryA(workingDirectory);
        }

        // The shell reports nothing either: its own box for a missing file
        // would hold the launcher open until someone answered it.
        SHELLEXECUTEINFOA request = {};
        request.cbSize = sizeof request;
        request.fMask = SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
        request.lpVerb = "open";
        request.lpFile = file;
        request.nShow = SW_SHOW;
        OpenThroughShell(request);
    }
    PostMessageA(GetParent(hwnd_), WM_CLOSE, 0, 0);
}

void LinkItem::OpenThroughShell(SHELLEXECUTEINFOA& request) {
    // The shell, and all that it loads, comes with the first click only.
    using OpenFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
    if (auto open = reinterpret_cast<OpenFunction>(SystemFunction("shell32.dll", "ShellExecuteExA"))) open(&request);
}

}  // namespace velmora
