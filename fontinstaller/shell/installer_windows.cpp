#include "installer_windows.h"

#include <windowsx.h>

#include "about_dialog.h"
#include "install_driver.h"
#include "install_record.h"
#include "install_script.h"
#include "install_session.h"
#include "messages.h"
#include "resource_ids.h"
#include "user_interface.h"

namespace tarsik {

ShellState g_shell;

namespace {

const wchar_t kMainClass[] = L"cfinst";
const wchar_t kBackgroundClass[] = L"cfinst-Bk";
const char kScriptName[] = "VEXA95.INI";

// Windows of the shell are wide windows: their Chinese texts then read
// correctly under any system code page.

void DeletePicture(HBITMAP* picture) {
    if (*picture != nullptr) DeleteObject(*picture);
    *picture = nullptr;
}

// The run installs the list's selected positions; a list that cannot give
// them says so with warning 4, and nothing is installed.
void Install(HWND dialog) {
    SetStatus(IDS_STATUS_IDLE, "");
    LRESULT selected = SendDlgItemMessageW(dialog, IDC_ITEM_LIST, LB_GETSELCOUNT, 0, 0);
    if (selected <= 0) {
        ShowWarning(dialog, IDS_NOTHING_SELECTED);
        return;
    }
    constexpr LRESULT kListCapacity = kMaxFontItems + kMaxEudcItems;
    int positions[kListCapacity];
    const LRESULT wanted = selected < kListCapacity ? selected : kListCapacity;
    LRESULT got = SendDlgItemMessageW(dialog, IDC_ITEM_LIST, LB_GETSELITEMS, static_cast<WPARAM>(wanted),
                                      reinterpret_cast<LPARAM>(positions));
    if (got == LB_ERR) {
        ShowWarning(dialog, IDS_NO_MEMORY);
        return;
    }
    // What the run puts on the machine is recorded as it goes, so that
    // Apps & features can take it away again.
    if (!OpenInstallRecord(dialog, ProductDefaultTexts())) return;
    RunInstall(dialog, positions, static_cast<int>(got < wanted ? got : wanted));
    CloseInstallRecord();
}

void OnCommand(HWND dialog, int id, HWND, UINT code) {
    switch (id) {
    case IDOK:  // Install, Enter
        Install(dialog);
        break;
    case IDCANCEL:  // Exit, Esc
        DestroyInstallerWindows();
        break;
    case IDC_ABOUT:  // About, F1
        ShowAboutDialog(dialog);
        break;
    case IDC_ITEM_LIST:
        if (code == LBN_DBLCLK)
            Install(dialog);
        else if (code == LBN_SELCHANGE)
            SetStatus(IDS_STATUS_IDLE, "");
        break;
    default:
        break;
    }
}

// Either window: the close box leaves the installer, and the first of the
// two to go ends the message loop.
void OnClose(HWND) { DestroyInstallerWindows(); }

void OnDestroy(HWND) { PostQuitMessage(0); }

// The main dialog's class procedure and its handlers. Creation, painting and
// activation get the dialog manager's own processing too, after theirs.

BOOL OnCreateMain(HWND dialog, LPCREATESTRUCT create) {
    g_shell.logo = LoadBitmapW(g_shell.instance, MAKEINTRESOURCEW(IDB_LOGO));
    return DefDlgProcW(dialog, WM_CREATE, 0, reinterpret_cast<LPARAM>(create)) != -1;
}

void PaintLogo(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    RECT client;
    GetClientRect(dialog, &client);
    BITMAP size;
    GetObjectW(g_shell.logo, sizeof size, &size);
    DrawBitmapAt(dc, (client.left + client.right - size.bmWidth) / 2, 5, g_shell.logo);
    EndPaint(dialog, &paint);
}

void OnPaint(HWND dialog) {
    if (g_shell.logo != nullptr) PaintLogo(dialog);
    FORWARD_WM_PAINT(dialog, DefDlgProcW);
}

void OnActivateApp(HWND dialog, BOOL active, DWORD threadId) {
    // The background stays right behind the dialog, never over it.
    if (active && g_shell.backgroundWindow != nullptr)
        SetWindowPos(g_shell.backgroundWindow, dialog, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FORWARD_WM_ACTIVATEAPP(dialog, active, threadId, DefDlgProcW);
}

LRESULT CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(dialog, WM_CREATE, OnCreateMain);
        HANDLE_MSG(dialog, WM_PAINT, OnPaint);
        HANDLE_MSG(dialog, WM_ACTIVATEAPP, OnActivateApp);
        HANDLE_MSG(dialog, WM_CLOSE, OnClose);
        HANDLE_MSG(dialog, WM_DESTROY, OnDestroy);
        HANDLE_MSG(dialog, WM_COMMAND, OnCommand);
    default:
        return DefDlgProcW(dialog, message, wParam, lParam);
    }
}

// The background window.

BOOL OnCreateBackground(HWND, LPCREATESTRUCT) {
    g_shell.tile = LoadBitmapW(g_shell.instance, MAKEINTRESOURCEW(IDB_TILE));
    return TRUE;
}

// Repeats the tile from the window's top-left corner over the part that
// needs it; without the tile, light grey.
BOOL OnEraseBackground(HWND window, HDC dc) {
    RECT clip;
    if (GetClipBox(dc, &clip) == ERROR) GetClientRect(window, &clip);
    if (g_shell.tile == nullptr) {
        RECT client;
        GetClientRect(window, &client);
        HGDIOBJ previous = SelectObject(dc, GetStockObject(LTGRAY_BRUSH));
        PatBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, PATCOPY);
        SelectObject(dc, previous);
        return TRUE;
    }
    BITMAP tile;
    GetObjectW(g_shell.tile, sizeof tile, &tile);
    int width = tile.bmWidth, height = tile.bmHeight;
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr || width <= 0 || height <= 0) {
        if (memory != nullptr) DeleteDC(memory);
        return TRUE;
    }
    HGDIOBJ previous = SelectObject(memory, g_shell.tile);
    for (int x = clip.left / width * width; x < clip.right; x += width) {
        for (int y = clip.top / height * height; y < clip.bottom; y += height) {
            RECT cell = {x, y, x + width, y + height}, part;
            if (IntersectRect(&part, &cell, &clip))
                BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, memory,
                       part.left % width, part.top % height, SRCCOPY);
        }
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    return TRUE;
}

