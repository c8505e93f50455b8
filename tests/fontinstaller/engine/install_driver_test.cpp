#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "install_driver.h"
#include "install_script.h"
#include "install_session.h"
#include "registry_redirect.h"
#include "program_path.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "text_files.h"

using namespace tarsik;

using vexatest::FromUtf8;
using vexatest::RegistryRedirect;
using vexatest::ScratchDir;
using vexatest::ScriptedUi;
using vexatest::UiEvent;

namespace {

const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";

// A disk of a given size for the space check; the directories asked, in
// order.
DWORD g_freeKilobytes = 0;
std::vector<std::string> g_askedDirs;
BOOL SmallDisk(const char* directory, ULONGLONG* freeBytes) {
    g_askedDirs.push_back(directory);
    *freeBytes = static_cast<ULONGLONG>(g_freeKilobytes) * 1024;
    return TRUE;
}
BOOL UnknownDisk(const char*, ULONGLONG*) { return FALSE; }

// An install script over files on a media directory: Misc items M1.., Tbls
// items T1.., Fonts items F1.. and TTEs items E1.. (all of whose link to
// the font name "Base"). Each item has one plain piece named after it.
struct ScriptShape {
    int misc = 0, tables = 0, fonts = 0, eudcs = 0;
    int fontSize = 10, eudcSize = 10;
    const char* miscDir = "misc";  // below the target directory (UTF-8)
};

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_askedDirs.clear();
        media_ = dir_.MakeDir("media");
        target_ = dir_.MakeDir("target");
        vexatest::UseProgramPath(media_ + "\\Tarsik.exe");
        ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKey));
        ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKey, "Base", "BASE.TTF"));
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr, nullptr,
                                 nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner_);
        vexatest::UseProgramPath("");
        SetFreeSpaceSource(nullptr);
    }

    void Load(const ScriptShape& shape) {
        std::string misc = "[Misc]\nItems=" + std::to_string(shape.misc) + "\n", miscFiles = "[Misc Files]\n";
        for (int n = 1; n <= shape.misc; ++n) {
            std::string name = "M" + std::to_string(n);
            misc += "Item" + std::to_string(n) + "=" + name + "\n";
            miscFiles += Item(name) + name + " DstDir=" + target_ + "\\" + shape.miscDir + "\n";
        }
        std::string tables = "[Tbls]\nTbls=" + std::to_string(shape.tables) + "\n", tableFiles = "[Tbls Files]\n";
        for (int n = 1; n <= shape.tables; ++n) {
            std::string name = "T" + std::to_string(n);
            tables += "Tbl" + std::to_string(n) + "=" + name + "\n";
            tableFiles += Item(name) + name + " DstDir=" + target_ + "\\tables\n" + name + " UserKey=Software\\Ime\\" +
                          name + "\n" + name + " IME file=" + name + ".IME\n";
        }
        std::string fonts = "[Fonts]\nFonts=" + std::to_string(shape.fonts) + "\n", fontFiles = "[Font Files]\n";
        for (int n = 1; n <= shape.fonts; ++n) {
            std::string name = "F" + std::to_string(n);
            fonts += "Font" + std::to_string(n) + "=" + name + "\n";
            fontFiles += Item(name) + name + " FontName=" + name + " (TrueType)\n" + name +
                         " Size=" + std::to_string(shape.fontSize) + "\n";
        }
        std::string eudcs = "[TTEs]\nFonts=" + std::to_string(shape.eudcs) + "\n", eudcFiles = "[TTE Files]\n";
        for (int n = 1; n <= shape.eudcs; ++n) {
            std::string name = "E" + std::to_string(n);
            eudcs += "Font" + std::to_string(n) + "=" + name + "\n";
            eudcFiles += Item(name) + name + " FontName=Base\n" + name + " AFiles=1\n" + name + " AFontName1=Base\n" +
                         name + " Size=" + std::to_string(shape.eudcSize) + "\n";
        }
        std::string text = misc + miscFiles + tables + tableFiles + fonts + fontFiles + eudcs + eudcFiles;
        ASSERT_TRUE(vexatest::WriteTextFile(media_ + "\\VEXA95.INI", text, 950));
        ASSERT_EQ(LoadInstallScript(), kScriptLoaded);
        InitInstallSession(g_installScript);
    }

    // Detail keys of an item with one piece "<name>.BIN" on the media.
    std::string Item(const std::string& name) {
        vexatest::WriteBytes(media_ + "\\" + name + ".BIN", "data of " + name);
        return name + " Files=1\n" + name + " File1=" + name + ".BIN\n" + name + " Disk1=Disk 1\n";
    }

    // Runs an install of list positions selected in any order: the list
    // reports them in ascending order.
    void Run(std::vector<int> positions) {
        std::sort(positions.begin(), positions.end());
        RunInstall(owner_, positions.data(), static_cast<int>(positions.size()));
    }

    // The pieces copied, in order (status 153 carries the file name).
    std::vector<std::string> Copied() const {
        std::vector<std::string> names;
        for (const UiEvent& e : ui_.Of(UiEvent::Status))
            if (e.id == 153) names.push_back(e.arg1);
        return names;
    }
    // The prompts of the destination dialogs, as UTF-8, with the preset.
    std::vector<std::string> Dialogs() const {
        std::vector<std::string> asked;
        for (const UiEvent& e : ui_.Of(UiEvent::AskDestination))
            asked.push_back(vexatest::ToUtf8(e.arg1, 950) + "|" + e.arg2);
        return asked;
    }
    bool Completed() const {
        for (int id : ui_.WarningIds())
            if (id == 155) return true;
        return false;
    }

    ScratchDir dir_;
    RegistryRedirect registry_;
    ScriptedUi ui_;
    std::string media_, target_;
    HWND owner_ = nullptr;
};

