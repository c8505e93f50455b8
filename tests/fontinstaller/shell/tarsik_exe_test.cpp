// The built Tarsik.exe, started from a scratch disc as a process of its own
// and driven from outside by window class, title and control id.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "dialog_answers.h"
#include "frozen_window.h"
#include "registry_redirect.h"
#include "scratch_dir.h"
#include "text_files.h"

using vexatest::RegistryRedirect;

namespace {

const wchar_t kCaption[] = L"HalvexSorvel字型Win 95'安裝程式";

std::wstring Wide(const std::string& ansi) { return vexatest::Widen(ansi, CP_ACP); }

// A window of a class and of a caption, either one nullptr for any.
std::function<bool(HWND)> Of(const wchar_t* cls, const wchar_t* caption) {
    return [=](HWND window) {
        return (!cls || vexatest::HasClass(window, cls)) && (!caption || vexatest::Read(window).caption == caption);
    };
}

// Visible top-level windows of a class (nullptr: any) and caption in a
// process (0: any).
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
    // Starts an installer with the arguments (system code page), its
    // standard output into the file `output` unless that is empty; its
    // process id.
    DWORD Start(const std::string& arguments = "", const std::string& output = "") {
        std::wstring commandLine = L"\"" + Wide(dir) + L"\\Tarsik.exe\"";
        if (!arguments.empty()) commandLine += L" " + Wide(arguments);
        vexatest::ChildProcess installer;
        if (!installer.Start(commandLine, Wide(path()), Wide(output))) return 0;
        started_.push_back(std::move(installer));
        return started_.back().id();
    }
    // The n-th installer's exit code once it has ended, -1 when it has not.
    long ExitCode(size_t n, DWORD wait = 15000) {
        std::optional<DWORD> code = started_[n].WaitForExit(wait);
        return code ? static_cast<long>(*code) : -1;
    }
    size_t Count() const { return started_.size(); }
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
    HANDLE search = FindFirstFileA((std::string(dir) + "~tarsik-*.tmp").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        names.insert(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

// Files of ours in the temporary directory that were not there before (a
// run removes those whose writer has gone, so others may go meanwhile).
std::set<std::string> NewTempFiles(const std::set<std::string>& before) {
    std::set<std::string> added;
    for (const std::string& name : TempFiles())
        if (!before.count(name)) added.insert(name);
    return added;
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

    // The user's run, logged.
    DWORD installer = disc.Start("/LOG=" + disc.dir + "\\" + vexatest::Big5("記錄許.log"));
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
    EXPECT_EQ(NewTempFiles(tempBefore), std::set<std::string>{});
    std::string log;
    ASSERT_TRUE(vexatest::ReadBytes(disc.dir + "\\" + vexatest::Big5("記錄許.log"), &log));
    for (const char* line : {"[110] 請放入 第二片 或將含有 HMONO.TT2 之磁片放入...", "[155] 安裝完成 !", "exit code 0"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
}

TEST(TarsikExe, MissingScriptIsReportedWithoutAWindow) {
    Disc disc;
    DWORD installer = disc.Start();
    HWND box = WaitFor(installer, L"#32770", kCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(vexatest::Read(box).text, L"找不到起始設定檔案 !");
    EXPECT_TRUE(Windows(installer, L"cfinst").empty() && Windows(installer, L"cfinst-Bk").empty());
    // A second installer, started while another window is in front, brings the box forward.
    HWND other =
        CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_NE(disc.Start(), 0u);
    EXPECT_EQ(disc.ExitCode(1), 0);
    // The box's own thread activates it when it next reads its messages.
    vexatest::WaitUntil([&] { return GetForegroundWindow() == box; });
    EXPECT_EQ(GetForegroundWindow(), box);
    DestroyWindow(other);
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

// text with each {name} replaced by its value.
std::string Substitute(std::string text, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values)
        for (size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), value);
    return text;
}

const char* const kFontsKeys[] = {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
                                  "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"};
const char kEudcKey[] = "EUDC\\950";

// A value of a key as the installer writes it: HKEY_LOCAL_MACHINE in its
// 64-bit view, whichever architecture this test and the installer are built
// for. "<missing>" when there is none; `remove` takes it out.
std::string Value(HKEY root, const char* key, const std::string& name, bool remove = false) {
    char value[MAX_PATH] = "<missing>";
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return value;
    DWORD size = sizeof value - 1, type = 0;
    if (RegQueryValueExA(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        value[size] = '\0';
    else
        lstrcpyA(value, "<missing>");
    if (remove) RegDeleteValueA(opened, name.c_str());
    RegCloseKey(opened);
    return value;
}

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A value of a product's Apps & features entry, read in the view this
// test's own kind of program (the installer's kind) writes it in.
std::string EntryValue(const std::string& id, const char* name) {
    char value[2 * MAX_PATH] = "<missing>";
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\" + id).c_str(), name, RRF_RT_REG_SZ, nullptr,
                     value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return value;
}

// The products the runs left on the machine: their folders and entries.
void RemoveProducts() {
    HKEY uninstall = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WRITE, &uninstall) != ERROR_SUCCESS) return;
    std::vector<std::string> ids;
    char name[256];
    for (DWORD i = 0, size = sizeof name;
         RegEnumKeyExA(uninstall, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = sizeof name)
        if (std::string(name).rfind("Tarsik-", 0) == 0) ids.push_back(name);
    for (const std::string& id : ids) {
        const std::string folder = EntryValue(id, "InstallLocation");
        if (folder != "<missing>") vexatest::RemoveTree(folder);
        RegDeleteKeyA(uninstall, id.c_str());
    }
    RegCloseKey(uninstall);
}

// Tarsik.exe /S on a disc with one Misc item, a plain, a compressed and a
// split font (its second piece on disk 2) and one TTEs item that belongs to
// the plain font. What it installs into the prefix (the Windows Fonts
// directory, the Windows directory, the Fonts keys, the EUDC key) is taken
// out again; the names are this run's own, since a font already named is
// refused.
class Unattended : public ::testing::Test {
protected:
    void SetUp() override {
        tag_ = std::to_string(GetTickCount());
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        windowsDir_ = windows;
        fontsDir_ = windowsDir_ + "\\FONTS";
        misc_ = disc_.MakeDir("misc");
        log_ = disc_.dir + "\\" + vexatest::Big5("記錄許.log");
        const std::string script = Substitute(
            "[Misc]\nItems=1\nItem1=說明\n[Misc Files]\n說明 Files=1\n說明 File1=README.TXT\n說明 Disk1=第一片\n"
            "說明 DstDir={misc}\n"
            "[Fonts]\nFonts=3\nFont1=漢維等寬體\nFont2=漢維明體\nFont3=漢維黑體\n[Font Files]\n"
            "漢維等寬體 Files=1\n漢維等寬體 FontName={font1}\n漢維等寬體 File1=UTPLAIN.TTF\n漢維等寬體 Disk1=第一片\n"
            "漢維明體 Files=1\n漢維明體 Compressed=1\n漢維明體 FontName={font2}\n漢維明體 File1=UTCOMP.TT_\n"
            "漢維明體 Disk1=第一片\n"
            "漢維黑體 Files=2\n漢維黑體 Compressed=1\n漢維黑體 FontName={font3}\n漢維黑體 File1=UTSPLIT.TT1\n"
            "漢維黑體 Disk1=第一片\n漢維黑體 File2=UTSPLIT.TT2\n漢維黑體 Disk2=第二片\n"
            "[TTEs]\nFonts=1\nFont1=外字集\n[TTE Files]\n外字集 Files=1\n外字集 FontName={font1}\n"
            "外字集 AFiles=1\n外字集 AFontName1={link}\n外字集 File1=UTEUDC.TTE\n外字集 Disk1=第二片\n",
            {{"{misc}", vexatest::ToUtf8(misc_, 950)},
             {"{font1}", FontName(1)},
             {"{font2}", FontName(2)},
             {"{font3}", FontName(3)},
             {"{link}", LinkName()}});
        ASSERT_TRUE(vexatest::WriteTextFile(disc_.dir + "\\VEXA95.INI", script, 950));
        const std::string compressed = vexatest::DataBytes("MONO.TT_");
        ASSERT_TRUE(vexatest::WriteBytes(disc_.dir + "\\README.TXT", "read me"));
        ASSERT_TRUE(vexatest::WriteBytes(disc_.dir + "\\UTPLAIN.TTF", vexatest::DataBytes("MONO.TTF")));
        ASSERT_TRUE(vexatest::WriteBytes(disc_.dir + "\\UTCOMP.TT_", compressed));
        ASSERT_TRUE(vexatest::WriteBytes(disc_.dir + "\\UTSPLIT.TT1", compressed.substr(0, compressed.size() / 2)));
        ASSERT_TRUE(vexatest::WriteBytes(disc_.dir + "\\UTSPLIT.TT2", compressed.substr(compressed.size() / 2)));
        ASSERT_TRUE(vexatest::WriteBytes(disc_.dir + "\\UTEUDC.TTE", "end-user characters"));
    }
    void TearDown() override {
        RemoveProducts();
        for (int n = 1; n <= 4; ++n)
            for (const char* key : kFontsKeys) Value(HKEY_LOCAL_MACHINE, key, FontName(n), true);
        Value(HKEY_CURRENT_USER, kEudcKey, LinkName(), true);
        for (const char* file : {"UTPLAIN.TTF", "UTCOMP.TT_", "UTSPLIT.TT1", "UTOTHER.TTF"})
            DeleteFileA((fontsDir_ + "\\" + file).c_str());
        DeleteFileA((windowsDir_ + "\\UTEUDC.TTE").c_str());
    }

    std::string FontName(int n) const { return "Tarsik Unattended " + std::to_string(n) + " " + tag_; }
    std::string LinkName() const { return "Tarsik Unattended Link " + tag_; }

    // Runs Tarsik.exe with the arguments to its end, looking for a window
    // all the while; its exit code, -1 when it did not end in a minute.
    long Run(const std::string& arguments, const std::string& output = "") {
        DWORD installer = disc_.Start(arguments, output);
        size_t n = disc_.Count() - 1;
        long code = -1;
        for (int i = 0; i < 3000 && (code = disc_.ExitCode(n, 20)) == -1; ++i)
            windowShown_ |= !Windows(installer, nullptr).empty();
        return code;
    }
    // The log, UTF-8 after its byte order mark.
    std::string Log() const {
        std::string log;
        vexatest::ReadBytes(log_, &log);
        EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
        return log;
    }

    Disc disc_;
    std::string tag_, windowsDir_, fontsDir_, misc_, log_;
    bool windowShown_ = false;
};

struct UnattendedCase {
    const char* what;
    // {log} is the log's path, {dir} a fresh directory's, {disc} the disc's
    // and {zdisc} the disc's under drive Z:, {long} a directory too long
    // for a file under it
    const char* arguments;
    const char* missing;  // a piece taken off the disc, or the script
    int runs;             // the last one is checked
    long exitCode;
    const char* installed;           // what is there afterwards: m(isc) p(lain) c(ompressed) s(plit) e(udc)
    const char* logged;              // what the log holds, line parts separated by '|'; nullptr: no log at all
    const char* editFrom = nullptr;  // a change to the script (UTF-8, {font<n>} as the names)
    const char* editTo = nullptr;
};

// Every file of a directory (not below it) and its bytes.
std::vector<std::pair<std::string, std::string>> FilesOf(const std::string& dir, const std::string& except) {
    std::vector<std::pair<std::string, std::string>> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && except != found.cFileName)
            files.emplace_back(found.cFileName, vexatest::FileBytes(dir + "\\" + found.cFileName));
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(files.begin(), files.end());
    return files;
}

class UnattendedRuns : public Unattended, public ::testing::WithParamInterface<UnattendedCase> {};

TEST_P(UnattendedRuns, InstallWithoutAWindowAndTellHowItWent) {
    const UnattendedCase& c = GetParam();
    if (c.missing) ASSERT_TRUE(DeleteFileA((disc_.dir + "\\" + c.missing).c_str()));
    if (c.editFrom) {
        const std::vector<std::pair<std::string, std::string>> names = {{"{font2}", FontName(2)},
                                                                        {"{font3}", FontName(3)}};
        std::string script = vexatest::FileBytes(disc_.dir + "\\VEXA95.INI");
        const std::string from = vexatest::FromUtf8(Substitute(c.editFrom, names), 950);
        ASSERT_NE(script.find(from), std::string::npos) << c.editFrom;
        script.replace(script.find(from), from.size(), vexatest::FromUtf8(Substitute(c.editTo, names), 950));
        ASSERT_TRUE(vexatest::WriteBytes(disc_.dir + "\\VEXA95.INI", script));
    }
    const std::string dir = disc_.dir + "\\" + vexatest::Big5("字型功");  // ends in the byte 0x5C
    const std::string longDir = disc_.dir + "\\" + std::string(240 - disc_.dir.size(), 'L');
    const std::string arguments = Substitute(c.arguments, {{"{log}", log_},
                                                           {"{dir}", dir},
                                                           {"{zdisc}", vexatest::UnderDriveZ(disc_.dir)},
                                                           {"{disc}", disc_.dir},
                                                           {"{long}", longDir}});
    // Files of the author's next to the disc and in the temporary directory,
    // where a name that climbs out would land.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string victims[] = {disc_.path() + "\\VICTIM.TTF", std::string(temp) + "VICTIM.TTF"};
    vexatest::AtScopeExit noVictims([&] {
        for (const std::string& victim : victims) DeleteFileA(victim.c_str());
    });
    for (const std::string& victim : victims) ASSERT_TRUE(vexatest::WriteBytes(victim, "an author's file"));
    const auto share = FilesOf(disc_.dir, vexatest::Big5("記錄許.log"));
    const std::set<std::string> tempBefore = TempFiles();
    for (int i = 0; i < c.runs; ++i) EXPECT_EQ(Run(arguments), i + 1 == c.runs ? c.exitCode : 0) << "run " << i + 1;
    EXPECT_FALSE(windowShown_);
    // What the run reads stays as it was, whatever the arguments.
    EXPECT_TRUE(FilesOf(disc_.dir, vexatest::Big5("記錄許.log")) == share);
    for (const std::string& victim : victims) EXPECT_EQ(vexatest::FileBytes(victim), "an author's file") << victim;
    EXPECT_FALSE(vexatest::FileExists(longDir));

    const std::string installed = c.installed;
    const bool toDir = arguments.find("/D=") != std::string::npos;
    const std::string fonts = toDir ? dir : fontsDir_;
    EXPECT_EQ(vexatest::FileExists(misc_ + "\\README.TXT"), installed.find('m') != std::string::npos);
    const struct {
        char letter;
        const char* file;
    } fontFiles[] = {{'p', "UTPLAIN.TTF"}, {'c', "UTCOMP.TT_"}, {'s', "UTSPLIT.TT1"}};
    for (int n = 1; n <= 3; ++n) {
        const auto& font = fontFiles[n - 1];
        std::string bytes;
        if (installed.find(font.letter) == std::string::npos) {
            EXPECT_FALSE(vexatest::FileExists(fonts + "\\" + font.file)) << font.file;
            for (const char* key : kFontsKeys) EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, key, FontName(n)), "<missing>");
            continue;
        }
        ASSERT_TRUE(vexatest::ReadBytes(fonts + "\\" + font.file, &bytes)) << font.file;
        EXPECT_TRUE(bytes == vexatest::DataBytes("MONO.TTF")) << font.file << ": " << bytes.size() << " bytes";
        for (const char* key : kFontsKeys)
            EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, key, FontName(n)), toDir ? fonts + "\\" + font.file : font.file) << key;
    }
    // The TTEs item goes to the Windows directory, /D or not.
    const bool eudc = installed.find('e') != std::string::npos;
    EXPECT_EQ(vexatest::FileExists(windowsDir_ + "\\UTEUDC.TTE"), eudc);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kEudcKey, LinkName()), eudc ? windowsDir_ + "\\UTEUDC.TTE" : "<missing>");
    // Nothing half-written: no temporary file beside the fonts or in the
    // temporary directory.
    EXPECT_EQ(NewTempFiles(tempBefore), std::set<std::string>{});
    WIN32_FIND_DATAA found;
    HANDLE left = FindFirstFileA((fonts + "\\~tarsik-*.tmp").c_str(), &found);
    EXPECT_EQ(left, INVALID_HANDLE_VALUE) << found.cFileName;
    if (left != INVALID_HANDLE_VALUE) FindClose(left);

    if (!c.logged) {
        EXPECT_FALSE(vexatest::FileExists(log_));
        return;
    }
    const std::string log = Log();
    std::string logged = c.logged, missing;
    for (size_t from = 0, to; from <= logged.size(); from = to + 1) {
        to = std::min(logged.find('|', from), logged.size());
        if (log.find(logged.substr(from, to - from)) == std::string::npos)
            missing += logged.substr(from, to - from) + "\n";
    }
    EXPECT_EQ(missing, "") << "in the log:\n" << log;
}