LRESULT CALLBACK BackgroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(window, WM_CREATE, OnCreateBackground);
        HANDLE_MSG(window, WM_ERASEBKGND, OnEraseBackground);
        HANDLE_MSG(window, WM_CLOSE, OnClose);
        HANDLE_MSG(window, WM_DESTROY, OnDestroy);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int RegisterWindowClasses(HINSTANCE instance) {
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TARSIK));
    if (icon == nullptr) icon = LoadIconA(nullptr, IDI_APPLICATION);
    WNDCLASSW main = {};
    main.style = CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS;
    main.lpfnWndProc = MainDialogProc;
    main.cbWndExtra = DLGWINDOWEXTRA;
    main.hInstance = instance;
    main.hIcon = icon;
    main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    main.lpszClassName = kMainClass;
    // A failure here shows when the main dialog cannot be created.
    RegisterClassW(&main);

    WNDCLASSW background = {};
    background.style = CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNWINDOW;
    background.lpfnWndProc = BackgroundProc;
    background.hInstance = instance;
    background.hIcon = icon;
    background.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    background.lpszClassName = kBackgroundClass;
    return RegisterClassW(&background) != 0;
}

int CreateInstallerWindows(HINSTANCE instance) {
    int loaded = LoadInstallScript();
    if (loaded != kScriptLoaded) {
        ShowWarning(nullptr, loaded, kScriptName);
        return 0;
    }
    InitInstallSession(g_installScript);
    if (!ShowInstallerWindows(instance)) return 0;
    FillItemList(g_shell.mainDialog);
    return 1;
}

int ShowInstallerWindows(HINSTANCE instance) {
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    g_shell.backgroundWindow =
        CreateWindowExW(0, kBackgroundClass, L"", WS_POPUP | WS_VISIBLE | WS_DISABLED, desktop.left, desktop.top,
                        desktop.right, desktop.bottom, nullptr, nullptr, instance, nullptr);
    if (g_shell.backgroundWindow == nullptr) {
        DestroyInstallerWindows();
        return 0;
    }
    // No dialog procedure: the class procedure is the whole behaviour.
    g_shell.mainDialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, nullptr, 0);
    if (g_shell.mainDialog == nullptr) {
        DestroyInstallerWindows();
        return 0;
    }
    RECT client;
    GetClientRect(g_shell.mainDialog, &client);
    int x = (desktop.left + desktop.right - client.right) / 2;
    int y = (desktop.top + desktop.bottom - client.bottom) / 2;
    SetWindowPos(g_shell.mainDialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(g_shell.mainDialog);
    return 1;
}

void FillItemList(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_ITEM_LIST);
    SetFocus(list);
    const InstallScript& s = g_installScript;
    const int total = s.fontItemCount + s.eudcItemCount;
    for (int i = 0; i < total; ++i) {
        const InstallItem& item = i < s.fontItemCount ? s.fontItems[i] : s.eudcItems[i - s.fontItemCount];
        wchar_t name[kNameCapacity];
        WidenInstallerText(name, kNameCapacity, item.name);
        LRESULT added = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (added == LB_ERR || added == LB_ERRSPACE) ShowWarning(dialog, IDS_NO_MEMORY);
    }
    SetStatus(IDS_STATUS_IDLE, "");
}

int DestroyInstallerWindows() {
    // Cleared first: destroying one window must not reach the other again.
    HWND background = g_shell.backgroundWindow, dialog = g_shell.mainDialog;
    g_shell.backgroundWindow = nullptr;
    g_shell.mainDialog = nullptr;
    if (background != nullptr) DestroyWindow(background);
    if (dialog != nullptr) DestroyWindow(dialog);
    DeletePicture(&g_shell.tile);
    DeletePicture(&g_shell.logo);
    return 1;
}

void DrawBitmapAt(HDC dc, int x, int y, HBITMAP bitmap) {
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr) return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BITMAP size;
    GetObjectA(bitmap, sizeof size, &size);
    BitBlt(dc, x, y, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

}  // namespace tarsik
