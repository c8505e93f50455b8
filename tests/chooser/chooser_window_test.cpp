// The real chooser dialog, in-process: start state, choices, texts under the
// running code page and what screen readers hear, layout, icon, About box,
// the keyboard, and how it ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "chooser_driver.h"
#include "chooser_window.h"
#include "dialog_watch.h"
#include "resource_ids.h"
#include "setup_path.h"
#include "text_files.h"

using namespace orvane;

using vexatest::ChildRect;
using vexatest::RunChooser;
using vexatest::WindowText;

namespace {

const int kChoices[] = {1000, 1001, 1002, 1003, 1004};

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

int CheckedChoice(HWND dialog) {
    int checked = 0;
    for (int id : kChoices) {
        if (SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            if (checked != 0) return -1;  // more than one
            checked = id;
        }
    }
    return checked;
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

struct AboutBoxSearch {
    HWND owner;
    HWND found;
};

// An enumeration callback is a function of the platform's calling
// convention, which a lambda is not on 32-bit Windows.
BOOL CALLBACK MatchAboutBox(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<AboutBoxSearch*>(param);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && GetWindow(window, GW_OWNER) == s->owner &&
        WindowText(window) == L"關於 Orvane") {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// The About box over `owner`. Windows are shared by every process in the
// prefix, and other test programs may have an About box of their own open:
// look among this thread's windows only.
HWND FindAboutBox(HWND owner) {
    AboutBoxSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchAboutBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What a screen reader is told a window is called.
std::wstring AccessibleName(HWND window) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))))
        return L"(no accessible object)";
    VARIANT self = {};
    self.vt = VT_I4, self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring heard = SUCCEEDED(accessible->get_accName(self, &name)) && name ? name : L"";
    SysFreeString(name);
    accessible->Release();
    return heard;
}

std::vector<HWND> Panes(HWND dialog) {
    std::vector<HWND> panes;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        if (std::wstring(className) == PicturePane::kClassName) panes.push_back(child);
    }
    return panes;
}

}  // namespace

// The suite is registered once per code page; make sure the locale really
// gave the code page that the expectations below are chosen by.
TEST(ChooserWindow, RunsUnderTheExpectedCodePage) {
    EXPECT_TRUE(vexatest::RunsUnderLocaleCodePage()) << "code page " << GetACP();
}

TEST(ChooserWindow, StartsWithOkDisabledAndNothingChecked) {
    ChooserWindow chooser(Self());
    EXPECT_EQ(chooser.selectedId(), 1000);
    INT_PTR result = RunChooser(chooser, [&](HWND dialog) {
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
        EXPECT_EQ(CheckedChoice(dialog), 0);
        EXPECT_EQ(chooser.selectedId(), 1000);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(ChooserWindow, EachClickEnablesOkAndMovesTheCheck) {
    struct Case {
        std::vector<int> clicks;
    };
    const Case cases[] = {
        {{1003}}, {{1001, 1004}}, {{1000}}, {{1002, 1002}}, {{1004, 1000, 1003, 1001}},
    };
    for (const Case& c : cases) {
        ChooserWindow chooser(Self());
        RunChooser(chooser, [&](HWND dialog) {
            for (int id : c.clicks) {
                Click(dialog, id);
                SCOPED_TRACE(id);
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                EXPECT_EQ(CheckedChoice(dialog), id);
                EXPECT_EQ(chooser.selectedId(), id);
            }
        });
    }
}

TEST(ChooserWindow, MouseClickOnAChoiceGoesThroughTheButton) {
    ChooserWindow chooser(Self());
    RunChooser(chooser, [&](HWND dialog) {
        SendDlgItemMessageW(dialog, 1002, BM_CLICK, 0, 0);
        EXPECT_EQ(chooser.selectedId(), 1002);
        EXPECT_EQ(CheckedChoice(dialog), 1002);
        SendDlgItemMessageW(dialog, 1000, BM_CLICK, 0, 0);
        EXPECT_EQ(chooser.selectedId(), 1000);
        EXPECT_EQ(CheckedChoice(dialog), 1000);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    });
}

TEST(ChooserWindow, CaptionsAndTitleFollowTheCodePage) {
    struct Caption {
        int id;
        const wchar_t* simplified;
        const wchar_t* traditional;
    };
    const Caption captions[] = {
        {1000, L"Nodi青杉", L"Nodi青杉"}, {1001, L"翠玉鹰青杉", L"翠玉鷹青杉"}, {1002, L"铜云青杉", L"銅雲青杉"},
        {1003, L"顺手写", L"順手寫"},     {1004, L"碧涛青杉", L"碧濤青杉"},     {IDOK, L"确定", L"確定"},
        {IDCANCEL, L"取消", L"取消"},
    };
    const bool simplified = GetACP() == 936;
    ChooserWindow chooser(Self());
    RunChooser(chooser, [&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), L"QUORLAN INSTALLER");
        HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
        for (const Caption& caption : captions) {
            SCOPED_TRACE(caption.id);
            HWND control = GetDlgItem(dialog, caption.id);
            EXPECT_EQ(WindowText(control), simplified ? caption.simplified : caption.traditional);
            EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), guiFont);
        }
        // What a screen reader hears of the pictures: the banner's line, and
        // each picture named after its product.
        HWND instruction = GetDlgItem(dialog, IDC_INSTRUCTION);
        EXPECT_TRUE(IsWindowVisible(instruction));
        EXPECT_EQ(AccessibleName(instruction),
                  simplified ? L"请选择要安装的产品，然后按“确定”。" : L"請選擇要安裝的產品，然後按「確定」。");
        const wchar_t* const names[][2] = {{L"Cuiyu 翠玉鹰青杉", L"Cuiyu 翠玉鷹青杉"},
                                           {L"Tongyun 铜云青杉", L"Tongyun 銅雲青杉"},
                                           {L"Bitao 碧涛青杉", L"Bitao 碧濤青杉"},
                                           {L"Nodi青杉", L"Nodi青杉"},
                                           {L"Shunshou 顺手写", L"Shunshou 順手寫"}};
        std::vector<HWND> panes = Panes(dialog);
        ASSERT_EQ(panes.size(), 5u);
        for (size_t i = 0; i < panes.size(); ++i) EXPECT_EQ(AccessibleName(panes[i]), names[i][simplified ? 0 : 1]);
    });
}

