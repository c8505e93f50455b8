// Installing "TTEs" items: the EUDC file, its links under HKCU "EUDC\950"
// (redirected), the switch of EUDC support around them, and the refusals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "eudc_support.h"
#include "font_checks.h"
#include "font_registry.h"
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
constexpr char kEudcKey[] = "EUDC\\950";
const std::string kEudcBytes = "an end-user character font";

std::string EudcValue(const char* name, DWORD* type = nullptr) {
    return RegistryRedirect::ValueOrMissing(HKEY_CURRENT_USER, kEudcKey, name, type);
}

std::vector<std::string> BoxTexts(const vexatest::ScriptedUi& ui) {
    std::vector<std::string> texts;
    for (const UiEvent& e : ui.Of(UiEvent::Box)) texts.push_back(e.arg1);
    return texts;
}

class EudcItemTest : public testing::Test {
protected:
    void SetUp() override {
        media = scratch.MakeDir("media");
        ASSERT_TRUE(vexatest::WriteBytes(media + "\\SANSEUDC.TTE", kEudcBytes));
        vexatest::ResetScript(media);
        std::snprintf(g_installScript.fontsDir, sizeof g_installScript.fontsDir, "%s\\FONTS", scratch.path().c_str());
        CreateDirectoryA(g_installScript.fontsDir, nullptr);
        ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKeyPath, kFontName, "SANS.TTF"));
    }
    void TearDown() override { SetEudcLibrary(nullptr); }

    void AddItem(const char* piece = "SANSEUDC.TTE", int compressed = 0) {
        vexatest::AddEudcItem("Sans EUDC", vexatest::AddGroup({piece}, compressed), kFontName,
                              {"Sans Book", "Sans Bold", "Sans Mono"});
    }

    vexatest::ScratchDir scratch;
    std::string media;
    vexatest::RegistryRedirect redirect;
    vexatest::ScriptedUi ui;
    vexatest::WindowsFamily family{vexatest::Windows95};
};

// Every link name gets the same data: the full path for a directory other
// than the system fonts directory, the bare file name for that directory. An
// existing key keeps its other values; a link of the same name is replaced.
TEST_F(EudcItemTest, LinksEveryTypefaceToTheInstalledFile) {
    struct Case {
        const char* what;
        std::string destination;
        std::string expectedData;
    } cases[] = {
        {"another directory", scratch / "WINDOWS", scratch / "WINDOWS\\SANSEUDC.TTE"},
        {"system fonts directory", scratch / "FONTS", "SANSEUDC.TTE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vexatest::RegistryRedirect fresh;
        ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKeyPath, kFontName, "SANS.TTF"));
        ASSERT_TRUE(RegistryRedirect::SetString(HKEY_CURRENT_USER, kEudcKey, "SystemDefaultEUDCFont", "EUDC.TTE"));
        ASSERT_TRUE(RegistryRedirect::SetString(HKEY_CURRENT_USER, kEudcKey, "Sans Bold", "OLD.TTE"));
        vexatest::ResetScript(media);
        std::snprintf(g_installScript.fontsDir, sizeof g_installScript.fontsDir, "%s\\FONTS", scratch.path().c_str());
        AddItem();
        vexatest::ChooseDestination(c.destination);
        ui.events.clear();
        vexatest::FontChangeCounter broadcasts;

        EXPECT_EQ(InstallEudcItem(nullptr, 0), 1);

        std::string bytes;
        EXPECT_TRUE(vexatest::ReadBytes(c.destination + "\\SANSEUDC.TTE", &bytes));
        EXPECT_EQ(bytes, kEudcBytes);
        for (const char* link : {"Sans Book", "Sans Bold", "Sans Mono"}) {
            DWORD type = 0;
            EXPECT_EQ(EudcValue(link, &type), c.expectedData) << link;
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << link;
        }
        EXPECT_EQ(EudcValue("SystemDefaultEUDCFont"), "EUDC.TTE");
        EXPECT_EQ(broadcasts.count(), 1);
        EXPECT_THAT(BoxTexts(ui), IsEmpty());  // Wine's gdi32 has EnableEUDC
        EXPECT_THAT(ui.WarningIds(), IsEmpty());
        auto statuses = ui.Of(UiEvent::Status);
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.back().id, 157);
        EXPECT_EQ(statuses.back().arg1, "Sans EUDC");
    }
}

// Refused, with nothing copied, until the TrueType font it belongs to is
// recorded; once the font item has been installed, it is accepted.
TEST_F(EudcItemTest, RefusedUntilItsFontIsInstalled) {
    ASSERT_TRUE(RegistryRedirect::DeleteValue(HKEY_LOCAL_MACHINE, kFontsKeyPath, kFontName));
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\SANS.TTF", vexatest::DataBytes("SANS.TTF")));
    vexatest::AddFontItem("Sans Book", vexatest::AddGroup({"SANS.TTF"}), kFontName);
    AddItem();
    vexatest::ChooseDestination(scratch / "WINDOWS");

    EXPECT_EQ(InstallEudcItem(nullptr, 0), 0);

    EXPECT_THAT(BoxTexts(ui), ElementsAre("Sans EUDC" + Big5(" 所對應的字形沒有安裝，請先安裝Sorvel字形!")));
    EXPECT_FALSE(vexatest::FileExists(scratch / "WINDOWS\\SANSEUDC.TTE"));
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_CURRENT_USER, kEudcKey));

    ui.events.clear();
    vexatest::ChooseDestination(scratch / "MYFONTS");
    vexatest::AtScopeExit cleanup([&] { RemoveFontResourceA((scratch / "MYFONTS\\SANS.TTF").c_str()); });
    ASSERT_EQ(InstallFontItem(nullptr, 0), 1);
    vexatest::ChooseDestination(scratch / "WINDOWS");
    EXPECT_EQ(InstallEudcItem(nullptr, 0), 1);
    EXPECT_THAT(BoxTexts(ui), IsEmpty());
    EXPECT_EQ(EudcValue("Sans Mono"), scratch / "WINDOWS\\SANSEUDC.TTE");
}