INSTANTIATE_TEST_SUITE_P(
    TarsikExe, UnattendedRuns,
    ::testing::Values(
        UnattendedCase{"every_piece_there", "/S /LOG={log}", nullptr, 1, 0, "mpcse",
                       "Dest |[153] 複製檔案 UTSPLIT.TT2 ...|Fonts items go to |Fonts item 3 漢維黑體: installed|"
                       "TTEs item 1 外字集: installed|[155] 安裝完成 !|5 installed, 0 already installed, 0 not|"
                       "exit code 0"},
        UnattendedCase{
            "a_piece_missing", "/s /log=\"{log}\"", "UTSPLIT.TT2", 1, 3, "mpc",
            "[110] 請放入 第二片 或將含有 UTSPLIT.TT2 之磁片放入...|missing piece UTSPLIT.TT2 of disk 第二片|"
            "Fonts item 3 漢維黑體: not installed|"
            "TTEs item 1 外字集: not installed (the run stopped at a missing piece)|exit code 3"},
        UnattendedCase{"no_script", "/S /LOG={log}", "VEXA95.INI", 1, 1, "", "[10] 找不到起始設定檔案 !|exit code 1"},
        UnattendedCase{"fonts_to_a_directory", "/S \"/D={dir}\" /LOG={log}", nullptr, 1, 0, "mpcse",
                       "[159] 建立一個新的目錄 ？|created |Fonts items go to |字型功|exit code 0"},
        UnattendedCase{"a_directory_that_cannot_be_made", "/S /D={dir}\\sub /LOG={log}", nullptr, 1, 2, "",
                       "[26] 不合法之目錄 !|cannot be used: nothing installed|exit code 2"},
        UnattendedCase{"an_unknown_switch", "/S /LOG={log} /Q", nullptr, 1, 2, "",
                       "argument not understood: /Q (not a switch of this installer)|exit code 2"},
        // Command lines a deployment tool may send: refused whole, or understood.
        UnattendedCase{"an_unknown_switch_without_S", "/LOG={log} /Q", nullptr, 1, 2, "",
                       "Tarsik.exe started: |argument not understood: /Q|exit code 2"},
        UnattendedCase{"no_space_between_switches", "/S/LOG={log}", nullptr, 1, 2, "", nullptr},
        UnattendedCase{"a_switch_twice", "/S /D={dir} /D={dir} /LOG={log}", nullptr, 1, 2, "",
                       "(given twice): nothing installed|exit code 2"},
        UnattendedCase{"a_dash_switch", "-S /LOG={log}", nullptr, 1, 0, "mpcse", "started unattended|exit code 0"},
        UnattendedCase{"a_destination_too_long", "/S /D={long} /LOG={log}", nullptr, 1, 2, "",
                       "is too long for the files to go under it: nothing installed|exit code 2"},
        // Names that reach a place not meant: the share's files stay as they are.
        UnattendedCase{"a_log_on_a_piece", "/S /LOG={disc}\\UTPLAIN.TTF", nullptr, 1, 2, "", nullptr},
        UnattendedCase{"a_log_on_a_compressed_piece_by_drive_Z", "/S /LOG={zdisc}\\utcomp.tt_", nullptr, 1, 2, "",
                       nullptr},
        UnattendedCase{"a_log_on_the_script_by_drive_Z", "/S /LOG={zdisc}\\VEXA95.INI", nullptr, 1, 2, "", nullptr},
        UnattendedCase{"the_installer_folder_by_drive_Z", "/S /D={zdisc} /LOG={log}", nullptr, 1, 2, "",
                       "[26] 不合法之目錄 !|cannot be used: nothing installed|exit code 2"},
        UnattendedCase{"a_piece_name_that_climbs_out", "/S /LOG={log}", nullptr, 1, 1, "",
                       "[11] 起始設定檔案中之資料不對 !|exit code 1", "漢維等寬體 File1=UTPLAIN.TTF",
                       "漢維等寬體 File1=..\\VICTIM.TTF"},
        UnattendedCase{"two_items_with_one_font_name", "/S /LOG={log}", nullptr, 1, 3, "mpce",
                       "漢維黑體的字型名稱與漢維明體相同|Fonts item 3 漢維黑體: not installed|exit code 3",
                       "漢維黑體 FontName={font3}", "漢維黑體 FontName={font2}"},
        UnattendedCase{"a_second_run", "/S /LOG={log}", nullptr, 2, 0, "mpcse",
                       "Fonts item 1 漢維等寬體: already installed|Fonts item 3 漢維黑體: already installed|"
                       "2 installed, 3 already installed, 0 not installed"}),
    [](const auto& info) { return std::string(info.param.what); });

