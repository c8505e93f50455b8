// The launcher's dialogs in-process, driven from inside their own modal
// loops: the picture background and control colours, the link items, the
// language section and the layouts loaded from setup.inf.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialog_watch.h"
#include "launcher_app.h"
#include "launcher_dialog.h"
#include "scratch_dir.h"
#include "text_files.h"

namespace {

std::function<void()> g_soon;

void CALLBACK SoonTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> action = std::move(g_soon);
    if (action) action();
}

// Runs `dialog` modally; `script` runs inside its loop once it is up. A
// dialog the script leaves open is cancelled.
void RunDialog(DialogBase& dialog, const std::function<void(HWND)>& script) {
    bool ran = false;
    g_soon = [&] {
        if (dialog.hwnd() == nullptr) return;
        ran = true;
        // The dialog manager shows the dialog only once its loop is idle.
        ShowWindow(dialog.hwnd(), SW_SHOWNORMAL);
        UpdateWindow(dialog.hwnd());
        script(dialog.hwnd());
        PostMessageA(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    };
    SetTimer(nullptr, 0, 10, SoonTimer);
    dialog.DoModal();
    EXPECT_TRUE(ran) << "the dialog never came up";
}

// A 32-bit top-down surface; pixels read as 0xRRGGBB.
struct Surface {
    Surface(int w, int h, unsigned fill = 0xFF00FF) : width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        std::fill(pixels, pixels + w * h, fill);
    }
    ~Surface() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    unsigned at(int x, int y) const { return GdiFlush(), pixels[y * width + x] & 0xFFFFFF; }
    int Count(unsigned colour) const {
        GdiFlush();
        return static_cast<int>(
            std::count_if(pixels, pixels + width * height, [&](unsigned p) { return (p & 0xFFFFFF) == colour; }));
    }
    int width, height;
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ old;
    unsigned* pixels;
};

unsigned Pixel(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Template 101 with a picture, sized to a given client area; counts palette
// realisations instead of doing them.
class TestPicture : public PictureDialog {
public:
    TestPicture(UINT bitmap, int mode, int width = 600, int height = 400)
        : PictureDialog(101, nullptr), bitmap_(bitmap), mode_(mode), width_(width), height_(height) {}
    int realised = 0;
    UINT changes = 0;
    LinkItem* item = nullptr;

protected:
    BOOL OnInitialise() override {
        if (item) item->Attach(GetDlgItem(hwnd_, 1001));
        SetBackground(bitmap_, mode_);
        RECT r = {0, 0, width_, height_};
        AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), FALSE, GetWindowLongA(hwnd_, GWL_EXSTYLE));
        SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        return TRUE;
    }
    UINT RealiseBackgroundPalette(bool) override { return ++realised, changes; }

private:
    UINT bitmap_;
    int mode_, width_, height_;
};

struct Opened {
    SHELLEXECUTEINFOA request;
    std::string file, verb, currentDirectory;
};

class RecordingItem : public LinkItem {
public:
    std::vector<Opened> opened;

protected:
    void OpenThroughShell(SHELLEXECUTEINFOA& request) override {
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        opened.push_back({request, request.lpFile, request.lpVerb, current});
    }
};

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, std::strrchr(path, '\\'));
}

RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE TextSize(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

void Click(HWND dialog, HWND item) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1001, STN_CLICKED), (LPARAM)item); }

