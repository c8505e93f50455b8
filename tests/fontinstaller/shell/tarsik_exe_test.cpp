// The built Tarsik.exe, started from a scratch disc as a process of its own
// and driven from outside by window class, title and control id.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "dialog_answers.h"
#include "scratch_dir.h"
#include "text_files.h"

namespace {

const wchar_t kCaption[] = L"HalvexSorvel字型Win 95'安裝程式";

std::wstring Wide(const std::string& ansi) { return vexatest::Widen(ansi, CP_ACP); }

// A window of a class, and of that caption unless it is nullptr.
std::function<bool(HWND)> Of(const wchar_t* cls, const wchar_t* caption) {
    return [=](HWND window) {
        return vexatest::HasClass(window, cls) && (!caption || vexatest::Read(window).caption == caption);
    };
}

// Visible top-level windows of a class (and caption) in a process (0: any).
std::vector<HWND> Windows(DWORD processId, const wchar_t* cls, const wchar_t* caption = nullptr) {
    return vexatest::VisibleWindows(processId, Of(cls, caption));
}

HWND WaitFor(DWORD processId, const wchar_t* cls, const wchar_t* caption = nullptr) {
    HWND found = vexatest::WaitForWindow(processId, Of(cls, caption));
    if (found) Sleep(150);  // let it settle into its loop
    return found;
}

void Press(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// A scratch disc with Tarsik.exe, and the installers started from it.
class Disc : public vexatest::ScratchDir {
public:
    Disc() : dir(MakeDir("disc")) {
        EXPECT_TRUE(CopyFileW(vexatest::WinePath(TARSIK_EXE).c_str(), Wide(dir + "\\Tarsik.exe").c_str(), FALSE));
    }
    // Starts an installer; its process id.
    DWORD Start() {
        vexatest::ChildProcess installer;
        if (!installer.Start(L"\"" + Wide(dir) + L"\\Tarsik.exe\"", Wide(path()))) return 0;
        started_.push_back(std::move(installer));
        return started_.back().id();
    }
    // The n-th installer's exit code once it has ended, -1 when it has not.
    long ExitCode(size_t n, DWORD wait = 15000) {
        std::optional<DWORD> code = started_[n].WaitForExit(wait);
        return code ? static_cast<long>(*code) : -1;
    }
    const std::string dir;

private:
    // Ended, when they still run, before the disc goes.
    std::vector<vexatest::ChildProcess> started_;
};

std::set<std::string> TempFiles() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(dir) + "tmp*.tmp").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names.insert(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

TEST(TarsikExe, InstallsASplitCompressedFontAskingForTheSecondDisk) {
    Disc disc;
    // A name of this run's own: the installer refuses a font already named.
    const std::string fontName = "Halvex Mono Test " + std::to_string(GetTickCount());
    // Wine is of the NT family: the font is recorded under both Fonts keys
    // of the prefix, and taken out of them again.
    const char* const fontsKeys[] = {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
                                     "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"};
    vexatest::AtScopeExit cleanup([&] {
        for (const char* key : fontsKeys) RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, fontName.c_str());
    });
    ASSERT_TRUE(vexatest::WriteTextFile(disc.dir + "\\VEXA95.INI",
                                        "[Fonts]\nFonts=1\nFont1=等寬體\n[Font Files]\n等寬體 Compressed=1\n"
                                        "等寬體 Files=2\n等寬體 FontName=" +
                                            fontName +
                                            "\n等寬體 File1=HMONO.TT1\n"
                                            "等寬體 Disk1=第一片\n等寬體 File2=HMONO.TT2\n等寬體 Disk2=第二片\n",
                                        950));
    const std::string compressed = vexatest::DataBytes("MONO.TT_");
    const std::string disk2 = disc.MakeDir("disk 2"), target = disc.MakeDir("fonts");
    ASSERT_TRUE(vexatest::WriteBytes(disc.dir + "\\HMONO.TT1", compressed.substr(0, compressed.size() / 2)));
    ASSERT_TRUE(vexatest::WriteBytes(disk2 + "\\HMONO.TT2", compressed.substr(compressed.size() / 2)));
    const std::set<std::string> tempBefore = TempFiles();

    DWORD installer = disc.Start();
    HWND main = WaitFor(installer, L"cfinst");
    ASSERT_NE(main, nullptr);
    SendDlgItemMessageW(main, 202, LB_SETSEL, TRUE, 0);
    Press(main, IDOK);
    HWND destination = WaitFor(installer, L"#32770", L"目的目錄");
    ASSERT_NE(destination, nullptr);
    SetDlgItemTextW(destination, 101, Wide(target).c_str());
    Press(destination, IDOK);
    HWND prompt = WaitFor(installer, L"#32770", L"安裝HalvexSorvel字型Win95'");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(vexatest::Read(prompt).text, L"請放入 第二片 或將含有 HMONO.TT2 之磁片放入...");
    SetDlgItemTextW(prompt, 101, Wide(disk2).c_str());
    Press(prompt, IDOK);
    HWND done = WaitFor(installer, L"#32770", kCaption);
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(vexatest::Read(done).text, L"安裝完成 ! 謝謝您使用合法之Halvex字型軟體 。");
    Press(done, IDOK);
    Sleep(300);
    Press(main, IDCANCEL);
    EXPECT_EQ(disc.ExitCode(0), 0);

    std::string installed;
    ASSERT_TRUE(vexatest::ReadBytes(target + "\\HMONO.TT1", &installed));
    EXPECT_TRUE(installed == vexatest::DataBytes("MONO.TTF")) << installed.size() << " bytes";
    for (const char* key : fontsKeys) {
        char value[MAX_PATH] = "<missing>";
        DWORD size = sizeof value;
        RegGetValueA(HKEY_LOCAL_MACHINE, key, fontName.c_str(), RRF_RT_REG_SZ, nullptr, value, &size);
        EXPECT_EQ(std::string(value), target + "\\HMONO.TT1") << key;
    }
    EXPECT_EQ(TempFiles(), tempBefore);
}

TEST(TarsikExe, MissingScriptIsReportedWithoutAWindow) {
    Disc disc;
    DWORD installer = disc.Start();
    HWND box = WaitFor(installer, L"#32770", kCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(vexatest::Read(box).text, L"找不到起始設定檔案 !");
    EXPECT_TRUE(Windows(installer, L"cfinst").empty() && Windows(installer, L"cfinst-Bk").empty());
    Press(box, IDOK);
    EXPECT_EQ(disc.ExitCode(0), 0);
}

TEST(TarsikExe, SecondInstallerBringsTheRunningOneForwardAndLeaves) {
    Disc disc;
    ASSERT_TRUE(vexatest::WriteTextFile(disc.dir + "\\VEXA95.INI", "[Fonts]\nFonts=0\n", 950));
    HWND main = WaitFor(disc.Start(), L"cfinst");
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(main));
    ASSERT_NE(disc.Start(), 0u);
    EXPECT_EQ(disc.ExitCode(1), 0);
    for (int i = 0; i < 100 && IsIconic(main); ++i) Sleep(50);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(Windows(0, L"cfinst").size(), 1u);
    EXPECT_EQ(disc.ExitCode(0, 0), -1);  // the first one still runs
    Press(main, IDCANCEL);
    EXPECT_EQ(disc.ExitCode(0), 0);
}

}  // namespace
