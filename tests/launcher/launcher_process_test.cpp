// The built Velmora.exe in a process of its own, from a disc folder whose
// setup.inf has a section per language, each in its own code page: the menu
// shows the title of the section its code page (or language code) picks,
// and a click on an item starts the program it names and ends the launcher.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "scratch_dir.h"
#include "text_files.h"

namespace {

std::string WinePath(std::string unixPath) {
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
}

// The launcher's menu: a visible dialog of its main thread.
BOOL CALLBACK FindMenu(HWND window, LPARAM found) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

std::string Text(HWND window) {
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class Disc {
public:
    Disc() {
        dir_ = scratch_.MakeDir("disc");
        scratch_.MakeDir("disc\\Tools");
        EXPECT_TRUE(CopyFileA(WinePath(VELMORA_EXE).c_str(), (dir_ + "\\Velmora.exe").c_str(), FALSE));
        EXPECT_TRUE(CopyFileA(WinePath(STANDIN_EXE).c_str(), (dir_ + "\\Tools\\Setup.exe").c_str(), FALSE));
        // 功 and 許 end in the byte of a backslash in Big5.
        const std::string ini = Section("MSGBIG5", "功能許可 選單", 950) + Section("MSGGB", "安装菜单", 936) +
                                Section("MSGENG", "Disc menu", 1252);
        EXPECT_TRUE(vexatest::WriteBytes(dir_ + "\\setup.inf", ini));
        SetEnvironmentVariableA("VEXA_SETUP_RECORD", (scratch_ / "record.txt").c_str());
    }
    ~Disc() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        SetEnvironmentVariableA("VEXA_SETUP_RECORD", nullptr);
    }

    static std::string Section(const char* name, const char* titleUtf8, unsigned codePage) {
        return vexatest::FromUtf8(std::string("[") + name + "]\r\nTitle=" + titleUtf8 +
                                      "\r\n1=Setup\r\n1r=Tools\\Setup.exe\r\n2=Gone\r\n2r=Tools\\gone.exe\r\n\r\n",
                                  codePage);
    }

    // Starts the launcher with `arguments` from another directory; its menu.
    HWND Start(const std::string& arguments) {
        std::string commandLine = "\"" + dir_ + "\\Velmora.exe\"" + arguments;
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                 OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
        BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      scratch_.path().c_str(), &startup, &process_);
        CloseHandle(nul);
        if (!started) return nullptr;
        HWND menu = nullptr;
        for (int i = 0; i < 300 && !menu; ++i) {
            EnumThreadWindows(process_.dwThreadId, FindMenu, reinterpret_cast<LPARAM>(&menu));
            if (!menu) Sleep(50);
        }
        return menu;
    }

    bool Ended() {
        DWORD code = 1;
        return WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(process_.hProcess, &code) && code == 0;
    }

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
    PROCESS_INFORMATION process_ = {};
};

}  // namespace

TEST(LauncherProcess, ShowsItsCodePagesSectionAndAClickStartsTheItemOrNothingAndEnds) {
    const UINT codePage = GetACP();
    ASSERT_TRUE(codePage == 950 || codePage == 936) << codePage;
    const char* title = codePage == 950 ? "功能許可 選單" : "安装菜单";
    for (int id : {1001, 1002}) {  // Tools\Setup.exe, and a program that is not there
        SCOPED_TRACE(id);
        Disc disc;
        HWND menu = disc.Start("");
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(Text(menu), vexatest::FromUtf8(title, codePage));
        HWND item = GetDlgItem(menu, id);
        ASSERT_TRUE(item && IsWindowVisible(item));
        PostMessageA(item, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageA(item, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_TRUE(disc.Ended());  // with no message box left open
        const std::string tools = disc.dir() + "\\Tools";
        const std::string started = id == 1001 ? tools + "\\Setup.exe\t" + tools + "\t" : "";
        EXPECT_EQ(disc.Record(id == 1001 ? 15000 : 1000).substr(0, started.size()), started);
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