bool CloseRequested(HWND dialog) {
    MSG message;
    return PeekMessageA(&message, dialog, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
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
        {"larger than the client",
         2,
         400,
         300,
         {{0, 0, 155, 150}, {399, 299, 554, 449}, {556, 10, -1, 0}, {10, 450, -1, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPicture dialog(130, c.mode, c.width, c.height);
        RunDialog(dialog, [&](HWND hwnd) {
            Surface picture(711, 600), shown(2300, 2000);
            dialog.image().Draw(picture.dc, 0, 0);
            EXPECT_TRUE(SendMessageA(hwnd, WM_ERASEBKGND, (WPARAM)shown.dc, 0));
            for (const Point& p : c.points) {
                unsigned expected = p.pictureX < 0 ? 0xFF00FF : picture.at(p.pictureX, p.pictureY);
                EXPECT_EQ(shown.at(p.x, p.y), expected) << p.x << "," << p.y;
            }
        });
    }
}

TEST(PictureDialog, ColoursAndErasingWithAndWithoutAPicture) {
    for (UINT bitmap : {130u, 999u}) {
        SCOPED_TRACE(bitmap);
        const bool picture = bitmap == 130;
        RecordingItem item;
        TestPicture dialog(bitmap, 0);
        dialog.item = &item;
        RunDialog(dialog, [&](HWND hwnd) {
            EXPECT_EQ(dialog.image().IsPresent(), picture);
            Surface shown(8, 8);
            SendMessageA(hwnd, WM_ERASEBKGND, (WPARAM)shown.dc, 0);
            if (!picture) {
                EXPECT_EQ(shown.at(4, 4), Pixel(GetSysColor(COLOR_3DFACE)));
            }

            HBRUSH hollow = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
            LRESULT button = SendMessageA(hwnd, WM_CTLCOLORBTN, (WPARAM)shown.dc, (LPARAM)GetDlgItem(hwnd, IDCANCEL));
            EXPECT_EQ(button == (LRESULT)hollow, picture);
            if (picture) {
                EXPECT_EQ(GetBkMode(shown.dc), TRANSPARENT);
            }
            // Static controls: the logo gets the system's colours, a link item
            // its own.
            EXPECT_NE(SendMessageA(hwnd, WM_CTLCOLORSTATIC, (WPARAM)shown.dc, (LPARAM)GetDlgItem(hwnd, 1000)),
                      (LRESULT)hollow);
            EXPECT_EQ(SendMessageA(hwnd, WM_CTLCOLORSTATIC, (WPARAM)shown.dc, (LPARAM)item.hwnd()), (LRESULT)hollow);
            EXPECT_EQ(GetTextColor(shown.dc), RGB(0, 0, 238));
        });
    }
}

TEST(PictureDialog, RealisesItsPaletteOnlyForOtherWindowsChanges) {
    TestPicture dialog(130, 0);
    RunDialog(dialog, [&](HWND hwnd) {
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
        EXPECT_EQ(dialog.realised, 3);
    });
}

TEST(LinkItem, FitsACentredCaptionAroundItsColumnAndTheTooltipFollows) {
    for (std::string caption : {std::string("Go"), std::string(60, 'W')}) {
        SCOPED_TRACE(caption);
        RecordingItem item;
        TestPicture dialog(130, 0);
        dialog.item = &item;
        RunDialog(dialog, [&](HWND hwnd) {
            RECT column = {2, 72, 120, 80};
            MapDialogRect(hwnd, &column);
            SetWindowTextA(item.hwnd(), caption.c_str());
            item.SetTarget("docs\\guide.txt");

            RECT fitted = ChildRect(item.hwnd());
            SIZE text = TextSize(item.hwnd(), caption);
            EXPECT_EQ(fitted.top, column.top);
            EXPECT_EQ(fitted.bottom - fitted.top, text.cy);
            EXPECT_LE(std::abs(fitted.right - fitted.left - (text.cx + 2)), 1);
            EXPECT_EQ(fitted.left + fitted.right, column.left + column.right);  // same middle
            EXPECT_EQ(fitted.left<column.left, caption.size()> 2);

            char tip[64] = {};
            TOOLINFOA tool = {};
            tool.cbSize = TTTOOLINFOA_V2_SIZE;
            tool.hwnd = item.hwnd();
            tool.uId = 1;
            tool.lpszText = tip;
            ASSERT_TRUE(SendMessageA(item.tooltip(), TTM_GETTOOLINFOA, 0, (LPARAM)&tool));
            EXPECT_STREQ(tip, "docs\\guide.txt");
            EXPECT_EQ(tool.rect.right, fitted.right - fitted.left);
            EXPECT_EQ(tool.rect.bottom, fitted.bottom - fitted.top);
        });
    }
}

TEST(LinkItem, PointerOverTheItemRedrawsItInTheHighlightColourWithTheHandCursor) {
    RecordingItem item;
    TestPicture dialog(130, 0);
    dialog.item = &item;
    RunDialog(dialog, [&](HWND hwnd) {
        ASSERT_NE(item.linkColour(), item.hoverColour());
        SetWindowTextA(item.hwnd(), "MMMMMMMM");
        item.SetTarget("x");
        ShowWindow(item.hwnd(), SW_SHOW);
        UpdateWindow(hwnd);
        auto colours = [&] {
            Surface shown(64, 64);
            HDC dc = GetDC(item.hwnd());
            BitBlt(shown.dc, 0, 0, 64, 64, dc, 0, 0, SRCCOPY);
            ReleaseDC(item.hwnd(), dc);
            return std::make_pair(shown.Count(Pixel(item.linkColour())), shown.Count(Pixel(item.hoverColour())));
        };
        EXPECT_GT(colours().first, 0);
        SendMessageA(item.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        EXPECT_TRUE(item.hovering());
        EXPECT_EQ(GetCapture(), item.hwnd());
        EXPECT_EQ(colours().first, 0);
        EXPECT_GT(colours().second, 0);
        SendMessageA(item.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(-20, -20));
        EXPECT_FALSE(item.hovering());
        EXPECT_NE(GetCapture(), item.hwnd());
        EXPECT_GT(colours().first, 0);
        EXPECT_EQ(colours().second, 0);

        ASSERT_NE(item.handCursor(), nullptr);
        EXPECT_TRUE(SendMessageA(item.hwnd(), WM_SETCURSOR, (WPARAM)item.hwnd(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(GetCursor(), item.handCursor());
    });
}

TEST(LinkItem, ClickOpensTheTargetBesideTheProgramFromItsDirectoryAndClosesTheDialog) {
    const std::string dir = ProgramDirectory();
    struct Case {
        std::string target, file, currentDirectory;  // file "": nothing opened
    };
    const Case cases[] = {
        {"docs\\guide.htm", dir + "\\docs\\guide.htm", dir + "\\docs"},
        {"readme.txt", dir + "\\readme.txt", dir},
        {"", dir + "\\", dir},
        {"http://example.invalid/", dir + "\\http://example.invalid/", dir},
        {std::string(260 - dir.size() - 1, 'a'), "", ""},
    };
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    const std::string docs = dir + "\\docs";
    CreateDirectoryA(docs.c_str(), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        RecordingItem item;
        TestPicture dialog(130, 0);
        dialog.item = &item;
        RunDialog(dialog, [&](HWND hwnd) {
            item.SetTarget(c.target.c_str());
            Click(hwnd, item.hwnd());
            EXPECT_TRUE(CloseRequested(hwnd));
        });
        SetCurrentDirectoryA(before);
        ASSERT_EQ(item.opened.size(), c.file.empty() ? 0u : 1u);
        if (c.file.empty()) continue;
        const Opened& o = item.opened[0];
        EXPECT_EQ(o.file, c.file);
        EXPECT_EQ(o.currentDirectory, c.currentDirectory);
        EXPECT_EQ(o.verb, "open");
        EXPECT_EQ(o.request.cbSize, sizeof(SHELLEXECUTEINFOA));
        EXPECT_EQ(o.request.fMask, static_cast<ULONG>(SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI));
        EXPECT_EQ(o.request.nShow, SW_SHOW);
        EXPECT_TRUE(!o.request.hwnd && !o.request.lpParameters && !o.request.lpDirectory);
    }
    RemoveDirectoryA(docs.c_str());
}

TEST(LinkItem, ClickStartsAProgramInASubDirectoryAndAMissingOneClosesSilently) {
    vexatest::ScratchDir scratch;
    const std::string sub = "click-" + std::to_string(GetCurrentProcessId());
    const std::string subPath = ProgramDirectory() + "\\" + sub;
    ASSERT_TRUE(CreateDirectoryA(subPath.c_str(), nullptr));
    std::string standIn = "Z:" STANDIN_EXE;
    std::replace(standIn.begin(), standIn.end(), '/', '\\');
    ASSERT_TRUE(CopyFileA(standIn.c_str(), (subPath + "\\Setup.exe").c_str(), FALSE));
    SetEnvironmentVariableA("VEXA_SETUP_RECORD", (scratch / "record.txt").c_str());
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    for (const std::string& target : {sub + "\\Setup.exe", sub + "\\missing.exe"}) {
        LinkItem item;
        TestPicture dialog(130, 0);
        dialog.item = &item;
        auto boxes = vexatest::AnswerDialogs([&] {
            RunDialog(dialog, [&](HWND hwnd) {
                item.SetTarget(target.c_str());
                Click(hwnd, item.hwnd());
                EXPECT_TRUE(CloseRequested(hwnd));
            });
        });
        EXPECT_TRUE(boxes.empty());
    }
    SetCurrentDirectoryA(before);
    std::string record;
    for (int i = 0; i < 300 && !(vexatest::ReadBytes(scratch / "record.txt", &record) && !record.empty()); ++i)
        Sleep(50);
    Sleep(500);  // a second start would have written by now
    vexatest::ReadBytes(scratch / "record.txt", &record);
    SetEnvironmentVariableA("VEXA_SETUP_RECORD", nullptr);
    vexatest::RemoveTree(subPath);
    const std::string expected = subPath + "\\Setup.exe\t" + subPath + "\t";
    EXPECT_EQ(record.compare(0, expected.size(), expected), 0) << record;
    EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 1);
}

TEST(LauncherApp, LanguageSectionFromCodePageAndCommandLine) {
    struct Case {
        const char* commandLine;
        UINT codePage;
        const char* section;
    };
    const Case cases[] = {
        {"Velmora.exe", 950, "MSGBIG5"},         {"Velmora.exe", 936, "MSGGB"},
        {"Velmora.exe", 932, "MSGJIS"},          {"Velmora.exe", 949, "MSGKSC"},
        {"Velmora.exe", 1252, "MSGENG"},         {"\"R:\\a disc\\Velmora.exe\" 100", 1252, "MSGBIG5"},
        {"Velmora.exe  200", 950, "MSGGB"},      {"Velmora.exe\t400", 1252, "MSGJIS"},
        {"Velmora.exe 500", 1252, "MSGKSC"},     {"Velmora.exe 700", 950, "MSGENG"},
        {"Velmora.exe 300", 950, "MSGBIG5"},     {"Velmora.exe 600", 936, "MSGGB"},
        {"Velmora.exe 100 ", 1252, "MSGENG"},  // the trailing blank is kept
        {"\"Velmora.exe\"100", 1252, "MSGBIG5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        LauncherApp app(c.commandLine);
        EXPECT_STREQ(LanguageSectionFor(app.languageCode(), c.codePage), c.section);
    }
    EXPECT_STREQ(LauncherApp("Velmora.exe 100").GetLanguageSection(), "MSGBIG5");
}

TEST(LauncherDialog, LayoutAndItemsFromSetupInf) {
    const int kTops[3][10] = {{72, 92, 112, 132, 152, 172, 181, 188, 195, 203},
                              {69, 84, 99, 114, 129, 144, 159, 174, 192, 202},
                              {68, 80, 92, 104, 116, 128, 140, 152, 164, 176}};
    struct Case {
        const char* name;
        std::vector<int> keys;
        std::vector<std::pair<int, std::string>> values;  // captions other than "Item n"
        int templateId, shown;
    };
    const Case cases[] = {
        {"items 1 to 5 and 7 to 9", {1, 2, 3, 4, 5, 7, 8, 9}, {}, 101, 5},
        {"items 1 to 14", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, {}, 102, 14},
        {"items 1 to 20", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, {}, 103, 20},
        {"items 1 to 12 and a stray 17", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17}, {}, 103, 12},
        {"XX at key 3", {1, 2, 3, 4}, {{3, "XX"}}, 101, 2},
        {"empty key 2", {1, 2, 3, 4}, {{2, ""}}, 101, 4},
        {"no setup.inf", {}, {}, 101, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vexatest::ScratchDir dir;
        auto caption = [&c](int key) {
            for (const auto& [k, v] : c.values)
                if (k == key) return v;
            return "Item " + std::to_string(key);
        };
        std::string ini = "[MSGENG]\nTitle=Disc menu\nClose=Done\n";
        for (int key : c.keys)
            ini += std::to_string(key) + "=" + caption(key) + "\n" + std::to_string(key) + "r=t" + std::to_string(key) +
                   "\n";
        if (!c.keys.empty()) {
            ASSERT_TRUE(vexatest::WriteTextFile(dir / "setup.inf", ini, 1252));
        }
        LauncherApp app("Velmora.exe");
        ASSERT_TRUE(app.UseIniDirectory(dir.path().c_str()));
        ASSERT_EQ(app.ChooseTemplate(), c.templateId);
        LauncherDialog dialog(app, c.templateId);
        RunDialog(dialog, [&](HWND hwnd) {
            char text[64];
            GetWindowTextA(hwnd, text, sizeof text);
            EXPECT_STREQ(text, c.keys.empty() ? "Tolvane" : "Disc menu");
            GetDlgItemTextA(hwnd, IDCANCEL, text, sizeof text);
            EXPECT_STREQ(text, c.keys.empty() ? "Close" : "Done");
            for (int i = 0; i < 20; ++i) {
                SCOPED_TRACE(i + 1);
                HWND control = GetDlgItem(hwnd, 1001 + i);
                RECT row = {i % 2 ? 123 : 2, kTops[c.templateId - 101][i / 2], i % 2 ? 317 : 120, 0};
                MapDialogRect(hwnd, &row);
                RECT at = ChildRect(control);
                EXPECT_EQ(at.top, row.top);
                EXPECT_EQ(at.left + at.right, row.left + row.right);
                EXPECT_EQ((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0, i < c.shown);
                if (i >= c.shown) continue;
                GetWindowTextA(control, text, sizeof text);
                EXPECT_EQ(text, caption(i + 1));
                EXPECT_EQ(dialog.item(i).target(), "t" + std::to_string(i + 1));
            }
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
