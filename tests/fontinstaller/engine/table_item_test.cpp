// Installing "Tbls" items: the table file and the three input-method values
// under HKLM + the item's key (redirected).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "item_installers.h"
#include "item_script.h"
#include "registry_redirect.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "text_files.h"

using namespace tarsik;

using testing::ElementsAre;
using testing::IsEmpty;
using vexatest::RegistryRedirect;
using vexatest::UiEvent;

namespace {

constexpr char kKey[] = "Software\\Example\\Phonetic";
const std::string kTableBytes = "phonetic input table";

std::string Value(const char* path, const char* name, DWORD* type = nullptr) {
    return RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, path, name, type);
}

class TableItemTest : public testing::Test {
protected:
    void SetUp() override {
        media = scratch.MakeDir("media");
        ASSERT_TRUE(vexatest::WriteBytes(media + "\\PHON.TBL", kTableBytes));
        ASSERT_TRUE(vexatest::WriteBytes(media + "\\SANS.TT_", vexatest::DataBytes("SANS.TT_")));
        vexatest::ResetScript(media);
        dest = scratch / "SYSTEM";
    }

    void AddItem(const char* key = kKey, const char* piece = "PHON.TBL", int compressed = 0) {
        vexatest::AddTableItem("Phonetic Table", vexatest::AddGroup({piece}, compressed), dest, key, "Phonetic",
                               "PHON.KBD", "PHON.IME");
    }

    vexatest::ScratchDir scratch;
    std::string media;
    std::string dest;
    vexatest::RegistryRedirect redirect;
    vexatest::ScriptedUi ui;
};

// A missing key is created with its path; the three values carry the exact
// lower-case names; other values stay; a second run writes them again.
TEST_F(TableItemTest, CopiesTheTableAndWritesTheThreeValues) {
    ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kKey, "Other", "kept"));
    ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kKey, "layout text", "Old"));
    AddItem();
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(InstallTableItem(nullptr, 0), 1);

        std::string bytes;
        EXPECT_TRUE(vexatest::ReadBytes(dest + "\\PHON.TBL", &bytes));
        EXPECT_EQ(bytes, kTableBytes);
        struct {
            const char* name;
            const char* data;
        } expected[] = {{"IME file", "PHON.IME"}, {"layout text", "Phonetic"}, {"layout file", "PHON.KBD"}};
        for (const auto& e : expected) {
            DWORD type = 0;
            EXPECT_EQ(Value(kKey, e.name, &type), e.data) << e.name;
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << e.name;
        }
        EXPECT_EQ(Value(kKey, "Other"), "kept");
        EXPECT_THAT(ui.Of(UiEvent::Box), IsEmpty());
        EXPECT_THAT(ui.WarningIds(), IsEmpty());
    }
}

TEST_F(TableItemTest, CompressedTableIsExpanded) {
    AddItem(kKey, "SANS.TT_", 1);
    EXPECT_EQ(InstallTableItem(nullptr, 0), 1);
    std::string bytes;
    EXPECT_TRUE(vexatest::ReadBytes(dest + "\\SANS.TT_", &bytes));
    EXPECT_TRUE(bytes == vexatest::DataBytes("SANS.TTF"));
}

// The key cannot be had: a volatile parent refuses the non-volatile key, and
// an empty key path would put the values in the root of HKEY_LOCAL_MACHINE.
// The copied file stays; nothing is written.
TEST_F(TableItemTest, KeyThatCannotBeCreatedFailsTheItemAndKeepsTheFile) {
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    struct Case {
        const char* key;
        const char* box;
    } cases[] = {{"Volatile\\Phonetic", "Can't Create Key Volatile\\Phonetic"}, {"", "Can't Create Key "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        vexatest::ResetScript(media);
        AddItem(c.key);
        ui.events.clear();

        EXPECT_EQ(InstallTableItem(nullptr, 0), 0);

        auto boxes = ui.Of(UiEvent::Box);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].arg1, c.box);
        EXPECT_TRUE(vexatest::FileExists(dest + "\\PHON.TBL"));
        EXPECT_EQ(Value("", "IME file"), "<missing>");
        EXPECT_EQ(Value("Volatile\\Phonetic", "IME file"), "<missing>");
    }
}

TEST_F(TableItemTest, DestinationThatCannotBeCreatedIsReported) {
    dest = scratch / "no\\such";
    AddItem();

    EXPECT_EQ(InstallTableItem(nullptr, 0), 0);

    auto warnings = ui.Of(UiEvent::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].id, 12);
    EXPECT_EQ(warnings[0].arg1, dest + "\\PHON.TBL");
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_LOCAL_MACHINE, kKey));
}

TEST_F(TableItemTest, DamagedCompressedTableReportsTheExpansionError) {
    std::string damaged = vexatest::DataBytes("SANS.TT_");
    damaged[8] = 'B';
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\BAD.TB_", damaged));
    AddItem(kKey, "BAD.TB_", 1);

    EXPECT_EQ(InstallTableItem(nullptr, 0), 0);

    EXPECT_THAT(ui.WarningIds(), ElementsAre(92));
    EXPECT_FALSE(vexatest::FileExists(dest + "\\BAD.TB_"));
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_LOCAL_MACHINE, kKey));
}

}  // namespace