TEST(ChooserWindow, IsABorderless800By600WindowCentredInTheWorkArea) {
    ChooserWindow chooser(Self());
    RunChooser(chooser, [&](HWND dialog) {
        RECT window;
        ASSERT_TRUE(GetWindowRect(dialog, &window));
        EXPECT_EQ(window.right - window.left, 800);
        EXPECT_EQ(window.bottom - window.top, 600);
        RECT client;
        ASSERT_TRUE(GetClientRect(dialog, &client));
        EXPECT_EQ(client.right, 800);
        EXPECT_EQ(client.bottom, 600);

        MONITORINFO info = {};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &info));
        const RECT& area = info.rcWork;
        // The test display is larger than the chooser: no clamping here.
        ASSERT_GE(area.right - area.left, 800);
        ASSERT_GE(area.bottom - area.top, 600);
        EXPECT_EQ(window.left, (area.left + area.right) / 2 - 400);
        EXPECT_EQ(window.top, (area.top + area.bottom) / 2 - 300);

        LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN), 0);
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    });
}

TEST(ChooserWindow, ControlsAndPanesSitAtTheirPixelRectangles) {
    struct Place {
        int id;
        RECT rect;
    };
    const Place controls[] = {
        {1000, {210, 540, 360, 560}},     {1001, {50, 390, 200, 410}},
        {1002, {320, 390, 470, 410}},     {1003, {505, 540, 655, 560}},
        {1004, {590, 390, 740, 410}},     {IDOK, {250, 570, 350, 595}},
        {IDCANCEL, {420, 570, 520, 595}}, {IDC_INSTRUCTION, {44, 184, 564, 216}},  // over the banner's line
    };
    const RECT panes[] = {
        {0, 250, 180, 391}, {260, 250, 440, 391}, {520, 250, 700, 391}, {170, 400, 350, 544}, {440, 400, 620, 544},
    };
    ChooserWindow chooser(Self());
    RunChooser(chooser, [&](HWND dialog) {
        for (const Place& place : controls) {
            SCOPED_TRACE(place.id);
            RECT rect = ChildRect(GetDlgItem(dialog, place.id));
            EXPECT_TRUE(EqualRect(&rect, &place.rect))
                << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
        }
        std::vector<HWND> found = Panes(dialog);
        ASSERT_EQ(found.size(), 5u);
        for (size_t i = 0; i < found.size(); ++i) {
            SCOPED_TRACE(i);
            RECT rect = ChildRect(found[i]);
            EXPECT_TRUE(EqualRect(&rect, &panes[i]))
                << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
            EXPECT_TRUE(IsWindowVisible(found[i]));
        }
    });
}

TEST(ChooserWindow, UsesTheProgramIconEverywhere) {
    ChooserWindow chooser(Self());
    HICON icon = LoadIconW(Self(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(chooser.icon(), icon);
    RunChooser(chooser, [&](HWND dialog) {
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0)), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0)), icon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0)), icon);
    });
}