// Without /LOG nothing is written anywhere: not even the trace lines, which
// a user's run writes to standard output.
TEST_F(Unattended, WithoutALogWritesNothing) {
    const std::string output = disc_.dir + "\\stdout.txt";
    EXPECT_EQ(Run("/S", output), 0);
    std::string written = "?";
    EXPECT_TRUE(vexatest::ReadBytes(output, &written));
    EXPECT_EQ(written, "");
    EXPECT_TRUE(vexatest::FileExists(misc_ + "\\README.TXT"));
    // A log that cannot be opened: nothing installed either.
    EXPECT_EQ(Run("/S /LOG=" + disc_.dir + "\\none\\fonts.log"), 2);
    EXPECT_FALSE(vexatest::FileExists(disc_.dir + "\\none"));
}

// A program that has stopped answering cannot hold the run up: the
// font-change notification after each font waits for no window.
TEST_F(Unattended, AWindowThatStopsAnsweringDoesNotHoldTheRunUp) {
    vexatest::FrozenWindow frozen;
    const DWORD start = GetTickCount();
    EXPECT_EQ(Run("/S /LOG=" + log_), 0);
    EXPECT_LT(GetTickCount() - start, 30000u);
    EXPECT_NE(Log().find("5 installed, 0 already installed, 0 not installed"), std::string::npos) << Log();
}

