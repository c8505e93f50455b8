// The launcher's dialogs in-process, driven from inside their own modal
// loops: the picture background, control colours and palette messages, the
// link items, the language section and the layouts loaded from setup.inf.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "launcher_app.h"
#include "dialog_watch.h"
#include "import_hook.h"
#include "launcher_dialog.h"
#include "link_annotation.h"
#include "scratch_dir.h"
#include "text_files.h"

using namespace velmora;

using vexatest::ChildRect;

namespace {

// Runs `dialog` modally; `script` runs inside its loop once the dialog is
// shown. A dialog the script leaves open is cancelled.
void RunDialog(DialogBase& dialog, const std::function<void(HWND)>& script) {
    bool ran = false;
    vexatest::RunSoon([&] {
        ran = dialog.hwnd() != nullptr;
        if (!ran) return;
        ShowWindow(dialog.hwnd(), SW_SHOWNORMAL);
        UpdateWindow(dialog.hwnd());
        script(dialog.hwnd());
        PostMessageA(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    dialog.DoModal();
    EXPECT_TRUE(ran) << "the dialog never came up";
}

// A 32-bit top-down memory surface filled with magenta; pixels as 0xRRGGBB.
struct Surface {
    Surface(int w, int h) : width(w), height(h), dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
        old = SelectObject(dc, bitmap);
        std::fill(pixels, pixels + w * h, 0xFF00FF);
    }
    ~Surface() { SelectObject(dc, old), DeleteDC(dc), DeleteObject(bitmap); }
    unsigned at(int x, int y) const { return GdiFlush(), pixels[y * width + x] & 0xFFFFFF; }
    long Count(COLORREF c) const {
        unsigned rgb = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        return GdiFlush(),
               std::count_if(pixels, pixels + width * height, [&](unsigned p) { return (p & 0xFFFFFF) == rgb; });
    }
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    unsigned* pixels;
};

// A key pressed as the dialog's modal loop hands it on: through the message
// filter and the dialog manager, to the window with the focus. `flags` is
// the message's lParam (bit 30: the key was already down).
void Press(HWND dialog, UINT key, bool shift = false, LPARAM flags = 1) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE shiftBefore = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG message = {GetFocus(), WM_KEYDOWN, key, flags, 0, {}};
    IsDialogMessageA(dialog, &message);
    keys[VK_SHIFT] = shiftBefore;
    SetKeyboardState(keys);
}

// How many pixels of `colour` a window shows.
long Shows(HWND window, COLORREF colour) {
    Surface copy(200, 40);
    HDC dc = GetDC(window);
    BitBlt(copy.dc, 0, 0, 200, 40, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    return copy.Count(colour);
}

// A link item that records what it would have the shell open.
struct RecordingItem : LinkItem {
    std::vector<std::pair<SHELLEXECUTEINFOA, std::string>> opened;  // request, current directory
    std::string file;
    void OpenThroughShell(SHELLEXECUTEINFOA& request) override {
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        opened.emplace_back(request, current);
        file = request.lpFile;
    }
};

// Template 101 with a picture and a link item on control 1001, sized to a
// given client area; counts palette realisations instead of doing them.
struct TestPicture : PictureDialog {
    TestPicture(UINT bitmap, int mode, int width = 600, int height = 400)
        : PictureDialog(101, nullptr), bitmap(bitmap), mode(mode), width(width), height(height) {}
    BOOL OnInitDialog() override {
        item.Attach(GetDlgItem(hwnd_, 1001));
        SetBackground(bitmap, mode);
        RECT r = {0, 0, width, height};
        AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), FALSE, GetWindowLongA(hwnd_, GWL_EXSTYLE));
        SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        return TRUE;
    }
    UINT RealiseBackgroundPalette(bool foreground) override {
        return realPalette ? PictureDialog::RealiseBackgroundPalette(foreground) : (++realised, changes);
    }
    UINT bitmap;
    bool realPalette = false;
    int mode, width, height, realised = 0;
    UINT changes = 0;
    RecordingItem item;
};

// SelectPalette and RealizePalette as the picture dialog calls them: each
// palette selected and whether in the background; realising answers
// g_realiseAnswer changed entries.
std::vector<std::pair<HPALETTE, BOOL>> g_palettes;
decltype(&SelectPalette) g_selectPalette;
UINT g_realiseAnswer = 0;
HPALETTE WINAPI RecordSelectPalette(HDC dc, HPALETTE palette, BOOL background) {
    g_palettes.emplace_back(palette, background);
    return g_selectPalette(dc, palette, background);
}
UINT WINAPI AnswerRealizePalette(HDC) { return g_realiseAnswer; }

// Pumps this thread's messages as a dialog's modal loop does (the loop's
// message filter first) until `done` or `milliseconds` have passed.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    for (DWORD start = GetTickCount(); !done(); Sleep(10)) {
        if (GetTickCount() - start > milliseconds) return false;
        for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
            if (!CallMsgFilterA(&m, MSGF_DIALOGBOX)) TranslateMessage(&m), DispatchMessageA(&m);
    }
    return true;
}

