// The main dialog and the full-screen background as the program runs them:
// InstallerMain in this process, driven by posted input from a timer, with
// the dialogs and boxes it opens answered as a user would. The program runs
// under code page 950 and again under 1252, where the installer's Chinese
// texts must read the same.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog_answers.h"
#include "install_script.h"
#include "installer_main.h"
#include "installer_windows.h"
#include "registry_redirect.h"
#include "resource_ids.h"
#include "scratch_dir.h"
#include "shell_ui.h"
#include "messages.h"
#include "text_files.h"

using shelltest::Answer;
using shelltest::Shown;
using shelltest::WideText;
using vexatest::RegistryRedirect;

namespace {

const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";

const char kScript[] =
    "[Fonts]\nFonts=2\nFont1=漢字楷書\nFont2=功夫明體\n"
    "[Font Files]\n"
    "漢字楷書 Size=1\n漢字楷書 Files=1\n漢字楷書 FontName=Halvex Kai Test (TrueType)\n"
    "漢字楷書 File1=KAI.TTF\n漢字楷書 Disk1=第一片\n"
    "功夫明體 Size=1\n功夫明體 Files=1\n功夫明體 FontName=Halvex Ming Test (TrueType)\n"
    "功夫明體 File1=MING.TTF\n功夫明體 Disk1=第一片\n"
    "[TTEs]\nFonts=1\nFont1=外字集\n"
    "[TTE Files]\n外字集 Size=1\n外字集 Files=1\n外字集 FontName=Halvex Kai Test (TrueType)\n"
    "外字集 AFiles=1\n外字集 AFontName1=Halvex Kai Test\n外字集 File1=EUDC.TTE\n外字集 Disk1=第一片\n";

std::string g_programPath;
DWORD ProgramPath(char* buffer, DWORD capacity) {
    return static_cast<DWORD>(std::snprintf(buffer, capacity, "%s", g_programPath.c_str()));
}

// Steps run one after another from a timer while the installer runs; a step
// returns false to be tried again on the next tick.
using Step = std::function<bool()>;
std::vector<Step>* g_steps = nullptr;
size_t g_next = 0;
void CALLBACK RunSteps(HWND, UINT, UINT_PTR, DWORD) {
    if (g_steps && g_next < g_steps->size() && (*g_steps)[g_next]()) ++g_next;
}

HWND Dialog() { return g_shell.mainDialog; }
HWND Control(int id) { return GetDlgItem(g_shell.mainDialog, id); }

// Steps that wait for the main dialog, then do something to it.
Step WhenShown(std::function<void()> action) {
    return [action] {
        if (Dialog() == nullptr || !IsWindowVisible(Dialog())) return false;
        action();
        return true;
    };
}
void Key(int key) {
    PostMessageW(Control(IDC_ITEM_LIST), WM_KEYDOWN, key, 1);
    PostMessageW(Control(IDC_ITEM_LIST), WM_KEYUP, key, 0xC0000001);
}
void Press(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }

class InstallerWindows : public ::testing::Test {
protected:
    void SetUp() override {
        disc_ = scratch_.MakeDir("disc");
        target_ = scratch_.MakeDir("target");
        ASSERT_TRUE(vexatest::WriteTextFile(disc_ + "\\VEXA95.INI", kScript, 950));
        for (const char* name : {"KAI.TTF", "MING.TTF"})
            ASSERT_TRUE(vexatest::WriteBytes(disc_ + "\\" + name, vexatest::DataBytes("MONO.TTF")));
        g_programPath = disc_ + "\\Tarsik.exe";
        SetProgramPathSource(ProgramPath);
    }
    void TearDown() override {
        Reset();
        SetProgramPathSource(nullptr);
    }