// One installer at a time: an unattended run waits for the user's installer
// to end, then runs.
TEST_F(Unattended, WaitsForTheRunningInstaller) {
    DWORD first = disc_.Start();
    HWND main = WaitFor(first, L"cfinst");
    ASSERT_NE(main, nullptr);
    disc_.Start("/S /LOG=" + log_);
    EXPECT_EQ(disc_.ExitCode(1, 2000), -1);  // still waiting
    EXPECT_FALSE(vexatest::FileExists(fontsDir_ + "\\UTPLAIN.TTF"));
    Press(main, IDCANCEL);
    EXPECT_EQ(disc_.ExitCode(0), 0);
    EXPECT_EQ(disc_.ExitCode(1), 0);
    EXPECT_TRUE(vexatest::FileExists(fontsDir_ + "\\UTPLAIN.TTF"));
    EXPECT_NE(Log().find("another installer is running: waiting"), std::string::npos);
}

// Removal through the command Apps & features keeps for the product, out
// of process, after an install of the same disc. The machine has, before
// the install, a font of the script already registered (by other data), a
// Misc file in place and an EUDC link of the script's name: all three must
// survive the removal, and the removal must leave the machine as it was.
struct RemovalCase {
    const char* what;
    const char* stopAt;  // the install is ended by force at this step (VEXA_TEST_STOP_AT), or nullptr
    long installExit;
    enum Between { Nothing, FontInUse, DamagedRecord, SecondDisc } between;
    long removalExit;
};