// What the user sees of a shown item and of the menu around it: the item
// fitted to its caption and drawn on the picture without a background of
// its own, its tooltip brought up by the pointer through the message relay
// (once the menu has painted), and the menu centred, with icon 128.
void ExpectShownAsTheUserSeesIt(HWND menu, LinkItem& item, bool pointAtIt) {
    HWND control = item.hwnd();
    char caption[64] = {};
    GetWindowTextA(control, caption, sizeof caption);
    SIZE text = {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(control, WM_GETFONT, 0, 0));
    GetTextExtentPoint32A(dc, caption, static_cast<int>(std::strlen(caption)), &text);
    SelectObject(dc, old);
    RECT at = ChildRect(control);
    EXPECT_LE(std::abs(at.right - at.left - (text.cx + 2)), 1) << caption;
    SetBkMode(dc, OPAQUE);
    SendMessageA(menu, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)control);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    DeleteDC(dc);
    if (!pointAtIt) return;

    RECT window, work = {};
    GetWindowRect(menu, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((window.left - work.left) - (work.right - window.right)), 1);
    EXPECT_LE(std::abs((window.top - work.top) - (work.bottom - window.bottom)), 1);
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    EXPECT_EQ((HICON)SendMessageA(menu, WM_GETICON, ICON_BIG, 0), icon);
    EXPECT_EQ((HICON)SendMessageA(menu, WM_GETICON, ICON_SMALL, 0), icon);
    EXPECT_EQ((HICON)SendMessageA(menu, WM_QUERYDRAGICON, 0, 0), icon);  // dragged while minimised

    ASSERT_TRUE(PumpUntil([&] { return item.tooltip() != nullptr; }, 3000)) << "no tooltip after the first paint";
    RECT screen;
    GetWindowRect(control, &screen);
    SetCursorPos((screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2);
    PostMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM((screen.right - screen.left) / 2, 2));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(item.tooltip()) != FALSE; }, 3000)) << "no tooltip shown";
}

}  // namespace

