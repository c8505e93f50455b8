// Installing "Fonts" items: the file, the Fonts key (redirected), the font
// table as GDI sees it, the broadcast, and every refusal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "font_checks.h"
#include "font_registry.h"
#include "import_hook.h"
#include "item_installers.h"
#include "item_script.h"
#include "registry_redirect.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "text_files.h"
#include "windows_family.h"

using namespace tarsik;

using testing::ElementsAre;
using testing::IsEmpty;
using vexatest::Big5;
using vexatest::RegistryRedirect;
using vexatest::UiEvent;

namespace {

constexpr char kFontName[] = "Sans Book (TrueType)";

std::string FontsValue(const char* name, DWORD* type = nullptr) {
    return RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, kFontsKeyPath, name, type);
}

class FontItemTest : public testing::Test {
protected:
    void SetUp() override {
        media = scratch.MakeDir("media");
        for (const char* name : {"SANS.TTF", "SANS.TT_"})
            ASSERT_TRUE(vexatest::WriteBytes(media + "\\" + name, vexatest::DataBytes(name)));
        vexatest::ResetScript(media);
        ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));
    }

    std::string AlreadyThereBox() const { return "Sans Book" + Big5("已存在,若要安裝新版,請先刪除舊版!"); }

    vexatest::ScratchDir scratch;
    std::string media;
    vexatest::RegistryRedirect redirect;
    vexatest::ScriptedUi ui;
    vexatest::WindowsFamily family{vexatest::Windows95};
};

// The value's data is the bare file name for the system fonts directory
// (in any letter case, with or without a trailing backslash) and the full
// path anywhere else; the file is named after the first piece.
TEST_F(FontItemTest, InstallsAndRecordsTheFontByNameOrByPath) {
    struct Case {
        const char* what;
        const char* piece;
        int compressed;
        const char* destination;  // below the scratch directory
        const char* installedAs;  // below the scratch directory
        bool bareName;
    } cases[] = {
        {"system fonts directory", "SANS.TTF", 0, "fonts\\", "FONTS\\SANS.TTF", true},
        {"another directory", "SANS.TTF", 0, "MYFONTS", "MYFONTS\\SANS.TTF", false},
        {"compressed, another directory", "SANS.TT_", 1, "MYFONTS", "MYFONTS\\SANS.TT_", false},
    };
    const std::string plain = vexatest::DataBytes("SANS.TTF");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vexatest::RegistryRedirect fresh;
        ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));
        vexatest::ResetScript(media);
        std::snprintf(g_installScript.fontsDir, sizeof g_installScript.fontsDir, "%s\\FONTS", scratch.path().c_str());
        CreateDirectoryA(g_installScript.fontsDir, nullptr);
        vexatest::AddFontItem("Sans Book", vexatest::AddGroup({c.piece}, c.compressed), kFontName);
        vexatest::ChooseDestination(scratch / c.destination);
        ui.events.clear();
        vexatest::FontChangeCounter broadcasts;

        EXPECT_EQ(InstallFontItem(nullptr, 0), 1);

        std::string installed = scratch / c.installedAs;
        std::string bytes;
        ASSERT_TRUE(vexatest::ReadBytes(installed, &bytes));
        EXPECT_TRUE(bytes == plain) << "installed file differs from DejaVuSans.ttf";
        DWORD type = 0;
        EXPECT_EQ(FontsValue(kFontName, &type), c.bareName ? std::string(c.piece) : installed);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(broadcasts.count(), 1);
        EXPECT_THAT(ui.WarningIds(), IsEmpty());
        EXPECT_THAT(ui.Of(UiEvent::Box), IsEmpty());
        auto statuses = ui.Of(UiEvent::Status);
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.back().id, 157);
        EXPECT_EQ(statuses.back().arg1, "Sans Book");
    }
}