class Removal : public Unattended, public ::testing::WithParamInterface<RemovalCase> {
protected:
    // What the test looks at, as one text: values of the script's names,
    // the files the disc installs, the product's folder and entry.
    std::string MachineState(const std::string& id) {
        std::string state;
        for (int n = 1; n <= 4; ++n)
            for (const char* key : kFontsKeys)
                state += key + (" " + FontName(n) + "=") + Value(HKEY_LOCAL_MACHINE, key, FontName(n)) + "\n";
        state += "link=" + Value(HKEY_CURRENT_USER, kEudcKey, LinkName()) + "\n";
        for (const std::string& file :
             {fontsDir_ + "\\UTPLAIN.TTF", fontsDir_ + "\\UTCOMP.TT_", fontsDir_ + "\\UTSPLIT.TT1",
              fontsDir_ + "\\UTOTHER.TTF", windowsDir_ + "\\UTEUDC.TTE", misc_ + "\\README.TXT", misc_})
            state += file + (vexatest::FileExists(file) ? " there\n" : " missing\n");
        state += "entry " + EntryValue(id, "DisplayName") + "\n";
        return state;
    }
    // The product of the install logged last: its Apps & features entry.
    std::string LoggedProduct() {
        const std::string log = Log(), mark = "Apps & features entry ";
        size_t at = log.rfind(mark);
        return at == std::string::npos ? "" : log.substr(at + mark.size(), 23);
    }
    // Runs the entry's quiet removal command, logged; its exit code.
    long Remove(const std::string& id) {
        const std::string command = EntryValue(id, "QuietUninstallString");
        EXPECT_NE(command, "<missing>");
        vexatest::ChildProcess remover;
        if (!remover.Start(Wide(command + " \"/LOG=" + removalLog_ + "\""), Wide(disc_.path()))) return -2;
        std::optional<DWORD> code = remover.WaitForExit(60000);
        return code ? static_cast<long>(*code) : -1;
    }
    std::string removalLog_ = disc_.path() + "\\removal.log";
};