TEST(PictureDialog, TilesCentresAndClipsThePictureAndLeavesTheRestUnpainted) {
    struct Point {
        int x, y, pictureX, pictureY;  // pictureX < 0: left unpainted
    };
    struct Case {
        const char* name;
        int mode, width, height;
        std::vector<Point> points;
    };
    const Case cases[] = {
        {"tiled",
         0,
         1500,
         1300,
         {{0, 0, 0, 0},
          {716, 607, 5, 7},
          {2122, 1790, 700, 590},
          {1421, 599, 710, 599},
          {2133, 5, -1, 0},
          {5, 1800, -1, 0}}},
        {"centred", 2, 900, 700, {{94, 50, 0, 0}, {804, 649, 710, 599}, {93, 60, -1, 0}, {400, 49, -1, 0}}},
        {"stretched", 1, 1422, 1200, {{0, 0, 0, 0}, {700, 600, 350, 300}, {1420, 1198, 710, 599}, {1423, 5, -1, 0}}},
        {"larger than the client", 2, 400, 300, {{0, 0, 155, 150}, {399, 299, 554, 449}, {556, 10, -1, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPicture dialog(130, c.mode, c.width, c.height);
        RunDialog(dialog, [&](HWND hwnd) {
            Surface picture(711, 600), shown(2300, 2000);
            dialog.image().Draw(picture.dc, 0, 0);
            EXPECT_TRUE(SendMessageA(hwnd, WM_ERASEBKGND, (WPARAM)shown.dc, 0));
            for (const Point& p : c.points)
                EXPECT_EQ(shown.at(p.x, p.y), p.pictureX < 0 ? 0xFF00FF : picture.at(p.pictureX, p.pictureY))
                    << p.x << "," << p.y;
        });
    }
}

TEST(PictureDialog, ColourRequestsAndPaletteMessages) {
    const LRESULT hollow = (LRESULT)GetStockObject(NULL_BRUSH);
    TestPicture plain(999, 0);  // no such bitmap: a plain dialog
    RunDialog(plain, [&](HWND hwnd) {
        Surface shown(8, 8);
        SendMessageA(hwnd, WM_ERASEBKGND, (WPARAM)shown.dc, 0);
        EXPECT_EQ(shown.Count(GetSysColor(COLOR_3DFACE)), 64);
        EXPECT_NE(SendMessageA(hwnd, WM_CTLCOLORBTN, (WPARAM)shown.dc, (LPARAM)GetDlgItem(hwnd, IDCANCEL)), hollow);
    });
    TestPicture dialog(130, 0);
    RunDialog(dialog, [&](HWND hwnd) {
        Surface shown(8, 8);
        EXPECT_EQ(SendMessageA(hwnd, WM_CTLCOLORBTN, (WPARAM)shown.dc, (LPARAM)GetDlgItem(hwnd, IDCANCEL)), hollow);
        EXPECT_EQ(GetBkMode(shown.dc), TRANSPARENT);
        // Static controls: the logo gets the system's colours, a link item its own.
        EXPECT_NE(SendMessageA(hwnd, WM_CTLCOLORSTATIC, (WPARAM)shown.dc, (LPARAM)GetDlgItem(hwnd, 1000)), hollow);
        EXPECT_EQ(SendMessageA(hwnd, WM_CTLCOLORSTATIC, (WPARAM)shown.dc, (LPARAM)dialog.item.hwnd()), hollow);
        EXPECT_EQ(GetTextColor(shown.dc), RGB(0, 0, 238));

        dialog.realised = 0;  // activation asked already
        SendMessageA(hwnd, WM_PALETTECHANGED, (WPARAM)hwnd, 0);
        SendMessageA(hwnd, WM_PALETTECHANGED, (WPARAM)GetDlgItem(hwnd, IDCANCEL), 0);
        EXPECT_EQ(dialog.realised, 0);
        SendMessageA(hwnd, WM_PALETTECHANGED, (WPARAM)GetDesktopWindow(), 0);
        EXPECT_EQ(dialog.realised, 1);
        ValidateRect(hwnd, nullptr);
        EXPECT_FALSE(SendMessageA(hwnd, WM_QUERYNEWPALETTE, 0, 0));
        EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
        dialog.changes = 5;
        EXPECT_TRUE(SendMessageA(hwnd, WM_QUERYNEWPALETTE, 0, 0));
        EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));

        // The real answer: the picture's palette selected into the window's
        // DC, in the foreground on activation and in the background for
        // another window's change, the previous one put back; what
        // realising changed decides the answer.
        dialog.realPalette = true;
        vexatest::ImportHook select("GDI32.dll", "SelectPalette", reinterpret_cast<void*>(RecordSelectPalette));
        vexatest::ImportHook realise("GDI32.dll", "RealizePalette", reinterpret_cast<void*>(AnswerRealizePalette));
        ASSERT_TRUE(select.installed() && realise.installed());
        g_selectPalette = reinterpret_cast<decltype(&SelectPalette)>(select.original());
        const HPALETTE picture = dialog.image().palette(), old = (HPALETTE)GetStockObject(DEFAULT_PALETTE);
        for (UINT changed : {0u, 3u}) {
            g_palettes.clear(), g_realiseAnswer = changed;
            ValidateRect(hwnd, nullptr);
            EXPECT_EQ(SendMessageA(hwnd, WM_QUERYNEWPALETTE, 0, 0), changed != 0);
            EXPECT_EQ(GetUpdateRect(hwnd, nullptr, FALSE) != 0, changed != 0);
            SendMessageA(hwnd, WM_PALETTECHANGED, (WPARAM)GetDesktopWindow(), 0);
            EXPECT_EQ(g_palettes, (std::vector<std::pair<HPALETTE, BOOL>>{
                                      {picture, FALSE}, {old, TRUE}, {picture, TRUE}, {old, TRUE}}));
        }
    });
}

TEST(LinkItem, FitsACentredCaptionAroundItsColumnAndTheTooltipFollows) {
    for (const std::string& caption : {std::string("Go"), std::string(60, 'W')}) {
        SCOPED_TRACE(caption);
        TestPicture dialog(130, 0);
        RunDialog(dialog, [&](HWND hwnd) {
            HWND item = dialog.item.hwnd();
            RECT column = {2, 72, 120, 80};
            MapDialogRect(hwnd, &column);
            SetWindowTextA(item, caption.c_str());
            dialog.item.SetTarget("docs\\guide.txt");

            SIZE text;
            HDC dc = GetDC(item);
            HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(item, WM_GETFONT, 0, 0));
            GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
            SelectObject(dc, old), ReleaseDC(item, dc);
            RECT fitted = ChildRect(item);
            EXPECT_EQ(fitted.top, column.top);
            EXPECT_EQ(fitted.bottom - fitted.top, text.cy);
            EXPECT_LE(std::abs(fitted.right - fitted.left - (text.cx + 2)), 1);
            EXPECT_EQ(fitted.left + fitted.right, column.left + column.right);  // the same middle
            EXPECT_EQ(fitted.left<column.left, caption.size()> 2);

            char tip[64] = {};
            TOOLINFOA tool = {TTTOOLINFOA_V2_SIZE, 0, item, 1, {}, nullptr, tip, 0, nullptr};
            ASSERT_TRUE(SendMessageA(dialog.item.tooltip(), TTM_GETTOOLINFOA, 0, (LPARAM)&tool));
            EXPECT_STREQ(tip, "docs\\guide.txt");
            EXPECT_EQ(tool.rect.right, fitted.right - fitted.left);
            EXPECT_EQ(tool.rect.bottom, fitted.bottom - fitted.top);
        });
    }
}