const std::string kFontPrompt = "請你輸入HalvexSorvel字形目的目錄：";
const std::string kEudcPrompt = "請你輸入外字集目的目錄：";

TEST_F(DriverTest, MiscAndTablesFirstThenSelectedFontsInListOrder) {
    Load({.misc = 2, .tables = 1, .fonts = 3});
    g_installSession.abortFlag = 1;  // left from an earlier run: a run starts afresh
    ui_.AnswerDestination(target_ + "\\fonts");
    Run({2, 0});
    EXPECT_EQ(Copied(), (std::vector<std::string>{"M1.BIN", "M2.BIN", "T1.BIN", "F1.BIN", "F3.BIN"}));
    EXPECT_EQ(Dialogs(), (std::vector<std::string>{kFontPrompt + "|" + g_installScript.fontsDir}));
    EXPECT_STREQ(g_installSession.registrationPrefix, (target_ + "\\fonts").c_str());
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\fonts\\F3.BIN"));
    EXPECT_FALSE(vexatest::FileExists(target_ + "\\fonts\\F2.BIN"));
    EXPECT_TRUE(Completed());
    // The status line is cleared before the completion message.
    ASSERT_GE(ui_.events.size(), 2u);
    EXPECT_EQ(ui_.events[ui_.events.size() - 2].kind, UiEvent::ClearStatus);
}

TEST_F(DriverTest, OnlyEudcItemsSelected) {
    Load({.fonts = 2, .eudcs = 2});
    const std::string installed = std::string(g_installScript.windowsDir) + "\\E2.BIN";
    vexatest::AtScopeExit cleanup([&] { DeleteFileA(installed.c_str()); });
    ui_.AnswerDestinationAsOffered();
    Run({3});
    EXPECT_EQ(Dialogs(), (std::vector<std::string>{kEudcPrompt + "|" + g_installScript.windowsDir}));
    EXPECT_EQ(Copied(), (std::vector<std::string>{"E2.BIN"}));
    // The Windows directory is not the fonts directory: full path registered.
    std::string data;
    ASSERT_TRUE(RegistryRedirect::GetValue(HKEY_CURRENT_USER, "EUDC\\950", "Base", &data));
    EXPECT_EQ(data, installed);
    EXPECT_TRUE(Completed());
}

TEST_F(DriverTest, CancellingTheFirstDialogKeepsMiscAndTables) {
    Load({.misc = 1, .tables = 1, .fonts = 1});
    ui_.CancelDestination();
    Run({0});
    EXPECT_EQ(Copied(), (std::vector<std::string>{"M1.BIN", "T1.BIN"}));
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\misc\\M1.BIN"));
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\tables\\T1.BIN"));
    EXPECT_FALSE(Completed());
    // The run ends at once: the status line is left alone after the dialog.
    EXPECT_EQ(ui_.events.back().kind, UiEvent::AskDestination);
}

TEST_F(DriverTest, CancellingTheSecondDialogKeepsTheFontsWithoutCompletion) {
    Load({.fonts = 1, .eudcs = 1});
    ui_.AnswerDestination(target_ + "\\fonts");
    ui_.CancelDestination();
    Run({0, 1});
    EXPECT_EQ(Dialogs().size(), 2u);
    EXPECT_EQ(Copied(), (std::vector<std::string>{"F1.BIN"}));
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\fonts\\F1.BIN"));
    EXPECT_FALSE(Completed());
}

