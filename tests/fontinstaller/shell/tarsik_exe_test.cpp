// The built Tarsik.exe, started from a scratch disc as a process of its own
// and driven from outside, by window class, title and control id, as a
// user would drive it.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "scratch_dir.h"
#include "text_files.h"

namespace {

const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const wchar_t kCaption[] = L"HalvexSorvel字型Win 95'安裝程式";

std::wstring Wide(const std::string& ansi) {
    wchar_t wide[1024];
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 1024);
    return n > 0 ? wide : L"";
}

std::wstring Text(HWND window) {
    wchar_t text[512];
    int n = GetWindowTextW(window, text, 512);
    return std::wstring(text, n > 0 ? n : 0);
}

struct Search {
    DWORD processId;
    const wchar_t* cls;
    const wchar_t* title;  // nullptr: any
    HWND found;
    int count;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if ((s->processId == 0 || processId == s->processId) && lstrcmpW(cls, s->cls) == 0 && IsWindowVisible(window) &&
        (s->title == nullptr || Text(window) == s->title)) {
        s->found = window;
        ++s->count;
    }
    return TRUE;
}

// Visible top-level windows of a class (and title) in a process (0: any).
Search Windows(DWORD processId, const wchar_t* cls, const wchar_t* title = nullptr) {
    Search s = {processId, cls, title, nullptr, 0};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    return s;
}

HWND WaitForWindow(DWORD processId, const wchar_t* cls, const wchar_t* title = nullptr) {
    for (int i = 0; i < 300; ++i) {
        if (HWND found = Windows(processId, cls, title).found) {
            Sleep(100);  // let it settle into its modal loop
            return found;
        }
        Sleep(50);
    }
    return nullptr;
}