TEST(ChooserWindow, AboutBoxOpensFromTheSystemCommandAndLeavesTheChooserAsItWas) {
    ChooserWindow chooser(Self());
    std::vector<vexatest::SeenDialog> seen;
    HWND chooserWindow = nullptr;
    RunChooser(chooser, [&](HWND dialog) {
        chooserWindow = dialog;
        Click(dialog, 1004);
        RECT before;
        GetWindowRect(dialog, &before);

        // Only the high twelve bits name a system command.
        seen = vexatest::AnswerDialogs([&] { SendMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0); });

        EXPECT_EQ(FindAboutBox(dialog), nullptr);
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_TRUE(IsWindowVisible(dialog));
        RECT after;
        GetWindowRect(dialog, &after);
        EXPECT_TRUE(EqualRect(&before, &after));
        EXPECT_EQ(chooser.selectedId(), 1004);
        EXPECT_EQ(CheckedChoice(dialog), 1004);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"關於 Orvane");
    EXPECT_THAT(seen[0].texts, testing::Contains(L"Orvane Version 1.0"));
    EXPECT_EQ(seen[0].pressedText, L"確定");
    EXPECT_EQ(seen[0].owner, chooserWindow);
}

TEST(ChooserWindow, CancelEscapeAndCloseEndItAsCancelled) {
    struct Case {
        const char* name;
        int choice;  // 0: none
        void (*end)(HWND);
    };
    const Case cases[] = {
        {"Cancel", 0, [](HWND d) { SendDlgItemMessageW(d, IDCANCEL, BM_CLICK, 0, 0); }},
        {"Cancel after a choice", 1003, [](HWND d) { SendDlgItemMessageW(d, IDCANCEL, BM_CLICK, 0, 0); }},
        {"Escape", 1001, [](HWND d) { PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"Close", 0, [](HWND d) { SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChooserWindow chooser(Self());
        bool closedByScript = false;
        INT_PTR result = RunChooser(chooser, [&](HWND dialog) {
            if (c.choice != 0) Click(dialog, c.choice);
            c.end(dialog);
            // Escape arrives as a posted key: let the dialog's loop see it.
            MSG msg;
            for (int i = 0; i < 50 && IsWindowVisible(dialog); ++i) {
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    if (!IsDialogMessageW(dialog, &msg)) {
                        TranslateMessage(&msg);
                        DispatchMessageW(&msg);
                    }
                }
                Sleep(5);
            }
            closedByScript = !IsWindowVisible(dialog);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(closedByScript);
    }
}

TEST(ChooserWindow, OkWithoutAChoiceStartsNothing) {
    ChooserWindow chooser(Self());
    bool stillOpen = false;
    INT_PTR result = RunChooser(chooser, [&](HWND dialog) {
        // Enter, and an OK command sent while OK is still disabled.
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        stillOpen = IsWindowVisible(dialog) != FALSE;
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, IDCANCEL);
}

namespace {

DWORD OverlongProgramPath(wchar_t* buffer, DWORD capacity) {
    // What GetModuleFileNameW does with a path that does not fit: the
    // buffer filled, cut short, and the capacity returned.
    std::wstring path = L"C:\\" + std::wstring(300, L'd') + L"\\Orvane.exe";
    wcsncpy(buffer, path.c_str(), capacity - 1);
    buffer[capacity - 1] = L'\0';
    return capacity;
}

DWORD DeepProgramPath(wchar_t* buffer, DWORD capacity) {
    // The program's own path fits, the setup path made from it would not.
    std::wstring path = L"C:\\" + std::wstring(240, L'd') + L"\\Orvane.exe";
    wcsncpy(buffer, path.c_str(), capacity - 1);
    return static_cast<DWORD>(path.size());
}

}  // namespace

TEST(ChooserWindow, OkEndsAsCancelledWhenAPathWouldNotFit) {
    for (ProgramPathSource source : {OverlongProgramPath, DeepProgramPath}) {
        SetProgramPathSource(source);
        ChooserWindow chooser(Self());
        INT_PTR result = RunChooser(chooser, [&](HWND dialog) {
            Click(dialog, 1000);
            SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
    SetProgramPathSource(nullptr);
}

namespace {

HHOOK g_sysMenuHook;

// Gives the chooser a system menu while it is being created, as a template
// with WS_SYSMENU would.
LRESULT CALLBACK AddSystemMenuStyle(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (create->hwndParent == nullptr && !(create->style & WS_CHILD)) {
            create->style |= WS_SYSMENU;
            SetWindowLongW(reinterpret_cast<HWND>(wParam), GWL_STYLE, create->style);
        }
    }
    return CallNextHookEx(g_sysMenuHook, code, wParam, lParam);
}

}  // namespace

// The template has no system menu (Wine then gives the chooser none); given
// one, the chooser adds its About item after a separator.
TEST(ChooserWindow, AboutItemGoesAfterASeparatorWhenThereIsASystemMenu) {
    g_sysMenuHook = SetWindowsHookExW(WH_CBT, AddSystemMenuStyle, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_sysMenuHook, nullptr);
    ChooserWindow chooser(Self());
    RunChooser(chooser, [&](HWND dialog) {
        HMENU menu = GetSystemMenu(dialog, FALSE);
        ASSERT_NE(menu, nullptr);
        int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
        wchar_t text[64] = {};
        GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), L"關於 Orvane(&A)...");
        MENUITEMINFOW separator = {};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoW(menu, count - 2, TRUE, &separator));
        EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    });
    UnhookWindowsHookEx(g_sysMenuHook);
}

namespace {

constexpr UINT kKeyF1Message = 0x004D;  // WM_KEYF1, which the headers leave out

// A key pressed and let go, as the dialog's modal loop hands it on: through
// the dialog manager to the control with the focus. For F1 also the
// WM_KEYF1 that the system posts to the focus when it reads F1 from the
// keyboard.
void Press(HWND dialog, UINT key, bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
        MSG m = {GetFocus(), message, key, message == WM_KEYDOWN ? 1 : static_cast<LPARAM>(0xC0000001), 0, {}};
        IsDialogMessageW(dialog, &m);
        if (message == WM_KEYDOWN && key == VK_F1) SendMessageW(GetFocus(), kKeyF1Message, 0, 0);
    }
    for (MSG m; PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);) IsDialogMessageW(dialog, &m);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

}  // namespace

// Without a mouse: where each key puts the focus, which product it chooses,
// and whether the chosen product's setup program starts (the dialog then
// ends with IDOK; which program that is, the dispatch test shows).
TEST(ChooserWindow, KeyboardReachesTheProductsInReadingOrderAndStartsTheChosenOne) {
    struct Key {
        UINT vk;
        bool shift;
    };
    const Key Tab{VK_TAB, false}, BackTab{VK_TAB, true}, Down{VK_DOWN, false}, Up{VK_UP, false}, Left{VK_LEFT, false},
        Right{VK_RIGHT, false}, Space{VK_SPACE, false}, Enter{VK_RETURN, false}, Esc{VK_ESCAPE, false},
        F1{VK_F1, false};
    const int kClosed = -1;
    const struct {
        const char* name;
        std::vector<Key> keys;
        std::vector<int> focus;  // after each key
        int checked;
        size_t aboutBoxes;  // F1 in the box opens no other
        bool started;
    } paths[] = {
        {"Tab, unchosen", {Tab, Tab, BackTab}, {IDCANCEL, 1001, IDCANCEL}, 0, 0, false},
        {"Down round", {Down, Down, Down, Down, Down}, {1002, 1004, 1000, 1003, 1001}, 1001, 0, false},
        {"Up, Left, Right", {Up, Left, Right}, {1003, 1000, 1003}, 1003, 0, false},
        {"Tab, chosen", {Down, Tab, Tab, Tab, BackTab}, {1002, IDOK, IDCANCEL, 1002, IDCANCEL}, 1002, 0, false},
        {"buttons' arrows", {Down, Tab, Down, Down, Up}, {1002, IDOK, IDCANCEL, IDOK, IDCANCEL}, 1002, 0, false},
        {"Enter before a choice", {Enter}, {1001}, 0, 0, false},
        {"Space, Enter", {Space, Enter}, {1001, kClosed}, 1001, 0, true},
        {"Up, Enter", {Up, Enter}, {1003, kClosed}, 1003, 0, true},
        {"Escape after a choice", {Down, Esc}, {1002, kClosed}, 1002, 0, false},
        {"F1", {Down, F1}, {1002, 1002}, 1002, 1, false},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        ChooserWindow chooser(Self());
        size_t aboutBoxes = 0;
        vexatest::Responder answer = [&](HWND box) {
            aboutBoxes += FindAboutBox(chooser.hwnd()) == box;
            SendDlgItemMessageW(box, IDOK, kKeyF1Message, 0, 0);
            return IDOK;
        };
        INT_PTR result = RunChooser(chooser, [&](HWND dialog) {
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1001);
            vexatest::RespondToDialogs(
                [&] {
                    for (size_t i = 0; i < path.keys.size(); ++i) {
                        Press(dialog, path.keys[i].vk, path.keys[i].shift);
                        EXPECT_EQ(IsWindowVisible(dialog) ? GetDlgCtrlID(GetFocus()) : kClosed, path.focus[i]) << i;
                    }
                },
                {answer, answer});
            EXPECT_EQ(CheckedChoice(dialog), path.checked);
        });
        EXPECT_EQ(aboutBoxes, path.aboutBoxes);
        EXPECT_EQ(result, path.started ? IDOK : IDCANCEL);
        EXPECT_EQ(chooser.selectedId(), path.checked == 0 ? 1000 : path.checked);
    }
}