// Before anything is copied, and before any other check: a font already
// recorded, or a Fonts key that cannot be opened, refuses the item and
// leaves an existing file alone.
TEST_F(FontItemTest, RefusesARecordedFontWithoutTouchingItsFile) {
    struct Case {
        const char* what;
        bool deleteKey;
        bool overlongDestination;
    } cases[] = {{"value of that name exists", false, false},
                 {"Fonts key missing", true, false},
                 {"value exists, destination too long", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vexatest::RegistryRedirect fresh;
        if (!c.deleteKey) {
            ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKeyPath, kFontName, "SANS.TTF"));
        }
        vexatest::AddFontItem("Sans Book", vexatest::AddGroup({"SANS.TTF"}), kFontName);
        const std::string dest = scratch.MakeDir(c.what);
        ASSERT_TRUE(vexatest::WriteBytes(dest + "\\SANS.TTF", "old version"));
        vexatest::ChooseDestination(c.overlongDestination ? dest + "\\" + std::string(250, 'd') : dest);
        ui.events.clear();
        vexatest::FontChangeCounter broadcasts;

        EXPECT_EQ(InstallFontItem(nullptr, g_installScript.fontItemCount - 1), 0);

        std::string bytes;
        ASSERT_TRUE(vexatest::ReadBytes(dest + "\\SANS.TTF", &bytes));
        EXPECT_EQ(bytes, "old version");
        ASSERT_EQ(ui.events.size(), 1u);
        EXPECT_EQ(ui.events[0].kind, UiEvent::Box);
        EXPECT_EQ(ui.events[0].arg1, AlreadyThereBox());
        EXPECT_EQ(broadcasts.count(), 0);
    }
}

// An install stopped between its two writes leaves the font under one
// Fonts key: the next one writes the other key with the same data, without
// copying anything, and counts the font installed. A font under both keys,
// or one whose file is gone, is still refused.
TEST_F(FontItemTest, FontUnderOneKeyOnlyIsCompletedNotRefused) {
    const struct Case {
        const char* what;
        const char* holding;  // the key that holds the font; nullptr: both
        bool fileThere;
        int result;
    } cases[] = {{"older key only", kFontsKeyPath, true, 1},
                 {"NT key only", kNtFontsKeyPath, true, 1},
                 {"older key only, file gone", kFontsKeyPath, false, 0},
                 {"both keys", nullptr, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vexatest::RegistryRedirect fresh;
        vexatest::WindowsFamily nt(vexatest::WindowsNt);
        const std::string dest = scratch.MakeDir(c.what);
        const std::string file = dest + "\\SANS.TTF";
        if (c.fileThere) {
            ASSERT_TRUE(vexatest::WriteBytes(file, "installed before"));
        }
        for (const char* key : {kFontsKeyPath, kNtFontsKeyPath}) {
            ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, key));
            if (!c.holding || c.holding == key) {
                ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, key, kFontName, file));
            }
        }
        vexatest::AddFontItem("Sans Book", vexatest::AddGroup({"SANS.TTF"}), kFontName);
        vexatest::ChooseDestination(dest);
        ui.events.clear();
        vexatest::FontChangeCounter broadcasts;

        EXPECT_EQ(InstallFontItem(nullptr, g_installScript.fontItemCount - 1), c.result);

        const bool completed = c.result == 1 || !c.holding;
        for (const char* key : {kFontsKeyPath, kNtFontsKeyPath}) {
            EXPECT_EQ(RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, key, kFontName),
                      completed || c.holding == key ? file : "<missing>")
                << key;
        }
        std::string bytes = "<none>";
        vexatest::ReadBytes(file, &bytes);
        EXPECT_EQ(bytes, c.fileThere ? "installed before" : "<none>");  // nothing copied
        EXPECT_EQ(broadcasts.count(), c.result);
        if (c.result == 1) {
            EXPECT_THAT(ui.events, IsEmpty());
        } else {
            ASSERT_EQ(ui.Of(UiEvent::Box).size(), 1u);
            EXPECT_EQ(ui.Of(UiEvent::Box)[0].arg1, AlreadyThereBox());
        }
        if (c.result == 1) RemoveFontResourceA(file.c_str());
    }
}