    // Ready for another start of the installer in this process.
    void Reset() {
        UnregisterClassW(L"cfinst", GetModuleHandleW(nullptr));
        UnregisterClassW(L"cfinst-Bk", GetModuleHandleW(nullptr));
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // Runs the installer with the steps and the dialog responders; returns
    // its exit code, or -1 when the steps did not all run.
    int Run(std::vector<Step> steps, std::vector<shelltest::Responder> responders = {}) {
        g_steps = &steps;
        g_next = 0;
        // However a test goes, the installer ends.
        steps.push_back([start = GetTickCount()] {
            if (GetTickCount() - start > 20000 && Dialog() != nullptr) PostMessageW(Dialog(), WM_CLOSE, 0, 0);
            return false;
        });
        UINT_PTR timer = SetTimer(nullptr, 0, 40, RunSteps);
        int code = -2;
        shelltest::RespondToDialogs([&] { code = InstallerMain(GetModuleHandleW(nullptr), nullptr, nullptr, 0); },
                                    std::move(responders));
        KillTimer(nullptr, timer);
        bool allRan = g_next == steps.size() - 1;
        g_steps = nullptr;
        return allRan ? code : -1;
    }

    vexatest::ScratchDir scratch_;
    std::string disc_, target_;
};

TEST_F(InstallerWindows, ListHoldsFontsThenEudcItemsUnderTheChineseTitle) {
    std::wstring title, status;
    std::vector<std::wstring> entries;
    int code = Run({WhenShown([&] {
        title = WideText(Dialog());
        status = WideText(Control(IDC_STATUS));
        HWND list = Control(IDC_ITEM_LIST);
        for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t entry[80] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
            entries.push_back(entry);
        }
        Key(VK_ESCAPE);
    })});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, L"HalvexSorvel字型Win95'安裝程式");
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"漢字楷書", L"功夫明體", L"外字集"}));
    EXPECT_EQ(status, L"請選擇安裝之項目。");
}