TEST_F(DriverTest, ExitInTheFirstMiscItemStopsEveryItemButNotTheDialogs) {
    Load({.misc = 2, .tables = 1, .fonts = 1, .eudcs = 1});
    DeleteFileA((media_ + "\\M1.BIN").c_str());
    ui_.AnswerDiskExit();
    ui_.AnswerDestination(target_ + "\\fonts");
    ui_.AnswerDestination(target_ + "\\eudc");
    Run({0, 1});
    EXPECT_EQ(g_installSession.abortFlag, 1);
    EXPECT_TRUE(Copied().empty());
    EXPECT_EQ(Dialogs().size(), 2u);
    EXPECT_FALSE(vexatest::FileExists(target_ + "\\misc\\M1.BIN"));
    EXPECT_FALSE(Completed());
}

// Exit in a disk prompt stops the run, but what was installed before it is
// still reported as installed.
TEST_F(DriverTest, ExitAfterAnInstalledItemStillCompletes) {
    Load({.misc = 2, .tables = 1});
    DeleteFileA((media_ + "\\M2.BIN").c_str());
    ui_.AnswerDiskExit();
    Run({});
    EXPECT_EQ(Copied(), std::vector<std::string>{"M1.BIN"});
    EXPECT_TRUE(Completed());
}

// A second run without the disk in the drive: the Misc and Tbls items are
// tried again and fail, and what the first run installed stays as it was.
TEST_F(DriverTest, SecondRunWithoutTheDiskKeepsWhatTheFirstInstalled) {
    Load({.misc = 1, .tables = 1});
    Run({});
    ASSERT_TRUE(Completed());
    for (const char* piece : {"M1.BIN", "T1.BIN"}) DeleteFileA((media_ + "\\" + piece).c_str());
    ui_.events.clear();
    ui_.AnswerDiskCancel();
    ui_.AnswerDiskCancel();
    Run({});
    EXPECT_EQ(ui_.Of(UiEvent::DiskPrompt).size(), 2u);
    EXPECT_FALSE(Completed());
    for (const char* installed : {"misc\\M1.BIN", "tables\\T1.BIN"}) {
        std::string bytes;
        EXPECT_TRUE(vexatest::ReadBytes(target_ + "\\" + installed, &bytes)) << installed;
        EXPECT_EQ(bytes, "data of " + std::string(installed).substr(std::string(installed).find('\\') + 1, 2));
    }
}

// A whole run with Big5 directories whose last character ends in the byte
// 0x5C: the program's directory (and so the source directory), a script's
// " DstDir" and the confirmed font destination.
TEST_F(DriverTest, Big5DirectoriesEndingInTheBackslashByte) {
    media_ = dir_.MakeDir(vexatest::Big5("成功"));
    vexatest::UseProgramPath(media_ + "\\Tarsik.exe");
    Load({.misc = 1, .fonts = 1, .miscDir = "工具許"});
    const std::string fonts = target_ + "\\" + vexatest::Big5("字型蓋");
    ui_.AnswerDestination(fonts);
    Run({0});
    EXPECT_TRUE(ui_.Of(UiEvent::DiskPrompt).empty());
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\" + vexatest::Big5("工具許") + "\\M1.BIN"));
    EXPECT_TRUE(vexatest::FileExists(fonts + "\\F1.BIN"));
    EXPECT_EQ(RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, kFontsKey, "F1 (TrueType)"), fonts + "\\F1.BIN");
    EXPECT_TRUE(Completed());
}

TEST_F(DriverTest, FailedItemsGiveNoCompletionAndAnEmptyStatusLine) {
    Load({.fonts = 2});
    // Both fonts are already registered: each is refused with its own box.
    RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKey, "F1 (TrueType)", "F1.BIN");
    RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKey, "F2 (TrueType)", "F2.BIN");
    ui_.AnswerDestination(target_ + "\\fonts");
    Run({0, 1});
    EXPECT_EQ(ui_.Of(UiEvent::Box).size(), 2u);
    EXPECT_FALSE(Completed());
    EXPECT_EQ(ui_.events.back().kind, UiEvent::ClearStatus);
}

TEST_F(DriverTest, EverySelectedEntryIsInstalled) {
    // 60 pieces is all a script may have, so 60 entries is the most a list
    // can offer with every one selected.
    Load({.fonts = 40, .eudcs = 20});
    ui_.AnswerDestination(target_ + "\\fonts");
    ui_.AnswerDestination(target_ + "\\eudc");
    std::vector<int> all;
    for (int p = 0; p < 60; ++p) all.push_back(p);
    Run(all);
    EXPECT_EQ(Copied().size(), 60u);
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\fonts\\F40.BIN"));
    EXPECT_TRUE(vexatest::FileExists(target_ + "\\eudc\\E20.BIN"));
}

struct SpaceCase {
    const char* what;
    DWORD freeKilobytes;
    int fontSize;
    bool passes;
    const char* text;  // the space box's text (UTF-8) when it does not pass
};