// The value appears while the engine waits for a disk: the copied file stays,
// the item fails with "已存在", and the other program's value is kept.
TEST_F(FontItemTest, ValueRecordedMeanwhileFailsTheItemButKeepsTheFile) {
    const std::string disk2 = scratch.MakeDir("disk2");
    ASSERT_TRUE(vexatest::WriteBytes(disk2 + "\\LATE.TTF", vexatest::DataBytes("SANS.TTF")));
    vexatest::AddFontItem("Sans Book", vexatest::AddGroup({"LATE.TTF"}), kFontName);
    vexatest::ChooseDestination(scratch / "MYFONTS");
    ui.AnswerDiskWithDirectory(disk2);
    ui.onDiskPrompt = [](const SourcePiece&) {
        RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKeyPath, kFontName, "OTHER.TTF");
    };
    vexatest::FontChangeCounter broadcasts;

    EXPECT_EQ(InstallFontItem(nullptr, 0), 0);

    EXPECT_TRUE(vexatest::FileExists(scratch / "MYFONTS\\LATE.TTF"));
    EXPECT_EQ(FontsValue(kFontName), "OTHER.TTF");
    auto boxes = ui.Of(UiEvent::Box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].arg1, "Sans Book" + Big5("已存在"));
    EXPECT_EQ(broadcasts.count(), 0);
}

TEST_F(FontItemTest, DestinationThatCannotBeCreatedGivesWarning12) {
    vexatest::AddFontItem("Sans Book", vexatest::AddGroup({"SANS.TTF"}), kFontName);
    // The transfer creates one directory level only.
    const std::string dest = scratch / "no\\such";
    vexatest::ChooseDestination(dest);

    EXPECT_EQ(InstallFontItem(nullptr, 0), 0);

    auto warnings = ui.Of(UiEvent::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].id, 12);
    EXPECT_EQ(warnings[0].arg1, dest + "\\SANS.TTF");
    EXPECT_EQ(FontsValue(kFontName), "<missing>");
}

// A compressed font that does not expand says why (LZ32 error as warning
// 92-99), leaves no file and records nothing.
TEST_F(FontItemTest, DamagedCompressedFontReportsTheExpansionError) {
    std::string damaged = vexatest::DataBytes("SANS.TT_");
    damaged[8] = 'B';  // an unknown compression method
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\BAD.TT_", damaged));
    vexatest::AddFontItem("Sans Book", vexatest::AddGroup({"BAD.TT_"}, 1), kFontName);
    vexatest::ChooseDestination(scratch / "MYFONTS");

    EXPECT_EQ(InstallFontItem(nullptr, 0), 0);

    EXPECT_THAT(ui.WarningIds(), ElementsAre(92));
    EXPECT_FALSE(vexatest::FileExists(scratch / "MYFONTS\\BAD.TT_"));
    EXPECT_EQ(FontsValue(kFontName), "<missing>");
}

// A destination path that does not fit is refused before anything is copied
// or recorded: a cut path would record a file that is not there.
TEST_F(FontItemTest, OverlongDestinationIsRefusedWhole) {
    vexatest::AddFontItem("Sans Book", vexatest::AddGroup({"SANS.TTF"}), kFontName);
    std::string longDir = scratch.path() + "\\" + std::string(250 - scratch.path().size(), 'd');
    vexatest::ChooseDestination(longDir);
    ASSERT_EQ(g_installSession.registrationPrefix, longDir);

    EXPECT_EQ(InstallFontItem(nullptr, 0), 0);

    EXPECT_THAT(ui.WarningIds(), ElementsAre(12));
    EXPECT_EQ(FontsValue(kFontName), "<missing>");
}

// The font reaches the system's font table: after the install GDI offers a
// face that no other font on the machine has, and the file can be taken out
// of the table again (it was in it).
TEST_F(FontItemTest, InstalledFontIsOfferedByGdi) {
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\TARSIK.TTF", vexatest::RenamedFace(vexatest::DataBytes("SANS.TTF"))));
    ASSERT_FALSE(vexatest::FaceAvailable(vexatest::kTestFace));
    vexatest::AddFontItem("Tarsik Test", vexatest::AddGroup({"TARSIK.TTF"}), "Tarsik Test (TrueType)");
    vexatest::ChooseDestination(scratch / "MYFONTS");
    const std::string installed = scratch / "MYFONTS\\TARSIK.TTF";
    bool removed = false;
    vexatest::AtScopeExit cleanup([&] {
        if (!removed) RemoveFontResourceA(installed.c_str());
    });

    ASSERT_EQ(InstallFontItem(nullptr, 0), 1);

    EXPECT_TRUE(vexatest::FaceAvailable(vexatest::kTestFace));
    EXPECT_EQ(FontsValue("Tarsik Test (TrueType)"), installed);
    removed = RemoveFontResourceA(installed.c_str());
    EXPECT_TRUE(removed);
    EXPECT_FALSE(vexatest::FaceAvailable(vexatest::kTestFace));
}