TEST_F(InstallerWindows, EveryWayOutEndsTheProgramWithZero) {
    struct Case {
        const char* name;
        std::function<void()> leave;
    };
    const Case cases[] = {
        {"Exit button", [] { Press(IDCANCEL); }},
        {"Esc", [] { Key(VK_ESCAPE); }},
        {"close box", [] { PostMessageW(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND background = nullptr;
        int code = Run({WhenShown([&] {
            background = g_shell.backgroundWindow;
            c.leave();
        })});
        EXPECT_EQ(code, 0);
        EXPECT_NE(background, nullptr);
        EXPECT_FALSE(IsWindow(background));
        EXPECT_EQ(FindWindowW(L"cfinst", nullptr), nullptr);
        EXPECT_EQ(g_shell.tile, nullptr);
        EXPECT_EQ(g_shell.logo, nullptr);
        Reset();
    }
}

TEST_F(InstallerWindows, InstallWithNothingSelectedAsksForAFont) {
    struct Case {
        const char* name;
        std::function<void()> install;
    };
    const Case cases[] = {
        {"Install button", [] { Press(IDOK); }},
        {"Enter", [] { Key(VK_RETURN); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Shown> seen;
        int code = Run({WhenShown(c.install),
                        [&] {
                            if (seen.empty()) return false;
                            Key(VK_ESCAPE);
                            return true;
                        }},
                       {Answer(&seen, IDOK)});
        EXPECT_EQ(code, 0);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"HalvexSorvel字型Win 95'安裝程式");
        EXPECT_EQ(seen[0].text, L"必須先選擇字型 !");
        Reset();
    }
}

TEST_F(InstallerWindows, F1OpensAbout) {
    std::vector<Shown> seen;
    int code = Run({WhenShown([] { Key(VK_F1); }),
                    [&] {
                        if (seen.empty()) return false;
                        Key(VK_ESCAPE);
                        return true;
                    }},
                   {Answer(&seen, IDOK)});
    EXPECT_EQ(code, 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"關於HalvexSorvel字型Win95'安裝程式");
    EXPECT_EQ(seen[0].directory, "Jul 18 1997");  // control 101
}

TEST_F(InstallerWindows, DoubleClickInstallsTheClickedFont) {
    RegistryRedirect registry;
    ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKey));
    std::vector<Shown> seen;
    std::wstring statusAfter = L"(not read)";
    int code = Run({WhenShown([] {
                        HWND list = Control(IDC_ITEM_LIST);
                        RECT item;
                        SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
                        LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
                        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                            PostMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
                    }),
                    [&] {
                        if (seen.size() < 2) return false;
                        statusAfter = WideText(Control(IDC_STATUS));
                        Key(VK_ESCAPE);
                        return true;
                    }},
                   {Answer(&seen, IDOK, target_.c_str()), Answer(&seen, IDOK)});
    EXPECT_EQ(code, 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, L"請你輸入HalvexSorvel字形目的目錄：");
    EXPECT_EQ(seen[1].text, L"安裝完成 ! 謝謝您使用合法之Halvex字型軟體 。");
    EXPECT_EQ(statusAfter, L"");
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\MING.TTF"));
    EXPECT_FALSE(vexatest::FileExists(target_ + "\\KAI.TTF"));
    EXPECT_EQ(RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, kFontsKey, "Halvex Ming Test (TrueType)"),
              target_ + "\\MING.TTF");
}

// Pixels as 0xRRGGBB of a 32-bit top-down DIB section.
struct Canvas {
    Canvas(int width, int height) : width(width), height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    unsigned at(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    unsigned* bits = nullptr;
};

TEST_F(InstallerWindows, BackgroundRepeatsTheTileFromTheTopLeftCorner) {
    g_shell.instance = GetModuleHandleW(nullptr);
    LoadCaption(g_shell.instance);
    UseShellUi();
    ASSERT_TRUE(RegisterWindowClasses(g_shell.instance));
    ASSERT_EQ(CreateInstallerWindows(g_shell.instance), 1);
    ASSERT_NE(g_shell.tile, nullptr);
    Canvas tile(160, 160);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, g_shell.tile);
    BitBlt(tile.dc, 0, 0, 160, 160, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);

    const unsigned kUntouched = 0xFF00FF, kGrey = 0xC0C0C0;
    struct Case {
        const char* name;
        RECT clip;  // empty: none
        bool withTile;
    };
    const Case cases[] = {
        {"whole", {0, 0, 0, 0}, true},
        {"part", {170, 30, 390, 333}, true},
        {"no tile", {0, 0, 0, 0}, false},
    };
    HBITMAP loaded = g_shell.tile;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas screen(500, 400);
        for (int i = 0; i < 500 * 400; ++i) screen.bits[i] = kUntouched;
        if (c.clip.right > 0) IntersectClipRect(screen.dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        g_shell.tile = c.withTile ? loaded : nullptr;
        EXPECT_EQ(SendMessageW(g_shell.backgroundWindow, WM_ERASEBKGND, reinterpret_cast<WPARAM>(screen.dc), 0), 1);
        int wrong = 0;
        for (int y = 0; y < 400; ++y) {
            for (int x = 0; x < 500; ++x) {
                bool inside =
                    c.clip.right == 0 || (x >= c.clip.left && x < c.clip.right && y >= c.clip.top && y < c.clip.bottom);
                unsigned expected = !inside ? kUntouched : c.withTile ? tile.at(x % 160, y % 160) : kGrey;
                if (screen.at(x, y) != expected && wrong++ < 3) ADD_FAILURE() << "pixel " << x << "," << y;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    g_shell.tile = loaded;
    DestroyInstallerWindows();
}

TEST(InstallerResources, PicturesHaveTheirSizesAndSixteenColours) {
    HMODULE module = GetModuleHandleW(nullptr);
    struct Case {
        const char* type;
        int id, width, height;
    };
    const Case cases[] = {
        {RT_BITMAP, IDB_TILE, 160, 160},
        {RT_BITMAP, IDB_LOGO, 240, 83},
        {RT_ICON, 0, 64, 64},  // the icon's one image, found through its group
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        HRSRC found = nullptr;
        if (c.type == RT_ICON) {
            HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDI_TARSIK), RT_GROUP_ICON);
            ASSERT_NE(group, nullptr);
            auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
            ASSERT_EQ(*reinterpret_cast<const WORD*>(directory + 4), 1);  // one image
            WORD imageId = *reinterpret_cast<const WORD*>(directory + 6 + 12);
            found = FindResourceA(module, MAKEINTRESOURCEA(imageId), RT_ICON);
        } else {
            found = FindResourceA(module, MAKEINTRESOURCEA(c.id), c.type);
        }
        ASSERT_NE(found, nullptr);
        auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, found)));
        EXPECT_EQ(header->biWidth, c.width);
        // An icon's image holds its colour and mask rows: twice the height.
        EXPECT_EQ(header->biHeight, c.type == RT_ICON ? 2 * c.height : c.height);
        EXPECT_EQ(header->biBitCount, 4);
    }
}

}  // namespace
