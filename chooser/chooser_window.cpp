#include "chooser_window.h"

#include "about_box.h"
#include "chooser_texts.h"
#include "resource_ids.h"
#include "setup_path.h"

namespace orvane {

namespace {

constexpr UINT kSimplifiedChineseCodePage = 936;

bool IsChoice(int id) { return id >= IDC_CHOICE_NODI && id <= IDC_CHOICE_BITAO; }

bool UsesSimplifiedChinese() { return GetACP() == kSimplifiedChineseCodePage; }

// Opens `path` through the shell. The shell is loaded (from the system
// directory, never from the disc) when OK starts a setup program, not with
// the chooser: loading it, and all that it loads, at start-up would hold
// back the chooser's window.
void OpenThroughShell(const wchar_t* path) {
    wchar_t shell[kPathCapacity];
    UINT length = GetSystemDirectoryW(shell, static_cast<UINT>(kPathCapacity));
    const wchar_t name[] = L"\\shell32.dll";
    if (length == 0 || length + sizeof name / sizeof name[0] > kPathCapacity) return;
    lstrcpynW(shell + length, name, static_cast<int>(kPathCapacity - length));
    HMODULE module = LoadLibraryW(shell);
    if (module == nullptr) return;
    using OpenFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    auto open = reinterpret_cast<OpenFunction>(reinterpret_cast<void*>(GetProcAddress(module, "ShellExecuteW")));
    if (open != nullptr) open(nullptr, L"open", path, nullptr, nullptr, SW_SHOW);
}

}  // namespace

ChooserWindow::ChooserWindow(HINSTANCE instance) : DialogBase(instance, IDD_CHOOSER, nullptr) {
    icon_ = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
}

MessageResult ChooserWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SYSCOMMAND:
        return OnSysCommand(wParam);
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(icon_);
    case WM_HELP:
        OnHelp(reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    default:
        return DialogBase::OnMessage(message, wParam, lParam);
    }
}

BOOL ChooserWindow::OnInitDialog() {
    AddAboutItem();

    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    // Without a caption bar the title shows on the taskbar button only.
    SetWindowTextW(hwnd_, kWindowTitle);

    SetWindowPos(hwnd_, HWND_TOP, 0, 0, kChooserWidth, kChooserHeight, SWP_NOMOVE);
    CentreInWorkArea();
    CreatePanes();
    SetControlTexts();
    PlaceControls();

    HWND ok = GetDlgItem(hwnd_, IDOK);
    if (ok != nullptr) EnableWindow(ok, FALSE);
    selectedId_ = IDC_CHOICE_NODI;
    return TRUE;
}

void ChooserWindow::AddAboutItem() {
    HMENU systemMenu = GetSystemMenu(hwnd_, FALSE);
    if (systemMenu == nullptr) return;
    wchar_t text[kPathCapacity] = {};
    if (LoadStringW(instance_, IDS_ABOUTBOX, text, static_cast<int>(kPathCapacity)) <= 0 || text[0] == L'\0') return;
    if (AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr)) AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