class DriverSpaceTest : public DriverTest, public ::testing::WithParamInterface<SpaceCase> {};

// Two of three fonts selected: only their sizes count.
TEST_P(DriverSpaceTest, ChecksTheSumOfTheSelectedSizes) {
    const SpaceCase& c = GetParam();
    g_freeKilobytes = c.freeKilobytes;
    SetFreeSpaceSource(SmallDisk);
    Load({.fonts = 3, .fontSize = c.fontSize});
    ui_.AnswerDestination(target_ + "\\fonts");
    Run({0, 1});
    auto boxes = ui_.Of(UiEvent::SpaceBox);
    if (c.passes) {
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(Copied().size(), 2u);
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(vexatest::ToUtf8(boxes[0].arg1, 950), c.text);
        EXPECT_TRUE(Copied().empty());
        EXPECT_FALSE(Completed());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Driver, DriverSpaceTest,
    ::testing::Values(SpaceCase{"need equal to free", 1000, 500, true, ""},
                      SpaceCase{"2 GB free whatever the need", 2097152, 1500000, true, ""},
                      SpaceCase{"just under 2 GB", 2097151, 1500000, false,
                                "所需磁碟空間: 2929.7M\n 大於尚餘磁碟空間: 2047M"},
                      SpaceCase{"kilobytes", 900, 500, false, "所需磁碟空間: 1.0M\n 大於尚餘磁碟空間: 900K"},
                      SpaceCase{"megabytes", 5000, 3000, false, "所需磁碟空間: 5.9M\n 大於尚餘磁碟空間: 4M"}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

// The destination directory itself is asked: a folder may be a smaller
// drive mounted into the one its path begins with.
TEST_F(DriverTest, SpaceCheckAsksTheDestinationItself) {
    vexatest::AtScopeExit cleanup([] { DeleteFileA("C:\\F1.BIN"); });
    g_freeKilobytes = 1u << 30;
    SetFreeSpaceSource(SmallDisk);
    Load({.fonts = 1});
    ui_.AnswerDestination("C:\\");
    Run({0});
    EXPECT_EQ(g_askedDirs, std::vector<std::string>{"C:\\"});
    EXPECT_STREQ(g_installSession.registrationPrefix, "C:\\");
}

// The TTEs items' sizes are checked against their own destination (on
// drive R: of the test run), not the fonts' one.
TEST_F(DriverTest, EudcSpaceIsCheckedOnTheirOwnDestination) {
    g_freeKilobytes = 1000;
    SetFreeSpaceSource(SmallDisk);
    Load({.fonts = 1, .eudcs = 2, .fontSize = 10, .eudcSize = 600});
    ui_.AnswerDestination(target_ + "\\fonts");
    ui_.AnswerDestination("R:\\eudc");
    Run({0, 1, 2});
    EXPECT_EQ(g_askedDirs, (std::vector<std::string>{target_ + "\\fonts\\", "R:\\eudc\\"}));
    auto boxes = ui_.Of(UiEvent::SpaceBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(vexatest::ToUtf8(boxes[0].arg1, 950), "所需磁碟空間: 1.2M\n 大於尚餘磁碟空間: 1000K");
    EXPECT_EQ(Copied(), std::vector<std::string>{"F1.BIN"});
}

TEST_F(DriverTest, UnknownFreeSpacePasses) {
    SetFreeSpaceSource(UnknownDisk);
    Load({.fonts = 1, .fontSize = 2000000000});
    ui_.AnswerDestination(target_ + "\\fonts");
    Run({0});
    EXPECT_TRUE(ui_.Of(UiEvent::SpaceBox).empty());
    EXPECT_TRUE(Completed());
}

struct SpaceTextCase {
    long long need, free;
    const char* text;
};

class SpaceTextTest : public ::testing::TestWithParam<SpaceTextCase> {};

TEST_P(SpaceTextTest, RoundsTheNeedToTenthsOfMegabytes) {
    char text[256];
    FormatSpaceText(text, sizeof text, GetParam().need, GetParam().free);
    EXPECT_EQ(vexatest::ToUtf8(text, 950), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Driver, SpaceTextTest,
                         ::testing::Values(SpaceTextCase{1536, 100, "所需磁碟空間: 1.5M\n 大於尚餘磁碟空間: 100K"},
                                           SpaceTextCase{2047, 1023, "所需磁碟空間: 2.0M\n 大於尚餘磁碟空間: 1023K"},
                                           SpaceTextCase{1076, 1024, "所需磁碟空間: 1.1M\n 大於尚餘磁碟空間: 1M"},
                                           SpaceTextCase{3000000, 2097151,
                                                         "所需磁碟空間: 2929.7M\n 大於尚餘磁碟空間: 2047M"}));

}  // namespace