// Between the Fonts keys' opening and the writes of the values the installer
// adds the font to the font table. Wrapped here, that call also deletes a
// key, as another program might: the real write then fails. The user is
// told which key, and the font is taken out of the table again, with a value
// already written under the other key.
using AddFontProc = int(WINAPI*)(LPCSTR);
AddFontProc g_realAddFont = nullptr;
int g_fontsAdded = 0;
const char* g_keyToDelete = nullptr;
int WINAPI AddFontAndDeleteTheKey(LPCSTR file) {
    g_fontsAdded = g_realAddFont(file);
    vexatest::RegistryRedirect::DeleteKey(HKEY_LOCAL_MACHINE, g_keyToDelete);
    return g_fontsAdded;
}

TEST_F(FontItemTest, ValueThatCannotBeWrittenTakesTheFontOutAgain) {
    struct Case {
        const char* what;
        VersionSource family;
        const char* deletedKey;
    } cases[] = {{"Windows 95 family", vexatest::Windows95, kFontsKeyPath},
                 {"NT family, the NT key", vexatest::WindowsNt, kNtFontsKeyPath}};
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\TARSIK.TTF", vexatest::RenamedFace(vexatest::DataBytes("SANS.TTF"))));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vexatest::RegistryRedirect fresh;
        ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));
        vexatest::WindowsFamily family(c.family);
        vexatest::ResetScript(media);
        vexatest::AddFontItem("Tarsik Test", vexatest::AddGroup({"TARSIK.TTF"}), "Tarsik Test (TrueType)");
        const std::string dest = scratch.MakeDir(c.what);
        vexatest::ChooseDestination(dest);
        const std::string installed = dest + "\\TARSIK.TTF";
        vexatest::AtScopeExit cleanup([&] { RemoveFontResourceA(installed.c_str()); });
        vexatest::FontChangeCounter broadcasts;
        ui.events.clear();
        g_keyToDelete = c.deletedKey;
        int result = -1;
        {
            vexatest::ImportHook hook("GDI32.dll", "AddFontResourceA", reinterpret_cast<void*>(AddFontAndDeleteTheKey));
            ASSERT_TRUE(hook.installed());
            g_realAddFont = reinterpret_cast<AddFontProc>(hook.original());
            result = InstallFontItem(nullptr, 0);
        }

        EXPECT_EQ(result, 0);
        EXPECT_GT(g_fontsAdded, 0);  // it was in the table
        EXPECT_FALSE(vexatest::FaceAvailable(vexatest::kTestFace));
        EXPECT_THAT(ui.Of(UiEvent::Box), testing::ElementsAre(testing::Field(
                                             &UiEvent::arg1, std::string("Can't write to key ") + c.deletedKey)));
        EXPECT_EQ(FontsValue("Tarsik Test (TrueType)"), "<missing>");
        EXPECT_EQ(broadcasts.count(), 0);
        EXPECT_TRUE(vexatest::FileExists(installed));
    }
}

// In the system fonts directory the font is added by its bare file name,
// which the system looks up in that directory.
TEST_F(FontItemTest, FontInTheSystemFontsDirectoryIsOfferedByGdi) {
    char fileName[32];
    std::snprintf(fileName, sizeof fileName, "TSK%lu.TTF", GetCurrentProcessId());
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\" + fileName, vexatest::RenamedFace(vexatest::DataBytes("SANS.TTF"))));
    ASSERT_FALSE(vexatest::FaceAvailable(vexatest::kTestFace));
    vexatest::AddFontItem("Tarsik Test", vexatest::AddGroup({fileName}), "Tarsik Test (TrueType)");
    vexatest::ChooseDestination(g_installScript.fontsDir);
    ASSERT_STREQ(g_installSession.registrationPrefix, "");
    const std::string installed = std::string(g_installScript.fontsDir) + "\\" + fileName;
    // The prefix's own fonts directory gets the file back as it was.
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            RemoveFontResourceA(path.c_str());
            DeleteFileA(path.c_str());
        }
    } cleanup{installed};

    EXPECT_EQ(InstallFontItem(nullptr, 0), 1);

    EXPECT_EQ(FontsValue("Tarsik Test (TrueType)"), fileName);
    EXPECT_TRUE(vexatest::FaceAvailable(vexatest::kTestFace));
}

}  // namespace