TEST_P(Removal, TakesAwayExactlyWhatTheInstallLeft) {
    const RemovalCase& c = GetParam();
    // What the machine had before.
    for (const char* key : kFontsKeys)
        ASSERT_EQ(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, key, FontName(1), "EARLIER.TTF"), true);
    const std::string link = "C:\\EARLIER.TTE";
    ASSERT_TRUE(RegistryRedirect::SetString(HKEY_CURRENT_USER, kEudcKey, LinkName(), link));
    ASSERT_TRUE(vexatest::WriteBytes(misc_ + "\\README.TXT", "the user's notes"));
    const std::string before = MachineState("none");

    if (c.stopAt) SetEnvironmentVariableA("VEXA_TEST_STOP_AT", c.stopAt);
    EXPECT_EQ(Run("/S /LOG=" + log_), c.installExit);
    SetEnvironmentVariableA("VEXA_TEST_STOP_AT", nullptr);
    const std::string id = LoggedProduct();
    ASSERT_EQ(id.rfind("Tarsik-", 0), 0u) << Log();
    EXPECT_NE(EntryValue(id, "DisplayName"), "<missing>");
    const std::string folder = EntryValue(id, "InstallLocation");
    EXPECT_TRUE(vexatest::FileExists(folder + "\\Tarsik.exe"));

    HANDLE held = INVALID_HANDLE_VALUE;
    std::string otherId;
    if (c.between == RemovalCase::FontInUse)
        held = CreateFileA((fontsDir_ + "\\UTCOMP.TT_").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (c.between == RemovalCase::DamagedRecord) {
        std::string record = vexatest::FileBytes(folder + "\\Tarsik.rec");
        record[record.find("UTCOMP")] = 'X';
        ASSERT_TRUE(vexatest::WriteBytes(folder + "\\Tarsik.rec", record));
    }
    if (c.between == RemovalCase::SecondDisc) {
        Disc second;
        ASSERT_TRUE(vexatest::WriteTextFile(second.dir + "\\VEXA95.INI",
                                            "[Fonts]\nFonts=1\nFont1=其他\n[Font Files]\n其他 Files=1\n其他 FontName=" +
                                                FontName(4) + "\n其他 File1=UTOTHER.TTF\n其他 Disk1=第一片\n",
                                            950));
        ASSERT_TRUE(vexatest::WriteBytes(second.dir + "\\UTOTHER.TTF", vexatest::DataBytes("MONO.TTF")));
        second.Start("/S");
        EXPECT_EQ(second.ExitCode(0, 60000), 0);
    }
    const std::string installed = MachineState(id);

    EXPECT_EQ(Remove(id), c.removalExit);
    std::string log;
    vexatest::ReadBytes(removalLog_, &log);
    if (held != INVALID_HANDLE_VALUE) {
        // Deleted at the next restart: the system's list of pending deletes names it.
        char pending[8192] = "";
        DWORD size = sizeof pending;
        RegGetValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                     "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
        std::string names(pending, size);
        EXPECT_NE(names.find("UTCOMP.TT_"), std::string::npos);
        EXPECT_NE(log.find("deleted at the next restart (in use)"), std::string::npos) << log;
        CloseHandle(held);
        DeleteFileA((fontsDir_ + "\\UTCOMP.TT_").c_str());
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                           "PendingFileRenameOperations");
    }
    if (c.removalExit == 3) {
        // A record that cannot be read: nothing removed, the entry kept.
        EXPECT_EQ(MachineState(id), installed);
        EXPECT_NE(log.find("exit code 3"), std::string::npos) << log;
        return;
    }
    // The remover's folder goes once the remover has ended.
    EXPECT_TRUE(vexatest::WaitUntil([&] { return !vexatest::FileExists(folder); }, 20000)) << folder;
    std::string after = MachineState(id);
    if (c.between == RemovalCase::SecondDisc) {
        // The other disc's font is still there.
        EXPECT_NE(after.find(FontName(4) + "=UTOTHER.TTF"), std::string::npos) << after;
        EXPECT_NE(after.find("UTOTHER.TTF there"), std::string::npos) << after;
        for (const char* key : kFontsKeys) Value(HKEY_LOCAL_MACHINE, key, FontName(4), true);
        DeleteFileA((fontsDir_ + "\\UTOTHER.TTF").c_str());
        after = MachineState(id);
    }
    EXPECT_EQ(after, before) << "installed:\n" << installed << "removal log:\n" << log;
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kEudcKey, LinkName()), link);
}

INSTANTIATE_TEST_SUITE_P(
    TarsikExe, Removal,
    ::testing::Values(RemovalCase{"install_then_remove", nullptr, 0, RemovalCase::Nothing, 0},
                      RemovalCase{"killed_at_the_registration", "registration", 99, RemovalCase::Nothing, 0},
                      RemovalCase{"killed_between_the_keys", "between the keys", 99, RemovalCase::Nothing, 0},
                      RemovalCase{"a_font_in_use", nullptr, 0, RemovalCase::FontInUse, 3010},
                      RemovalCase{"a_damaged_record", nullptr, 0, RemovalCase::DamagedRecord, 3},
                      RemovalCase{"another_disc_stays", nullptr, 0, RemovalCase::SecondDisc, 0}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