TEST_F(EudcItemTest, FontsKeyThatCannotBeOpenedDoesNotStopTheItem) {
    ASSERT_TRUE(RegistryRedirect::DeleteKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));
    AddItem();
    vexatest::ChooseDestination(scratch / "WINDOWS");

    EXPECT_EQ(InstallEudcItem(nullptr, 0), 1);
    EXPECT_EQ(EudcValue("Sans Book"), scratch / "WINDOWS\\SANSEUDC.TTE");
}

// Without EnableEUDC the item still installs; the box comes once when EUDC
// support is switched off and once when it is switched on.
TEST_F(EudcItemTest, SystemWithoutEnableEudcShowsTheBoxTwiceAndGoesOn) {
    struct Case {
        const char* library;
        const char* box;
    } cases[] = {{"KERNEL32.DLL", "GetProcAddress Failed"}, {"NOSUCHGDI.DLL", "LoadLibrary Failed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.library);
        vexatest::ResetScript(media);
        AddItem();
        vexatest::ChooseDestination(scratch / "WINDOWS");
        SetEudcLibrary(c.library);
        ui.events.clear();

        EXPECT_EQ(InstallEudcItem(nullptr, 0), 1);

        EXPECT_THAT(BoxTexts(ui), ElementsAre(c.box, c.box));
        EXPECT_EQ(EudcValue("Sans Book"), scratch / "WINDOWS\\SANSEUDC.TTE");
    }
}

TEST_F(EudcItemTest, DestinationThatCannotBeCreatedGetsItsOwnBox) {
    AddItem();
    vexatest::ChooseDestination(scratch / "no\\such");

    EXPECT_EQ(InstallEudcItem(nullptr, 0), 0);

    EXPECT_THAT(BoxTexts(ui), ElementsAre(Big5("無法建立外字檔") + "SANSEUDC.TTE" +
                                          Big5("可能系統正在使用中,請啟動Windows,從新安裝Sorvel字形!")));
    EXPECT_THAT(ui.WarningIds(), IsEmpty());
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_CURRENT_USER, kEudcKey));
}

// A destination path that does not fit is refused like one that cannot be
// created; the box names the long file and is cut to at most 255 bytes.
TEST_F(EudcItemTest, OverlongDestinationGetsTheBoxCutToItsCapacity) {
    // With the scratch directory in front, the path needs more than 259.
    const std::string longName = std::string(230, 'E') + ".TTE";
    vexatest::AddEudcItem("Sans EUDC", vexatest::AddGroup({longName.c_str()}), kFontName, {"Sans Book"});
    vexatest::ChooseDestination(scratch / "WINDOWS");

    EXPECT_EQ(InstallEudcItem(nullptr, 0), 0);

    auto boxes = BoxTexts(ui);
    ASSERT_EQ(boxes.size(), 1u);
    const std::string full =
        Big5("無法建立外字檔") + longName + Big5("可能系統正在使用中,請啟動Windows,從新安裝Sorvel字形!");
    // 7 + 234 + 3 characters take 14 + 234 + 6 bytes: byte 255 would be the
    // first half of the next Big5 character, so the cut comes before it.
    EXPECT_EQ(boxes[0], full.substr(0, 254));
    EXPECT_FALSE(vexatest::FileExists(scratch / "WINDOWS"));
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_CURRENT_USER, kEudcKey));
}

TEST_F(EudcItemTest, DamagedCompressedFileNamesBothFiles) {
    std::string damaged = vexatest::DataBytes("SANS.TT_");
    damaged[8] = 'B';  // an unknown compression method
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\BAD.TT_", damaged));
    AddItem("BAD.TT_", 1);
    const std::string dest = scratch.MakeDir("WINDOWS");
    vexatest::ChooseDestination(dest);

    EXPECT_EQ(InstallEudcItem(nullptr, 0), 0);

    EXPECT_THAT(BoxTexts(ui), ElementsAre("Can't copy file [" + media + "\\BAD.TT_] to [" + dest + "\\BAD.TT_]"));
    EXPECT_FALSE(vexatest::FileExists(dest + "\\BAD.TT_"));
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_CURRENT_USER, kEudcKey));
}

// The registry refuses a non-volatile "950" below a volatile "EUDC": the
// copied file stays, and EUDC support is switched on again after the box.
TEST_F(EudcItemTest, KeyThatCannotBeCreatedFailsTheItemAndSwitchesEudcBackOn) {
    HKEY eudc = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "EUDC", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &eudc, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(eudc);
    AddItem();
    vexatest::ChooseDestination(scratch / "WINDOWS");
    SetEudcLibrary("KERNEL32.DLL");  // makes both switches visible as boxes
    vexatest::FontChangeCounter broadcasts;

    EXPECT_EQ(InstallEudcItem(nullptr, 0), 0);

    EXPECT_THAT(BoxTexts(ui),
                ElementsAre("GetProcAddress Failed", "Can't Create Key EUDC\\950", "GetProcAddress Failed"));
    EXPECT_TRUE(vexatest::FileExists(scratch / "WINDOWS\\SANSEUDC.TTE"));
    EXPECT_EQ(broadcasts.count(), 0);
}

}  // namespace
