// The main dialog and the background as the program runs them: InstallerMain
// in this process, driven by posted input from a timer, its dialogs and
// boxes answered as a user would. Runs under code page 950 and again under
// 1252, where the installer's Chinese texts must read the same.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "box_text.h"
#include "dialog_answers.h"
#include "import_hook.h"
#include "ansi_text.h"
#include "install_record.h"
#include "install_script.h"
#include "installer_main.h"
#include "installer_windows.h"
#include "message_ids.h"
#include "messages.h"
#include "registry_redirect.h"
#include "resource_ids.h"
#include "program_path.h"
#include "scratch_dir.h"
#include "shell_ui.h"
#include "text_files.h"

using namespace tarsik;

using vexatest::Answer;
using vexatest::RegistryRedirect;
using vexatest::Shown;

namespace {

const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";

// Steps run in turn from a timer while the installer runs; a step returns
// false to be tried again on the next tick.
using Step = std::function<bool()>;
std::vector<Step> g_steps;
size_t g_next = 0;
DWORD g_started = 0;
void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_next < g_steps.size() && g_steps[g_next]()) ++g_next;
    // Whatever goes wrong, the installer ends.
    if (GetTickCount() - g_started > 20000 && g_shell.mainDialog) PostMessageW(g_shell.mainDialog, WM_CLOSE, 0, 0);
}

HWND Control(int id) { return GetDlgItem(g_shell.mainDialog, id); }
std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}
void Key(int key) {
    PostMessageW(Control(IDC_ITEM_LIST), WM_KEYDOWN, key, 1);
    PostMessageW(Control(IDC_ITEM_LIST), WM_KEYUP, key, 0xC0000001);
}
// Once the main dialog waits for the user again, after `boxes` dialogs.
Step When(size_t boxes, const std::vector<Shown>* seen, std::function<void()> action) {
    return [=] {
        HWND dialog = g_shell.mainDialog;
        if (!dialog || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog) || (seen && seen->size() < boxes))
            return false;
        action();
        return true;
    };
}

