// The destination dialog's path checks under code page 950, from a current
// directory whose name ends in 功 (its second byte is a backslash).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "ansi_text.h"
#include "child_process.h"
#include "install_script.h"
#include "path_checks.h"
#include "scratch_dir.h"
#include "text_files.h"

using namespace tarsik;

namespace {

std::string CurrentDirectory() {
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}

TEST(PathChecks, TypedTextBecomesAFullDirectoryAndIsChecked) {
    ASSERT_EQ(GetACP(), 950u);
    vexatest::ScratchDir scratch;
    const std::string saved = CurrentDirectory(), w = scratch.MakeDir(vexatest::Big5("成功"));
    const std::string installer = scratch.MakeDir("disc"), drive = w.substr(0, 2);
    const std::string zInstaller = vexatest::UnderDriveZ(installer);
    ASSERT_EQ(zInstaller.substr(0, 2), "Z:");
    ASSERT_TRUE(CreateDirectoryA((w + "\\fonts").c_str(), nullptr));
    std::memset(&g_installScript, 0, sizeof g_installScript);
    CopyText(g_installScript.installerDir, kPathCapacity, installer.c_str());
    std::string missing;  // a drive this prefix does not have
    for (char letter = 'Y'; missing.empty() && letter > 'D'; --letter)
        if ((GetLogicalDrives() & (1u << (letter - 'A'))) == 0) missing = std::string(1, letter) + ":";
    ASSERT_TRUE(SetCurrentDirectoryA(w.c_str()));
    SetEnvironmentVariableA("=Z:", "Z:\\tmp");  // drive Z:'s own current directory

    struct Case {
        std::string typed, full;  // full: after MakeFullPath and StripTrailingBackslash
        int whole, valid;
    };
    const Case cases[] = {
        {"fonts\\", w + "\\fonts", 1, 1},
        {"", w, 1, 1},
        {"a", w + "\\a", 1, 0},
        {w + "\\", w, 1, 1},
        {"\\windows\\", drive + "\\windows", 1, 1},
        {"c:\\", "c:\\", 1, 1},
        {"z:sub", "Z:\\tmp\\sub", 1, 0},
        {"Z:", "Z:\\tmp", 1, 1},
        {missing + "sub", missing + "sub", 1, 0},
        {missing + "\\", missing + "\\", 1, 0},
        {installer + "\\", installer, 1, 0},
        {installer.substr(2), drive + installer.substr(2), 1, 0},
        // The installer's directory by other names.
        {installer + "\\.", installer + "\\.", 1, 0},
        {installer + "\\\\", installer + "\\", 1, 0},
        {installer + "/", installer + "/", 1, 0},
        {w + "\\..\\disc", w + "\\..\\disc", 1, 0},
        {zInstaller, zInstaller, 1, 0},  // the same folder under another drive letter
        {std::string(250, 'x'), "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("typed \"" + c.typed + "\"");
        char path[kPathCapacity];
        CopyText(path, sizeof path, c.typed.c_str());
        EXPECT_EQ(MakeFullPath(path), c.whole);
        StripTrailingBackslash(path);
        EXPECT_STREQ(path, c.full.c_str());
        EXPECT_EQ(IsValidDirectory(path), c.valid);
        EXPECT_EQ(CurrentDirectory(), w);
    }
    // An installer in a drive's root has the directory "C:".
    CopyText(g_installScript.installerDir, kPathCapacity, "c:");
    EXPECT_EQ(IsValidDirectory("C:\\"), 0);
    EXPECT_EQ(IsValidDirectory(installer.substr(2).c_str()), 1);
    SetEnvironmentVariableA("=Z:", nullptr);
    SetCurrentDirectoryA(saved.c_str());
}

}  // namespace
