// The destination dialog's path checks under code page 950, from a current
// directory whose name ends in 功 (its second byte is a backslash).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "install_script.h"
#include "path_checks.h"
#include "scratch_dir.h"
#include "text_files.h"

using vexatest::Big5;

namespace {

std::string CurrentDirectory() {
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}

// A drive letter that this prefix does not have.
std::string MissingDrive() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'D'; --letter)
        if ((drives & (1u << (letter - 'A'))) == 0) return std::string(1, letter) + ":";
    return "";
}

class PathChecks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 950u);
        saved_ = CurrentDirectory();
        work_ = scratch_.MakeDir(Big5("成功"));
        installer_ = scratch_.MakeDir("disc");
        std::memset(&g_installScript, 0, sizeof g_installScript);
        CopyText(g_installScript.installerDir, kPathCapacity, installer_.c_str());
        ASSERT_TRUE(SetCurrentDirectoryA(work_.c_str()));
        // Drive Z:'s own current directory, as another drive's.
        SetEnvironmentVariableA("=Z:", "Z:\\tmp");
    }
    void TearDown() override {
        SetEnvironmentVariableA("=Z:", nullptr);
        SetCurrentDirectoryA(saved_.c_str());
    }

    vexatest::ScratchDir scratch_;
    std::string saved_, work_, installer_;
};

TEST_F(PathChecks, TypedTextBecomesAFullDirectoryAndIsChecked) {
    const std::string w = work_;
    ASSERT_TRUE(CreateDirectoryA((w + "\\fonts").c_str(), nullptr));
    const std::string drive = w.substr(0, 2);
    const std::string missing = MissingDrive();
    ASSERT_FALSE(missing.empty());
    struct Case {
        std::string typed;
        std::string full;  // after MakeFullPath and StripTrailingBackslash
        int whole;         // what MakeFullPath returns
        int valid;
    };
    const Case cases[] = {
        {"fonts\\", w + "\\fonts", 1, 1},
        {"", w, 1, 1},
        {"a", w + "\\a", 1, 0},
        {w + "\\", w, 1, 1},
        {"\\windows\\", drive + "\\windows", 1, 1},
        {"c:\\", "c:\\", 1, 1},
        {"z:sub", "Z:\\tmp\\sub", 1, 0},
        {"Z:sub", "Z:\\tmp\\sub", 1, 0},
        {"Z:", "Z:\\tmp", 1, 1},
        {missing + "sub", missing + "sub", 1, 0},
        {missing + "\\", missing + "\\", 1, 0},
        {installer_, installer_, 1, 0},
        {installer_ + "\\", installer_, 1, 0},
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
}

TEST_F(PathChecks, InstallerDirectoryIsRefusedInAnyCaseAndWithoutItsDrive) {
    std::string upper = installer_;
    CharUpperA(upper.data());
    const std::string cases[] = {upper, installer_.substr(2)};
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(IsValidDirectory(path.c_str()), 0);
    }
    // An installer in a drive's root: its directory is the bare drive.
    CopyText(g_installScript.installerDir, kPathCapacity, "C:");
    EXPECT_EQ(IsValidDirectory("C:\\"), 0);
    EXPECT_EQ(IsValidDirectory(work_.c_str()), 1);
}

TEST_F(PathChecks, TrailingBackslashGoesOnlyWhenItIsAWholeCharacter) {
    const std::string w = work_;
    struct Case {
        std::string path, stripped;
    };
    const Case cases[] = {
        {w, w},  // ends in the second byte of 功
        {w + "\\", w}, {"C:\\", "C:\\"}, {"\\", ""}, {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char path[kPathCapacity];
        CopyText(path, sizeof path, c.path.c_str());
        StripTrailingBackslash(path);
        EXPECT_STREQ(path, c.stripped.c_str());
    }
}

TEST_F(PathChecks, TypedPathIsCutAtAWholeCharacter) {
    // 129 characters of two bytes: 258 bytes; one more does not fit.
    std::string typed;
    for (int i = 0; i < 130; ++i) typed += Big5("功");
    char path[kPathCapacity];
    EXPECT_EQ(CopyWholeCharacters(path, sizeof path, typed.c_str()), 0);
    EXPECT_EQ(std::strlen(path), 258u);
    EXPECT_EQ(CopyWholeCharacters(path, sizeof path, "C:\\fonts"), 1);
    EXPECT_STREQ(path, "C:\\fonts");
}

}  // namespace