class InstallerWindows : public ::testing::Test {
protected:
    void SetUp() override {
        disc_ = scratch_.MakeDir("disc");
        target_ = scratch_.MakeDir("target");
        ASSERT_TRUE(vexatest::WriteTextFile(disc_ + "\\VEXA95.INI",
                                            "[Fonts]\nFonts=2\nFont1=漢字楷書\nFont2=功夫明體\n[Font Files]\n"
                                            "漢字楷書 Files=1\n漢字楷書 FontName=Halvex Kai\n漢字楷書 File1=KAI.TTF\n"
                                            "漢字楷書 Disk1=1\n功夫明體 Files=1\n功夫明體 FontName=Halvex Ming\n"
                                            "功夫明體 File1=MING.TTF\n功夫明體 Disk1=1\n[TTEs]\nFonts=1\nFont1=外字集\n"
                                            "[TTE Files]\n外字集 Files=1\n外字集 FontName=Halvex Kai\n外字集 AFiles=1\n"
                                            "外字集 AFontName1=Halvex Kai\n外字集 File1=EUDC.TTE\n外字集 Disk1=1\n",
                                            950));
        ASSERT_TRUE(vexatest::WriteBytes(disc_ + "\\MING.TTF", vexatest::DataBytes("MONO.TTF")));
        vexatest::UseProgramPath(disc_ + "\\Tarsik.exe");
        programs_ = scratch_.MakeDir("programs");
        SetProductsRoot(programs_.c_str());
    }
    void TearDown() override {
        Reset();
        vexatest::UseProgramPath("");
        SetProductsRoot(nullptr);
    }
    // Ready for another start of the installer in this process.
    void Reset() {
        UnregisterClassW(L"cfinst", GetModuleHandleW(nullptr));
        UnregisterClassW(L"cfinst-Bk", GetModuleHandleW(nullptr));
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    // The installer's exit code with the steps and responders; -1 when not
    // every step ran.
    int Run(std::vector<Step> steps, std::vector<vexatest::Responder> responders = {}) {
        g_steps = std::move(steps);
        g_next = 0;
        g_started = GetTickCount();
        UINT_PTR timer = SetTimer(nullptr, 0, 40, RunStep);
        int code = -2;
        vexatest::RespondToDialogs([&] { code = InstallerMain(GetModuleHandleW(nullptr), nullptr, nullptr, 0); },
                                   std::move(responders));
        KillTimer(nullptr, timer);
        return g_next == g_steps.size() ? code : -1;
    }

    vexatest::ScratchDir scratch_;
    std::string programs_;  // where the products' folders go
    std::string disc_, target_;
};

TEST_F(InstallerWindows, ListsTheFontsAsksForASelectionOpensAboutAndInstallsOnDoubleClick) {
    RegistryRedirect registry;
    ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKey));
    std::vector<Shown> seen;
    std::wstring title, status, statusAfter, statusClicked;
    std::vector<std::wstring> entries;
    RECT placed = {}, client = {}, desktop = {};
    HWND behind = nullptr, background = nullptr;
    int code =
        Run({When(0, nullptr,
                  [&] {
                      GetWindowRect(g_shell.mainDialog, &placed);
                      GetClientRect(g_shell.mainDialog, &client);
                      GetClientRect(GetDesktopWindow(), &desktop);
                      // Another program's window comes between; activation puts the background back behind.
                      HWND other = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9,
                                                   nullptr, nullptr, nullptr, nullptr);
                      SetWindowPos(other, g_shell.mainDialog, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                      SendMessageW(g_shell.mainDialog, WM_ACTIVATEAPP, TRUE, 0);
                      behind = GetWindow(g_shell.mainDialog, GW_HWNDNEXT), background = g_shell.backgroundWindow;
                      DestroyWindow(other);
                      title = Text(g_shell.mainDialog);
                      status = Text(Control(IDC_STATUS));
                      wchar_t entry[80];
                      for (int i = 0; SendMessageW(Control(IDC_ITEM_LIST), LB_GETTEXT, i, (LPARAM)entry) > 0; ++i)
                          entries.push_back(entry);
                      Key(VK_RETURN);  // Install with nothing selected
                  }),
             When(1, &seen, [] { Key(VK_F1); }),
             When(2, &seen,
                  [] {  // a double click on the second entry
                      RECT item;
                      SendMessageW(Control(IDC_ITEM_LIST), LB_GETITEMRECT, 1, (LPARAM)&item);
                      LPARAM at = MAKELPARAM(item.left + 5, item.top + 2);
                      for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                          PostMessageW(Control(IDC_ITEM_LIST), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
                  }),
             When(4, &seen,
                  [&] {
                      statusAfter = Text(Control(IDC_STATUS));
                      SendMessageW(Control(IDC_ITEM_LIST), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));
                      SendMessageW(Control(IDC_ITEM_LIST), WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
                      statusClicked = Text(Control(IDC_STATUS));
                      Key(VK_ESCAPE);
                  })},
            {Answer(&seen, IDOK), Answer(&seen, IDOK), Answer(&seen, IDOK, target_.c_str()), Answer(&seen, IDOK)});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, L"HalvexSorvel字型Win95'安裝程式");
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"漢字楷書", L"功夫明體", L"外字集"}));
    EXPECT_EQ(status, L"請選擇安裝之項目。");
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].caption, L"HalvexSorvel字型Win 95'安裝程式");
    EXPECT_EQ(seen[0].text, L"必須先選擇字型 !");
    EXPECT_EQ(seen[0].icon, LoadIconA(nullptr, IDI_WARNING));
    EXPECT_EQ(seen[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(seen[1].caption, L"關於HalvexSorvel字型Win95'安裝程式");
    EXPECT_EQ(seen[1].field, "Jul 18 1997");  // control 101 of About
    EXPECT_EQ(seen[2].text, L"請你輸入HalvexSorvel字形目的目錄：");
    EXPECT_EQ(seen[3].text, L"安裝完成 ! 謝謝您使用合法之Halvex字型軟體 。");
    EXPECT_EQ(statusAfter, L"");
    EXPECT_EQ(statusClicked, L"請選擇安裝之項目。");
    EXPECT_EQ(placed.left, (desktop.left + desktop.right - client.right) / 2);  // centred by its client size
    EXPECT_EQ(placed.top, (desktop.top + desktop.bottom - client.bottom) / 2);
    EXPECT_EQ(behind, background);
    EXPECT_EQ(RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, kFontsKey, "Halvex Ming"), target_ + "\\MING.TTF");
    // The user's Install is recorded for its removal, the font's file among it.
    char id[kProductIdCapacity];
    ASSERT_TRUE(ProductIdentity(g_installScript, id));
    const std::string record = vexatest::FileBytes(programs_ + "\\Tarsik\\" + id + "\\Tarsik.rec");
    std::string recorded = "file\t";
    for (char c : vexatest::ToUtf8(target_ + "\\MING.TTF", CP_ACP)) recorded += c == '\\' ? "\\\\" : std::string(1, c);
    EXPECT_NE(record.find(recorded + "\r\n"), std::string::npos) << record;
}