void ChooserWindow::CentreInWorkArea() {
    RECT window;
    if (!GetWindowRect(hwnd_, &window)) return;
    HMONITOR monitor = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) return;
    POINT corner = CentreInArea(info.rcWork, window.right - window.left, window.bottom - window.top);
    SetWindowPos(hwnd_, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ChooserWindow::CreatePanes() {
    // A pane whose picture or window fails is left out; the background
    // shows in its place.
    const bool simplified = UsesSimplifiedChinese();
    for (int i = 0; i < kPaneCount; ++i) {
        if (panes_[i].SetPicture(instance_, kPanes[i].bitmapId))
            panes_[i].Create(instance_, hwnd_, kPanes[i].rect, ProductNameFor(kPanes[i].choiceId, simplified));
    }
}

void ChooserWindow::SetControlTexts() {
    const bool simplified = UsesSimplifiedChinese();

    wchar_t converted[kCaptionCount][kPathCapacity] = {};
    bool convertedOk[kCaptionCount] = {};
    if (simplified) {
        for (int i = 0; i < kCaptionCount; ++i) {
            convertedOk[i] = MultiByteToWideChar(kSimplifiedChineseCodePage, 0, kCaptions[i].gbk, -1, converted[i],
                                                 static_cast<int>(kPathCapacity)) > 0;
        }
    }

    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    for (const ControlCaption& caption : kCaptions) {
        HWND control = GetDlgItem(hwnd_, caption.id);
        if (control != nullptr && font != nullptr)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }

    for (int i = 0; i < kCaptionCount; ++i) {
        HWND control = GetDlgItem(hwnd_, kCaptions[i].id);
        if (control == nullptr) continue;
        // Should a conversion ever fail, the Traditional caption beats an
        // empty button.
        const wchar_t* text = simplified && convertedOk[i] ? converted[i] : kCaptions[i].text;
        SetWindowTextW(control, text);
    }
    // Owner-drawn and never drawn: the banner shows the line, a screen
    // reader reads it from here.
    SetDlgItemTextW(hwnd_, IDC_INSTRUCTION, InstructionText(simplified));
}

void ChooserWindow::PlaceControls() {
    for (const ControlPlacement& placement : kPlacements) {
        HWND control = GetDlgItem(hwnd_, placement.id);
        if (control != nullptr) MoveWindow(control, placement.x, placement.y, placement.width, placement.height, TRUE);
    }
}

void ChooserWindow::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (dc == nullptr) return;

    if (IsIconic(hwnd_)) {
        SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        if (GetClientRect(hwnd_, &client)) {
            int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
            int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
            DrawIcon(dc, x, y, icon_);
        }
        EndPaint(hwnd_, &paint);
        return;
    }

    const int backgroundId = UsesSimplifiedChinese() ? IDB_BACKGROUND_CN : IDB_BACKGROUND_TW;
    HBITMAP background = LoadBitmapW(instance_, MAKEINTRESOURCEW(backgroundId));
    if (background != nullptr) {
        HDC memoryDc = CreateCompatibleDC(dc);
        if (memoryDc != nullptr) {
            HGDIOBJ previous = SelectObject(memoryDc, background);
            if (previous != nullptr) {
                BitBlt(dc, 0, 0, kChooserWidth, kChooserHeight, memoryDc, 0, 0, SRCCOPY);
                SelectObject(memoryDc, previous);
            }
            DeleteDC(memoryDc);
        }
        DeleteObject(background);
    }
    EndPaint(hwnd_, &paint);
}

MessageResult ChooserWindow::OnControlColour(UINT message, HDC dc, HWND control) {
    // The default colours are worked out and then set aside: every control
    // draws transparently on white.
    DefWindowProcW(hwnd_, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

MessageResult ChooserWindow::OnCommand(WORD id, WORD code, HWND control) {
    if (IsChoice(id)) {
        if (code == BN_CLICKED) OnChoiceClicked(id);
        return 0;
    }
    if (id == IDOK) {
        OnOK();
        return 0;
    }
    // Cancel, Escape and the close box end the chooser as the base does.
    return DialogBase::OnCommand(id, code, control);
}

void ChooserWindow::OnChoiceClicked(int id) {
    HWND ok = GetDlgItem(hwnd_, IDOK);
    if (ok != nullptr) EnableWindow(ok, TRUE);
    SendDlgItemMessageW(hwnd_, selectedId_, BM_SETCHECK, BST_UNCHECKED, 0);
    selectedId_ = id;
    SendDlgItemMessageW(hwnd_, selectedId_, BM_SETCHECK, BST_CHECKED, 0);
}

void ChooserWindow::OnOK() {
    // OK stays disabled until a choice is made; a command that arrives
    // anyway before that has nothing to start.
    HWND ok = GetDlgItem(hwnd_, IDOK);
    if (ok != nullptr && !IsWindowEnabled(ok)) return;

    // A path that does not fit is never cut short and started: the chooser
    // then ends as if cancelled.
    wchar_t programPath[kPathCapacity] = {};
    DWORD length = GetProgramPath(programPath, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) {
        EndDialog(hwnd_, IDCANCEL);
        return;
    }
    wchar_t setupPath[kPathCapacity] = {};
    if (!ComposeSetupPath(programPath, SetupSuffixFor(selectedId_), setupPath, kPathCapacity)) {
        EndDialog(hwnd_, IDCANCEL);
        return;
    }

    // No working directory: the setup program inherits the chooser's. Its
    // outcome is its own affair; a missing program passes silently.
    OpenThroughShell(setupPath);
    EndDialog(hwnd_, IDOK);
}

MessageResult ChooserWindow::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        ShowAbout();
        return 0;
    }
    return kNotHandled;
}

void ChooserWindow::OnHelp(const HELPINFO* info) {
    // F1 on the chooser or one of its controls: the window has no title bar,
    // so no system menu for its About item. The About box passes its own F1
    // on to its owner, the chooser; that one opens nothing more.
    if (info == nullptr || info->iContextType != HELPINFO_WINDOW) return;
    HWND source = static_cast<HWND>(info->hItemHandle);
    if (source == hwnd_ || IsChild(hwnd_, source)) ShowAbout();
}

void ChooserWindow::ShowAbout() {
    AboutBox about(instance_, hwnd_);
    about.DoModal();
}

}  // namespace orvane