TEST(LinkItem, PointerOverTheItemRedrawsItInTheHighlightColourWithTheHandCursor) {
    TestPicture dialog(130, 0);
    RunDialog(dialog, [&](HWND) {
        LinkItem& item = dialog.item;
        ASSERT_NE(item.linkColour(), item.hoverColour());
        SetWindowTextA(item.hwnd(), "MMMMMMMM");
        item.SetTarget("x");
        ShowWindow(item.hwnd(), SW_SHOW);
        UpdateWindow(item.hwnd());
        auto shown = [&](COLORREF colour) {
            Surface copy(64, 32);
            HDC dc = GetDC(item.hwnd());
            BitBlt(copy.dc, 0, 0, 64, 32, dc, 0, 0, SRCCOPY);
            ReleaseDC(item.hwnd(), dc);
            return copy.Count(colour);
        };
        EXPECT_GT(shown(item.linkColour()), 0);
        SendMessageA(item.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        EXPECT_TRUE(item.hovering() && GetCapture() == item.hwnd());
        EXPECT_EQ(shown(item.linkColour()), 0);
        EXPECT_GT(shown(item.hoverColour()), 0);
        SendMessageA(item.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(-20, -20));
        EXPECT_FALSE(item.hovering() || GetCapture() == item.hwnd());
        EXPECT_GT(shown(item.linkColour()), 0);
        EXPECT_EQ(shown(item.hoverColour()), 0);
        // Lit again, then another window takes the mouse: the item goes dark.
        SendMessageA(item.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        SetCapture(GetParent(item.hwnd()));
        EXPECT_EQ(shown(item.hoverColour()), 0);
        ReleaseCapture();

        ASSERT_NE(item.handCursor(), nullptr);
        EXPECT_TRUE(SendMessageA(item.hwnd(), WM_SETCURSOR, (WPARAM)item.hwnd(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(GetCursor(), item.handCursor());
    });
}

TEST(LinkItem, AScreenReaderHearsTheCaptionAndALinkWhereTheSystemCanSaySo) {
    TestPicture dialog(130, 0);
    RunDialog(dialog, [&](HWND) {
        HWND item = dialog.item.hwnd();
        SetWindowTextA(item, "Install fonts");
        ShowWindow(item, SW_SHOW);
        auto heard = [item](std::wstring* name) {
            IAccessible* accessible = nullptr;
            VARIANT self = {}, role = {};
            self.vt = VT_I4, self.lVal = CHILDID_SELF;
            if (FAILED(AccessibleObjectFromWindow(item, OBJID_CLIENT, IID_IAccessible,
                                                  reinterpret_cast<void**>(&accessible))))
                return -1L;
            BSTR text = nullptr;
            if (SUCCEEDED(accessible->get_accName(self, &text)) && text) *name = text;
            SysFreeString(text);
            accessible->get_accRole(self, &role);
            accessible->Release();
            return role.vt == VT_I4 ? role.lVal : -1L;
        };
        std::wstring name;
        const long before = heard(&name);
        ASSERT_NE(before, -1L);
        LinkAnnotation annotation;
        const bool marked = annotation.MarkAsLink(item);
        name.clear();
        EXPECT_EQ(heard(&name), marked ? ROLE_SYSTEM_LINK : before);
        EXPECT_EQ(name, L"Install fonts");
        annotation.Clear();
        EXPECT_EQ(heard(&name), before);
    });
}

TEST(LinkItem, ClickOpensTheTargetBesideTheProgramFromItsDirectoryAndClosesTheDialog) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string dir(path, std::strrchr(path, '\\'));
    const struct {
        std::string target, file, currentDirectory;  // file "": nothing opened
    } cases[] = {
        {"docs\\guide.htm", dir + "\\docs\\guide.htm", dir + "\\docs"},
        {"readme.txt", dir + "\\readme.txt", dir},
        {"", dir + "\\", dir},
        {"http://example.invalid/", dir + "\\http://example.invalid/", dir},
        {std::string(260 - dir.size() - 1, 'a'), "", ""},  // one byte too long
    };
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    CreateDirectoryA((dir + "\\docs").c_str(), nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        TestPicture dialog(130, 0);
        RunDialog(dialog, [&](HWND hwnd) {
            dialog.item.SetTarget(c.target.c_str());
            SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1001, STN_CLICKED), (LPARAM)dialog.item.hwnd());
            MSG close;
            EXPECT_TRUE(PeekMessageA(&close, hwnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
        });
        SetCurrentDirectoryA(before);
        ASSERT_EQ(dialog.item.opened.size(), c.file.empty() ? 0u : 1u);
        if (c.file.empty()) continue;
        const auto& [request, current] = dialog.item.opened[0];
        EXPECT_EQ(dialog.item.file, c.file);
        EXPECT_EQ(current, c.currentDirectory);
        EXPECT_STREQ(request.lpVerb, "open");
        EXPECT_EQ(request.cbSize, sizeof request);
        EXPECT_EQ(request.fMask, static_cast<ULONG>(SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI));
        EXPECT_EQ(request.nShow, SW_SHOW);
        EXPECT_TRUE(!request.hwnd && !request.lpParameters && !request.lpDirectory);
    }
    RemoveDirectoryA((dir + "\\docs").c_str());
}

TEST(LauncherApp, LanguageSectionFromCodePageAndCommandLine) {
    const struct {
        const char* commandLine;
        UINT codePage;
        const char* section;
    } cases[] = {
        {"Velmora.exe", 950, "MSGBIG5"},      {"Velmora.exe", 936, "MSGGB"},
        {"Velmora.exe", 932, "MSGJIS"},       {"Velmora.exe", 949, "MSGKSC"},
        {"Velmora.exe", 1252, "MSGENG"},      {"\"R:\\a disc\\Velmora.exe\" 100", 1252, "MSGBIG5"},
        {"Velmora.exe  200", 950, "MSGGB"},   {"Velmora.exe\t400", 1252, "MSGJIS"},
        {"Velmora.exe 500", 1252, "MSGKSC"},  {"Velmora.exe 700", 950, "MSGENG"},
        {"Velmora.exe 300", 950, "MSGBIG5"},  {"Velmora.exe 600", 936, "MSGGB"},
        {"Velmora.exe 100 ", 1252, "MSGENG"},  // the trailing blank is kept
    };
    for (const auto& c : cases)
        EXPECT_STREQ(LanguageSectionFor(LauncherApp(c.commandLine).languageCode(), c.codePage), c.section)
            << c.commandLine << " " << c.codePage;
}

TEST(LauncherDialog, LayoutAndItemsFromSetupInf) {
    const int kTops[3][10] = {{72, 92, 112, 132, 152, 172, 181, 188, 195, 203},
                              {69, 84, 99, 114, 129, 144, 159, 174, 192, 202},
                              {68, 80, 92, 104, 116, 128, 140, 152, 164, 176}};
    const struct {
        const char* name;
        int lastKey, strayKey;  // keys 1 to lastKey, and one more
        std::pair<int, std::string> changed;
        int templateId, shown;
    } cases[] = {
        {"items 1 to 5 and 7 to 9", 9, 0, {6, "(none)"}, 101, 5},
        {"items 1 to 14", 14, 0, {}, 102, 14},
        {"items 1 to 20", 20, 0, {}, 103, 20},
        {"items 1 to 12 and 17", 12, 17, {}, 103, 12},
        {"XX at key 3", 4, 0, {3, "XX"}, 101, 2},
        {"empty key 2", 4, 0, {2, ""}, 101, 4},
        {"no setup.inf", 0, 0, {}, 101, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto caption = [&c](int key) -> std::string {
            if (key == c.changed.first) return c.changed.second;
            char text[16];
            std::snprintf(text, sizeof text, "Item %d", key);
            return text;
        };
        vexatest::ScratchDir dir;
        std::string ini = "[MSGENG]\nTitle=Disc menu\nClose=Done\n";
        for (int key = 1; key <= 20; ++key) {
            if ((key <= c.lastKey || key == c.strayKey) && caption(key) != "(none)")
                ini += std::to_string(key) + "=" + caption(key) + "\n" + std::to_string(key) + "r=t" +
                       std::to_string(key) + "\n";
        }
        if (c.lastKey > 0) {
            ASSERT_TRUE(vexatest::WriteTextFile(dir / "setup.inf", ini, 1252));
        }
        LauncherApp app("Velmora.exe");
        ASSERT_TRUE(app.UseIniDirectory(dir.path().c_str()));
        ASSERT_EQ(app.ChooseTemplate(), c.templateId);
        LauncherDialog dialog(app, c.templateId);
        RunDialog(dialog, [&](HWND hwnd) {
            char text[64];
            GetWindowTextA(hwnd, text, sizeof text);
            EXPECT_STREQ(text, c.lastKey ? "Disc menu" : "Tolvane");
            GetDlgItemTextA(hwnd, IDCANCEL, text, sizeof text);
            EXPECT_STREQ(text, c.lastKey ? "Done" : "Close");
            for (int i = 0; i < 20; ++i) {
                SCOPED_TRACE(i + 1);
                HWND control = GetDlgItem(hwnd, 1001 + i);
                RECT row = {i % 2 ? 123 : 2, kTops[c.templateId - 101][i / 2], i % 2 ? 317 : 120, 0},
                     at = ChildRect(control);
                MapDialogRect(hwnd, &row);
                EXPECT_EQ(at.top, row.top);
                EXPECT_EQ(at.left + at.right, row.left + row.right);
                EXPECT_EQ((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0, i < c.shown);
                if (i >= c.shown) continue;
                GetWindowTextA(control, text, sizeof text);
                EXPECT_EQ(text, caption(i + 1));
                std::snprintf(text, sizeof text, "t%d", i + 1);
                EXPECT_EQ(dialog.item(i).target(), text);
                ExpectShownAsTheUserSeesIt(hwnd, dialog.item(i), i == 0);
            }
            if (c.shown > 0) return;
            // Minimised and restored, the menu draws its picture again: in
            // the middle, where the icon goes while it is minimised.
            ShowWindow(hwnd, SW_MINIMIZE), ShowWindow(hwnd, SW_RESTORE), UpdateWindow(hwnd);
            RECT client;
            GetClientRect(hwnd, &client);
            const int left = client.right / 2 - 24, top = client.bottom / 2 - 24;
            Surface picture(711, 600), middle(48, 48);
            dialog.image().Draw(picture.dc, 0, 0);
            HDC dc = GetDC(hwnd);
            BitBlt(middle.dc, 0, 0, 48, 48, dc, left, top, SRCCOPY);
            ReleaseDC(hwnd, dc);
            int wrong = 0;
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x) wrong += middle.at(x, y) != picture.at((left + x) % 711, (top + y) % 600);
            EXPECT_EQ(wrong, 0);
        });
    }
    // A directory too long for the path: the file counts as absent.
    LauncherApp app("Velmora.exe");
    EXPECT_TRUE(app.UseIniDirectory(std::string(249, 'd').c_str()));
    EXPECT_FALSE(app.UseIniDirectory(std::string(250, 'd').c_str()));
    char value[260];
    app.ReadValue("Title", "Tolvane", value);
    EXPECT_STREQ(value, "Tolvane");
}

TEST(LauncherDialog, KeyboardReachesTheShownItemsInReadingOrderAndOpensOneAsAClickDoes) {
    // Items 1, 2, 3 and 17 shown; item 2 opens a stand-in program.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string dir(path, std::strrchr(path, '\\'));
    const std::string tools = dir + "\\kbd";
    CreateDirectoryA(tools.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(vexatest::WinePath(STANDIN_EXE).c_str(), vexatest::Widen(tools + "\\Setup.exe", CP_ACP).c_str(),
                          FALSE));
    vexatest::ScratchDir scratch;
    ASSERT_TRUE(vexatest::WriteTextFile(scratch / "setup.inf",
                                        "[MSGENG]\n1=One\n1r=t1\n2=Two\n2r=kbd\\Setup.exe\n3=Three\n17=Seventeen\n",
                                        1252));
    LauncherApp app("Velmora.exe");
    ASSERT_TRUE(app.UseIniDirectory(scratch.path().c_str()));
    auto focused = [] { return GetDlgCtrlID(GetFocus()); };

    // Tab, Shift+Tab and the arrows, one after another from the first item.
    const struct {
        UINT key;
        bool shift;
        int focus;
    } steps[] = {{VK_TAB, false, 1002},   {VK_TAB, false, 1003}, {VK_TAB, false, 1017}, {VK_TAB, false, IDCANCEL},
                 {VK_TAB, false, 1001},   {VK_TAB, true, IDCANCEL}, {VK_TAB, true, 1017}, {VK_RIGHT, false, 1001},
                 {VK_LEFT, false, 1017},  {VK_UP, false, 1003},  {VK_DOWN, false, 1017}, {VK_DOWN, false, 1001}};
    {
        LauncherDialog dialog(app, app.ChooseTemplate());
        RunDialog(dialog, [&](HWND hwnd) {
            ASSERT_TRUE(dialog.LoadItem(16, dialog.item(16)));
            HWND first = GetDlgItem(hwnd, 1001), second = GetDlgItem(hwnd, 1002);
            const COLORREF lit = dialog.item(0).hoverColour();
            // Opened by the mouse: the focus is on the first item, drawn as today.
            EXPECT_EQ(focused(), 1001);
            EXPECT_TRUE(dialog.uiState() & UISF_HIDEFOCUS);
            EXPECT_EQ(Shows(first, lit), 0);
            EXPECT_GT(Shows(first, dialog.item(0).linkColour()), 0);
            for (const auto& step : steps) {
                SCOPED_TRACE(testing::Message() << step.key << (step.shift ? " with Shift" : ""));
                Press(hwnd, step.key, step.shift);
                EXPECT_EQ(focused(), step.focus);
            }
            // After a key: the focused item lit and framed, the others as before.
            EXPECT_FALSE(dialog.uiState() & UISF_HIDEFOCUS);
            EXPECT_GT(Shows(first, lit), 0);
            Press(hwnd, VK_TAB);
            EXPECT_EQ(Shows(first, lit), 0);
            RECT client;
            GetClientRect(second, &client);
            EXPECT_GT(Shows(second, lit), client.right);  // the frame's top and bottom at least
        });
    }

    // Enter or Space on the second item starts its program from its directory
    // and closes the menu; a key that was already down opens nothing.
    const struct {
        UINT key;
        LPARAM flags;
        bool opens;
    } presses[] = {{VK_RETURN, 1, true}, {VK_SPACE, 1, true}, {VK_RETURN, 1 | (1L << 30), false}};
    for (const auto& press : presses) {
        SCOPED_TRACE(testing::Message() << press.key << " " << press.flags);
        const std::string record = scratch / "record.txt";
        DeleteFileA(record.c_str());
        SetEnvironmentVariableA("VEXA_SETUP_RECORD", record.c_str());
        LauncherDialog dialog(app, app.ChooseTemplate());
        RunDialog(dialog, [&](HWND hwnd) {
            Press(hwnd, VK_TAB);
            ASSERT_EQ(focused(), 1002);
            Press(hwnd, press.key, false, press.flags);
            MSG close;
            EXPECT_EQ(PeekMessageA(&close, hwnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != 0, press.opens);
        });
        SetEnvironmentVariableA("VEXA_SETUP_RECORD", nullptr);
        std::string bytes;
        for (int waited = 0; press.opens && waited < 15000 && !(vexatest::ReadBytes(record, &bytes) && !bytes.empty());
             waited += 50)
            Sleep(50);
        const std::string started = press.opens ? tools + "\\Setup.exe\t" + tools + "\t" : "";
        if (!press.opens) {
            Sleep(500);
            vexatest::ReadBytes(record, &bytes);
        }
        EXPECT_EQ(press.opens ? bytes.substr(0, started.size()) : bytes, started);
    }
    DeleteFileA((tools + "\\Setup.exe").c_str());
    RemoveDirectoryA(tools.c_str());
}
