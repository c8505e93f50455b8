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
#include "registry_redirect.h"
#include "scratch_dir.h"
#include "text_files.h"

using vexatest::RegistryRedirect;

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

// What one install run records, read back in the view the system reads
// (for a 32-bit installer on 64-bit Windows, the 64-bit one).
struct Registration {
    HKEY root;
    std::string key, name, data;
};

TEST(TarsikExe, InstallsASplitCompressedFontAskingForTheSecondDisk) {
    Disc disc;
    // Names of this run's own: the installer refuses a font already named.
    const std::string run = std::to_string(GetTickCount());
    const std::string fontName = "Halvex Mono Test " + run;
    const std::string tableKey = "SOFTWARE\\VexaTest\\Phonetic " + run;
    const std::string target = disc.MakeDir("fonts");
    // Wine is of the NT family: the font is recorded under both Fonts keys;
    // the input-method table under the script's key below HKEY_LOCAL_MACHINE,
    // the EUDC link under the current user's key. All in the prefix itself,
    // and taken out again.
    const Registration expected[] = {
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", fontName, target + "\\HMONO.TT1"},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", fontName,
         target + "\\HMONO.TT1"},
        {HKEY_LOCAL_MACHINE, tableKey, "IME file", "PHON.IME"},
        {HKEY_CURRENT_USER, "EUDC\\950", fontName, target + "\\HMONO.TTE"},
    };
    vexatest::AtScopeExit cleanup([&] {
        for (const Registration& r : expected) RegistryRedirect::DeleteValue(r.root, r.key, r.name);
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, tableKey.c_str(), view, 0);
    });
    ASSERT_TRUE(
        vexatest::WriteTextFile(disc.dir + "\\VEXA95.INI",
                                "[Fonts]\nFonts=1\nFont1=等寬體\n[Font Files]\n等寬體 Compressed=1\n"
                                "等寬體 Files=2\n等寬體 FontName=" +
                                    fontName +
                                    "\n等寬體 File1=HMONO.TT1\n"
                                    "等寬體 Disk1=第一片\n等寬體 File2=HMONO.TT2\n等寬體 Disk2=第二片\n"
                                    "[Tbls]\nTbls=1\nTbl1=注音\n[Tbls Files]\n注音 Files=1\n注音 File1=PHON.TBL\n"
                                    "注音 Disk1=第一片\n注音 DstDir=" +
                                    target + "\n注音 UserKey=" + tableKey +
                                    "\n注音 IME file=PHON.IME\n"
                                    "[TTEs]\nFonts=1\nFont1=等寬外字\n[TTE Files]\n等寬外字 Files=1\n"
                                    "等寬外字 File1=HMONO.TTE\n等寬外字 Disk1=第二片\n等寬外字 FontName=" +
                                    fontName + "\n等寬外字 AFiles=1\n等寬外字 AFontName1=" + fontName + "\n",
                                950));
    const std::string compressed = vexatest::DataBytes("MONO.TT_");
    const std::string disk2 = disc.MakeDir("disk 2");
    ASSERT_TRUE(vexatest::WriteBytes(disc.dir + "\\HMONO.TT1", compressed.substr(0, compressed.size() / 2)));
    ASSERT_TRUE(vexatest::WriteBytes(disk2 + "\\HMONO.TT2", compressed.substr(compressed.size() / 2)));
    ASSERT_TRUE(vexatest::WriteBytes(disc.dir + "\\PHON.TBL", "phonetic table"));
    // On the second disk, where the installer reads from once it has asked
    // for that disk.
    ASSERT_TRUE(vexatest::WriteBytes(disk2 + "\\HMONO.TTE", "end-user characters"));
    const std::set<std::string> tempBefore = TempFiles();

    DWORD installer = disc.Start();
    HWND main = WaitFor(installer, L"cfinst");
    ASSERT_NE(main, nullptr);
    SendDlgItemMessageW(main, 202, LB_SETSEL, TRUE, 0);
    SendDlgItemMessageW(main, 202, LB_SETSEL, TRUE, 1);
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
    // The EUDC item's own destination.
    Sleep(300);
    destination = WaitFor(installer, L"#32770", L"目的目錄");
    ASSERT_NE(destination, nullptr);
    SetDlgItemTextW(destination, 101, Wide(target).c_str());
    Press(destination, IDOK);
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
    for (const Registration& r : expected)
        EXPECT_EQ(RegistryRedirect::ValueOrMissing(r.root, r.key, r.name), r.data) << r.key << " " << r.name;
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