// Removal by hand, as Apps & features starts it: a question naming the
// product, with Yes and No; on Yes the recorded file goes, with the record,
// and a box says so; on No nothing changes.
TEST_F(InstallerWindows, RemovalByHandAsksFirstAndSaysHowItWent) {
    RegistryRedirect registry;
    const std::string ours = target_ + "\\OURS.TTF";
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        ASSERT_TRUE(vexatest::WriteBytes(ours, "a font"));
        static InstallRecord record;
        std::memset(&record, 0, sizeof record);
        CopyText(record.id, sizeof record.id, "Tarsik-00000000000000a1");
        CopyText(record.folder, sizeof record.folder, disc_.c_str());
        CopyText(record.path, sizeof record.path, (disc_ + "\\Tarsik.rec").c_str());
        record.entries[record.count].kind = RecordedFile;
        CopyText(record.entries[record.count++].path, kPathCapacity, ours.c_str());
        ASSERT_TRUE(SaveInstallRecord(record));
        // The entry in the view where the installer's own entries go: its own.
        RegistryRedirect::SetView(0);
        const bool named = RegistryRedirect::SetString(
            HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarsik-00000000000000a1",
            "DisplayName", "Halvex Test Fonts");
        RegistryRedirect::SetView(KEY_WOW64_64KEY);
        ASSERT_TRUE(named);
        std::vector<Shown> seen;
        int code = -1;
        char arguments[] = "/UNINSTALL";
        vexatest::RespondToDialogs([&] { code = InstallerMain(GetModuleHandleW(nullptr), nullptr, arguments, 0); },
                                   {Answer(&seen, answer), Answer(&seen, IDOK)});
        Reset();
        EXPECT_EQ(code, 0);
        ASSERT_EQ(seen.size(), answer == IDYES ? 2u : 1u);
        EXPECT_EQ(seen[0].text, L"確定要移除 Halvex Test Fonts 所安裝的字型及其他檔案嗎?");
        EXPECT_EQ(seen[0].icon, LoadIconA(nullptr, IDI_QUESTION));
        EXPECT_EQ(seen[0].buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(vexatest::FileExists(ours), answer == IDNO);
        EXPECT_EQ(vexatest::FileExists(disc_ + "\\Tarsik.rec"), answer == IDNO);
        if (answer == IDYES) {
            EXPECT_EQ(seen[1].text, L"移除完成 !");
            EXPECT_EQ(seen[1].caption, L"HalvexSorvel字型Win 95'安裝程式");
        }
    }
}

TEST_F(InstallerWindows, EveryWayOutEndsTheProgramWithZero) {
    const std::function<void()> ways[] = {
        [] { PostMessageW(Control(IDCANCEL), BM_CLICK, 0, 0); },
        [] { Key(VK_ESCAPE); },
        [] { PostMessageW(g_shell.mainDialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& leave : ways) {
        HWND background = nullptr;
        EXPECT_EQ(Run({When(0, nullptr, [&] { background = g_shell.backgroundWindow, leave(); })}), 0);
        EXPECT_TRUE(background && !IsWindow(background));
        EXPECT_EQ(FindWindowW(L"cfinst", nullptr), nullptr);
        Reset();
    }
}

// A list that cannot report its selection: warning 4, and no run at all.
WNDPROC g_listProc = nullptr;
LRESULT CALLBACK WithoutSelectedItems(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LB_GETSELITEMS) return LB_ERR;
    return CallWindowProcW(g_listProc, list, message, wParam, lParam);
}

TEST_F(InstallerWindows, UnreadableSelectionShowsWarning4AndInstallsNothing) {
    RegistryRedirect registry;
    ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKey));
    std::vector<Shown> seen;
    int code = Run({When(0, nullptr,
                         [] {
                             HWND list = Control(IDC_ITEM_LIST);
                             g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                                 list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WithoutSelectedItems)));
                             SendMessageW(list, LB_SETSEL, TRUE, 1);
                             Key(VK_RETURN);
                         }),
                    When(1, &seen, [] { Key(VK_ESCAPE); })},
                   {Answer(&seen, IDOK), Answer(&seen, IDCANCEL)});
    EXPECT_EQ(code, 0);
    ASSERT_EQ(seen.size(), 1u);  // no destination dialog
    EXPECT_EQ(seen[0].caption, L"HalvexSorvel字型Win 95'安裝程式");
    EXPECT_EQ(seen[0].text, L"記憶體空間不足 !");
    EXPECT_EQ(RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, kFontsKey, "Halvex Ming"), "<missing>");
}

// A 32-bit top-down DIB section in a memory device context.
struct Canvas {
    Canvas(int width, int height) : width(width) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        SelectObject(dc, bitmap);
    }
    ~Canvas() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    unsigned at(int x, int y) const { return bits[y * width + x] & 0xFFFFFF; }
    int width;
    HDC dc;
    HBITMAP bitmap;
    unsigned* bits = nullptr;
};