// The text of a message box: its static control that is not the icon.
BOOL CALLBACK BoxText(HWND child, LPARAM param) {
    wchar_t cls[16];
    GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
        *reinterpret_cast<std::wstring*>(param) = Text(child);
        return FALSE;
    }
    return TRUE;
}
std::wstring MessageOf(HWND box) {
    std::wstring text;
    EnumChildWindows(box, BoxText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void Command(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// A disc folder with Tarsik.exe, and the installer started from it.
class Disc {
public:
    Disc() {
        dir_ = scratch_.MakeDir("disc");
        std::wstring exe = L"Z:";
        for (const char* p = TARSIK_EXE; *p; ++p) exe += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
        EXPECT_TRUE(CopyFileW(exe.c_str(), Wide(dir_ + "\\Tarsik.exe").c_str(), FALSE));
    }
    ~Disc() {
        for (PROCESS_INFORMATION& p : processes_) {
            if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(p.hProcess, 99);
            CloseHandle(p.hProcess);
            CloseHandle(p.hThread);
        }
    }
    const std::string& dir() const { return dir_; }
    vexatest::ScratchDir& scratch() { return scratch_; }

    // Starts the installer from the scratch root, with NUL standard handles;
    // returns its process id.
    DWORD Start() {
        std::wstring commandLine = L"\"" + Wide(dir_) + L"\\Tarsik.exe\"";
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                 OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
        PROCESS_INFORMATION process = {};
        BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      Wide(scratch_.path()).c_str(), &startup, &process);
        CloseHandle(nul);
        if (!started) return 0;
        processes_.push_back(process);
        return process.dwProcessId;
    }

    // The exit code of the n-th started installer, once it has ended; -1
    // when it has not ended within the time.
    long ExitCode(size_t n, DWORD milliseconds = 15000) {
        if (WaitForSingleObject(processes_[n].hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
        DWORD code = 1;
        GetExitCodeProcess(processes_[n].hProcess, &code);
        return static_cast<long>(code);
    }

private:
    vexatest::ScratchDir scratch_;
    std::string dir_;
    std::vector<PROCESS_INFORMATION> processes_;
};

std::set<std::string> TempFiles() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(dir) + "tmp*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string FontsValue(const std::string& name) {
    char data[MAX_PATH] = "<missing>";
    DWORD size = sizeof data;
    RegGetValueA(HKEY_LOCAL_MACHINE, kFontsKey, name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
    return data;
}

TEST(TarsikExe, InstallsASplitCompressedFontAskingForTheSecondDisk) {
    Disc disc;
    // A name of this run's own: the installer refuses a font already named.
    const std::string fontName = "Halvex Mono Test " + std::to_string(GetTickCount()) + " (TrueType)";
    ASSERT_TRUE(vexatest::WriteTextFile(disc.dir() + "\\VEXA95.INI",
                                        "[Fonts]\nFonts=1\nFont1=等寬測試體\n[Font Files]\n"
                                        "等寬測試體 Size=400\n等寬測試體 Compressed=1\n等寬測試體 Files=2\n"
                                        "等寬測試體 FontName=" +
                                            fontName +
                                            "\n"
                                            "等寬測試體 File1=HMONO.TT1\n等寬測試體 Disk1=第一片\n"
                                            "等寬測試體 File2=HMONO.TT2\n等寬測試體 Disk2=第二片\n",
                                        950));
    const std::string compressed = vexatest::DataBytes("MONO.TT_");
    const size_t half = compressed.size() / 2;
    const std::string disk2 = disc.scratch().MakeDir("disk 2");
    const std::string target = disc.scratch().MakeDir("fonts");
    ASSERT_TRUE(vexatest::WriteBytes(disc.dir() + "\\HMONO.TT1", compressed.substr(0, half)));
    ASSERT_TRUE(vexatest::WriteBytes(disk2 + "\\HMONO.TT2", compressed.substr(half)));
    const std::set<std::string> tempBefore = TempFiles();

    DWORD installer = disc.Start();
    ASSERT_NE(installer, 0u);
    HWND main = WaitForWindow(installer, L"cfinst");
    ASSERT_NE(main, nullptr);
    SendDlgItemMessageW(main, 202, LB_SETSEL, TRUE, 0);
    Command(main, IDOK);

    HWND destination = WaitForWindow(installer, L"#32770", L"目的目錄");
    ASSERT_NE(destination, nullptr);
    SetDlgItemTextW(destination, 101, Wide(target).c_str());
    Command(destination, IDOK);

    HWND prompt = WaitForWindow(installer, L"#32770", L"安裝HalvexSorvel字型Win95'");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(Text(GetDlgItem(prompt, 100)), L"請放入 第二片 或將含有 HMONO.TT2 之磁片放入...");
    SetDlgItemTextW(prompt, 101, Wide(disk2).c_str());
    Command(prompt, IDOK);

    HWND done = WaitForWindow(installer, L"#32770", kCaption);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(MessageOf(done), L"安裝完成 ! 謝謝您使用合法之Halvex字型軟體 。");
    Command(done, IDOK);
    Sleep(300);
    Command(main, IDCANCEL);
    EXPECT_EQ(disc.ExitCode(0), 0);

    std::string installed;
    ASSERT_TRUE(vexatest::ReadBytes(target + "\\HMONO.TT1", &installed));
    EXPECT_TRUE(installed == vexatest::DataBytes("MONO.TTF")) << installed.size() << " bytes";
    EXPECT_EQ(FontsValue(fontName), target + "\\HMONO.TT1");
    EXPECT_EQ(TempFiles(), tempBefore);
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontsKey, fontName.c_str());
}

TEST(TarsikExe, MissingScriptIsReportedWithoutAWindow) {
    Disc disc;
    DWORD installer = disc.Start();
    ASSERT_NE(installer, 0u);
    HWND box = WaitForWindow(installer, L"#32770", kCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageOf(box), L"找不到起始設定檔案 !");
    EXPECT_EQ(Windows(installer, L"cfinst").count, 0);
    EXPECT_EQ(Windows(installer, L"cfinst-Bk").count, 0);
    Command(box, IDOK);
    EXPECT_EQ(disc.ExitCode(0), 0);
}

TEST(TarsikExe, SecondInstallerBringsTheRunningOneForwardAndLeaves) {
    Disc disc;
    ASSERT_TRUE(vexatest::WriteTextFile(disc.dir() + "\\VEXA95.INI", "[Fonts]\nFonts=0\n", 950));
    DWORD first = disc.Start();
    HWND main = WaitForWindow(first, L"cfinst");
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    for (int i = 0; i < 100 && !IsIconic(main); ++i) Sleep(50);
    ASSERT_TRUE(IsIconic(main));

    ASSERT_NE(disc.Start(), 0u);
    EXPECT_EQ(disc.ExitCode(1), 0);
    for (int i = 0; i < 100 && IsIconic(main); ++i) Sleep(50);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(Windows(0, L"cfinst").count, 1);
    EXPECT_EQ(disc.ExitCode(0, 0), -1);  // still running

    Command(main, IDCANCEL);
    EXPECT_EQ(disc.ExitCode(0), 0);
}

}  // namespace
