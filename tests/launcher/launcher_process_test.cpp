// The built Velmora.exe in a process of its own, from a disc folder whose
// setup.inf has a section per language, each in its own code page: the menu
// shows the title of the section its code page (or language code) picks,
// and a click on an item starts the program it names and ends the launcher.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "child_process.h"
#include "scratch_dir.h"
#include "text_files.h"

namespace {

std::wstring Wide(const std::string& ansi) { return vexatest::Widen(ansi, CP_ACP); }

// The launcher's menu: a visible dialog.
bool IsMenu(HWND window) { return vexatest::HasClass(window, L"#32770"); }

// A program beside the launcher whose name ends in the byte of a backslash
// in Big5.
std::wstring Big5Program(const std::string& dir) { return Wide(dir) + L"\\ab" + vexatest::Widen("許", CP_UTF8) + L".exe"; }

std::string Text(HWND window) {
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The control of `menu` that has the focus, waited for until it is `id`
// (up to 5 s); nullptr when the focus went elsewhere.
HWND WaitForFocus(HWND menu, int id) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    for (int waited = 0; waited < 5000; waited += 20) {
        if (GetGUIThreadInfo(GetWindowThreadProcessId(menu, nullptr), &thread) && thread.hwndFocus != nullptr &&
            GetParent(thread.hwndFocus) == menu && GetDlgCtrlID(thread.hwndFocus) == id)
            return thread.hwndFocus;
        Sleep(20);
    }
    return nullptr;
}

class Disc {
public:
    // A disc in a scratch directory, or at the root of drive `root` ("R:").
    explicit Disc(const std::string& root = "") {
        dir_ = root.empty() ? scratch_.MakeDir("disc") : root;
        CreateDirectoryA((dir_ + "\\Tools").c_str(), nullptr);
        EXPECT_TRUE(CopyFileW(vexatest::WinePath(VELMORA_EXE).c_str(), Wide(dir_ + "\\Velmora.exe").c_str(), FALSE));
        EXPECT_TRUE(
            CopyFileW(vexatest::WinePath(STANDIN_EXE).c_str(), Wide(dir_ + "\\Tools\\Setup.exe").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW(vexatest::WinePath(STANDIN_EXE).c_str(), Big5Program(dir_).c_str(), FALSE));
        // 功 and 許 end in the byte of a backslash in Big5.
        const std::string ini = Section("MSGBIG5", "功能許可 選單", 950) + Section("MSGGB", "安装菜单", 936) +
                                Section("MSGENG", "Disc menu", 1252);
        EXPECT_TRUE(vexatest::WriteBytes(dir_ + "\\setup.inf", ini));
        SetEnvironmentVariableA("VEXA_SETUP_RECORD", (scratch_ / "record.txt").c_str());
    }
    ~Disc() {
        SetEnvironmentVariableA("VEXA_SETUP_RECORD", nullptr);
        if (dir_.size() == 2) {  // a drive root: leave it as it was
            for (const char* file : {"\\Velmora.exe", "\\setup.inf", "\\Tools\\Setup.exe"}) DeleteFileA((dir_ + file).c_str());
            DeleteFileW(Big5Program(dir_).c_str());
            RemoveDirectoryA((dir_ + "\\Tools").c_str());
        }
    }

    static std::string Section(const char* name, const char* titleUtf8, unsigned codePage) {
        return vexatest::FromUtf8(std::string("[") + name + "]\r\nTitle=" + titleUtf8 +
                                      "\r\n1=Setup\r\n1r=Tools\\Setup.exe\r\n2=Gone\r\n2r=Tools\\gone.exe\r\n3=Big5\r\n3r=ab許.exe\r\n\r\n",
                                  codePage);
    }

    // Starts the launcher with `arguments` from another directory (for a
    // drive root, one on that drive, which "R:" alone would name); its menu.
    HWND Start(const std::string& arguments) {
        const std::string from = dir_.size() == 2 ? dir_ + "\\Tools" : scratch_.path();
        if (!process_.Start(Wide("\"" + dir_ + "\\Velmora.exe\"" + arguments), Wide(from))) return nullptr;
        return process_.WaitForWindow(IsMenu);
    }

    bool Ended() { return process_.WaitForExit(15000) == 0u; }

    // What the stand-in recorded, waiting up to `milliseconds` for it.
    std::string Record(DWORD milliseconds) {
        std::string bytes;
        for (DWORD waited = 0;
             waited < milliseconds && !(vexatest::ReadBytes(scratch_ / "record.txt", &bytes) && !bytes.empty());
             waited += 50)
            Sleep(50);
        return bytes;
    }

    const std::string& dir() const { return dir_; }

private:
    vexatest::ScratchDir scratch_;
    std::string dir_;
    vexatest::ChildProcess process_;
};

}  // namespace

TEST(LauncherProcess, ShowsItsCodePagesSectionAndAClickStartsTheItemOrNothingAndEnds) {
    const UINT codePage = GetACP();
    ASSERT_TRUE(codePage == 950 || codePage == 936) << codePage;
    const char* title = codePage == 950 ? "功能許可 選單" : "安装菜单";
    const struct {
        const char* root;  // "": a scratch directory
        int id;
        const char *file, *directory;  // started, in that working directory ("" for none)
    } rows[] = {
        {"", 1001, "\\Tools\\Setup.exe", "\\Tools"},
        {"", 1002, "", ""},  // a program that is not there
        {"", 1003, "\\ab許.exe", ""},
        {"R:", 1003, "\\ab許.exe", "\\"},  // the drive's root, not its current directory
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.root) + " " + std::to_string(row.id));
        Disc disc(row.root);
        HWND menu = disc.Start("");
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(Text(menu), vexatest::FromUtf8(title, codePage));
        HWND item = GetDlgItem(menu, row.id);
        ASSERT_TRUE(item && IsWindowVisible(item));
        PostMessageA(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageA(item, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_TRUE(disc.Ended());  // with no message box left open
        const std::string dir = vexatest::ToUtf8(disc.dir(), codePage);
        const std::string started = *row.file ? dir + row.file + "\t" + dir + row.directory + "\t" : "";
        EXPECT_EQ(disc.Record(*row.file ? 15000 : 1000).substr(0, started.size()), started);
    }
}

TEST(LauncherProcess, LanguageCode700ShowsTheEnglishSectionAndEscapeEnds) {
    Disc disc;
    HWND menu = disc.Start(" 700");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Text(menu), "Disc menu");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(disc.Ended());
}

TEST(LauncherProcess, TabGoesRoundTheItemsAndCloseAndEnterStartsTheFocusedItem) {
    Disc disc;
    HWND menu = disc.Start("");
    ASSERT_NE(menu, nullptr);
    // Keys go where the keyboard sends them: to the window with the focus,
    // which the menu puts on its first item.
    HWND focus = WaitForFocus(menu, 1001);
    ASSERT_NE(focus, nullptr);
    for (int id : {1002, 1003, IDCANCEL, 1001}) {
        PostMessageA(focus, WM_KEYDOWN, VK_TAB, 1);
        focus = WaitForFocus(menu, id);
        ASSERT_NE(focus, nullptr) << id;
    }
    PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(disc.Ended());
    const std::string tools = disc.dir() + "\\Tools";
    const std::string started = tools + "\\Setup.exe\t" + tools + "\t";
    EXPECT_EQ(disc.Record(15000).substr(0, started.size()), started);
}