TEST_F(InstallerWindows, BackgroundRepeatsTheTileFromTheTopLeftCorner) {
    g_shell.instance = GetModuleHandleW(nullptr);
    UseShellUi();
    ASSERT_TRUE(RegisterWindowClasses(g_shell.instance));
    ASSERT_EQ(CreateInstallerWindows(g_shell.instance), 1);
    BITMAP size;
    ASSERT_TRUE(GetObjectW(g_shell.tile, sizeof size, &size));
    ASSERT_EQ(size.bmWidth, 160);
    ASSERT_EQ(size.bmHeight, 160);
    Canvas tile(160, 160);
    HDC source = CreateCompatibleDC(nullptr);
    SelectObject(source, g_shell.tile);
    BitBlt(tile.dc, 0, 0, 160, 160, source, 0, 0, SRCCOPY);
    DeleteDC(source);

    const unsigned kUntouched = 0xFF00FF;
    const RECT clips[] = {{0, 0, 500, 400}, {170, 30, 390, 333}};
    for (const RECT& clip : clips) {
        Canvas screen(500, 400);
        std::fill(screen.bits, screen.bits + 500 * 400, kUntouched);
        IntersectClipRect(screen.dc, clip.left, clip.top, clip.right, clip.bottom);
        EXPECT_EQ(SendMessageW(g_shell.backgroundWindow, WM_ERASEBKGND, (WPARAM)screen.dc, 0), 1);
        int wrong = 0;
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 500; ++x) {
                POINT p = {x, y};
                wrong += screen.at(x, y) != (PtInRect(&clip, p) ? tile.at(x % 160, y % 160) : kUntouched);
            }
        EXPECT_EQ(wrong, 0) << "clip from " << clip.left << "," << clip.top;
    }
    DestroyInstallerWindows();
}

// A plain box: the warning icon, OK alone, and each argument in its own code
// page (a path in the system's, a name in Big5).
TEST(InstallerBoxes, PlainBoxShowsEachArgumentInItsCodePage) {
    g_shell.instance = GetModuleHandleW(nullptr);
    UseShellUi();
    const bool latin = GetACP() == 1252;
    const std::string path = vexatest::FromUtf8(latin ? "C:\\café\\A.TT_" : "C:\\成功\\A.TT_", CP_ACP);
    std::vector<Shown> seen;
    vexatest::RespondToDialogs(
        [&] {
            ShowFormattedBox(nullptr, "[%s] [%s]",
                             {SystemText(path.c_str()), InstallerText(vexatest::Big5("楷書").c_str())});
        },
        {Answer(&seen, IDOK)});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, latin ? L"[C:\\café\\A.TT_] [楷書]" : L"[C:\\成功\\A.TT_] [楷書]");
    EXPECT_EQ(seen[0].icon, LoadIconA(nullptr, IDI_WARNING));
    EXPECT_EQ(seen[0].buttons, std::vector<int>{IDOK});
}

std::vector<std::string> g_heard;  // beeps and boxes, in turn
BOOL WINAPI RecordBeep(UINT type) {
    g_heard.push_back("beep " + std::to_string(type));
    return TRUE;
}

// A warning: the exclamation beep, then a task-modal box (with no owner, it
// disables every window of the installer's thread), a path argument in the
// system's code page.
TEST(InstallerBoxes, WarningBeepsThenShowsATaskModalBoxWithThePathInTheSystemCodePage) {
    g_shell.instance = GetModuleHandleW(nullptr);
    UseShellUi();
    const bool latin = GetACP() == 1252;
    const std::string path = vexatest::FromUtf8(latin ? "C:\\café\\A.TT_" : "C:\\成功\\A.TT_", CP_ACP);
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
    vexatest::ImportHook beep("USER32.dll", "MessageBeep", reinterpret_cast<void*>(RecordBeep));
    ASSERT_TRUE(beep.installed());
    g_heard.clear();
    std::vector<Shown> seen;
    vexatest::Responder answer = Answer(&seen, IDOK);
    vexatest::RespondToDialogs([&] { ShowWarning(nullptr, IDS_CANNOT_CREATE_FILE, path.c_str()); }, {[&](HWND box) {
                                   g_heard.push_back(IsWindowEnabled(other) ? "box" : "task-modal box");
                                   return answer(box);
                               }});
    DestroyWindow(other);
    EXPECT_EQ(g_heard, (std::vector<std::string>{"beep " + std::to_string(MB_ICONEXCLAMATION), "task-modal box"}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, latin ? L"無法建立檔案 C:\\café\\A.TT_ !" : L"無法建立檔案 C:\\成功\\A.TT_ !");
}

}  // namespace
