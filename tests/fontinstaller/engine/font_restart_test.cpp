// Fonts after a restart, as close to one as Wine allows: run_across_restart
// runs Install, stops the prefix's wineserver entirely, then runs
// AfterRestart in a new process of a new server, and CleanUp last. Both
// fonts lie outside the system fonts directory (Wine loads that directory
// at start-up whatever the registry says) and have faces of their own (Wine
// also sees the host's fonts). One is installed as this system (the NT
// family) installs it, the other as the Windows 95 family does, without the
// NT key's value: only the first may be there after the restart.
#include <gtest/gtest.h>

#include <string>

#include "font_checks.h"
#include "font_registry.h"
#include "item_installers.h"
#include "item_script.h"
#include "registry_redirect.h"
#include "scripted_ui.h"
#include "text_files.h"
#include "windows_family.h"

using namespace tarsik;

using vexatest::RegistryRedirect;

namespace {

// In the test's own prefix, away from the system fonts directory.
const std::string kDir = "C:\\VexaRestart";
const std::string kMedia = kDir + "\\media";
const std::string kFonts = kDir + "\\fonts";
constexpr char kKeptFace[] = "Tarsik Test";
constexpr char kKeptName[] = "Tarsik Test (TrueType)";
constexpr char kLostFace[] = "Sorvel Test";
constexpr char kLostName[] = "Sorvel Test (TrueType)";
// A volatile key lives only as long as the wineserver that holds it.
constexpr char kServerMark[] = "Software\\VexaTest\\RestartMark";

std::string Value(const char* key, const char* name) {
    return RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, key, name);
}

// Takes out what Install leaves in the prefix: both fonts' values under
// both keys, their files and directories.
void RemoveInstalledFonts() {
    for (const char* key : {kFontsKeyPath, kNtFontsKeyPath})
        for (const char* name : {kKeptName, kLostName}) RegistryRedirect::DeleteValue(HKEY_LOCAL_MACHINE, key, name);
    for (const std::string& dir : {kMedia, kFonts}) {
        for (const char* file : {"KEPT.TTF", "LOST.TTF"}) {
            RemoveFontResourceA((dir + "\\" + file).c_str());
            DeleteFileA((dir + "\\" + file).c_str());
        }
        RemoveDirectoryA(dir.c_str());
    }
    RemoveDirectoryA(kDir.c_str());
}

TEST(FontRestart, Install) {
    ASSERT_EQ(GetVersion() & 0x80000000u, 0u) << "Wine is set to the Windows 95 family";
    RemoveInstalledFonts();  // from an earlier run cut short
    ASSERT_TRUE(CreateDirectoryA(kDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(kMedia.c_str(), nullptr));
    const std::string sans = vexatest::DataBytes("SANS.TTF");
    ASSERT_TRUE(vexatest::WriteBytes(kMedia + "\\KEPT.TTF", vexatest::RenamedFace(sans, kKeptFace)));
    ASSERT_TRUE(vexatest::WriteBytes(kMedia + "\\LOST.TTF", vexatest::RenamedFace(sans, kLostFace)));
    ASSERT_FALSE(vexatest::FaceEnumerated(kKeptFace));
    ASSERT_FALSE(vexatest::FaceEnumerated(kLostFace));
    vexatest::ScriptedUi ui;
    vexatest::ResetScript(kMedia);
    vexatest::AddFontItem("Kept", vexatest::AddGroup({"KEPT.TTF"}), kKeptName);
    vexatest::AddFontItem("Lost", vexatest::AddGroup({"LOST.TTF"}), kLostName);
    vexatest::ChooseDestination(kFonts);

    ASSERT_EQ(InstallFontItem(nullptr, 0), 1);
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        // No Windows 95 runs under WOW64, and the view such a system's
        // installer writes in is not the one this system starts from: the
        // font is recorded as it records it, under the older key alone.
        ASSERT_EQ(InstallFontItem(nullptr, 1), 1);
        ASSERT_TRUE(RegistryRedirect::DeleteValue(HKEY_LOCAL_MACHINE, kNtFontsKeyPath, kLostName));
    } else {
        vexatest::WindowsFamily family(vexatest::Windows95);
        ASSERT_EQ(InstallFontItem(nullptr, 1), 1);
    }

    // Until the restart both are there, as the running system sees them.
    EXPECT_TRUE(vexatest::FaceAvailable(kKeptFace));
    EXPECT_TRUE(vexatest::FaceAvailable(kLostFace));
    EXPECT_EQ(Value(kNtFontsKeyPath, kKeptName), kFonts + "\\KEPT.TTF");
    EXPECT_EQ(Value(kFontsKeyPath, kKeptName), kFonts + "\\KEPT.TTF");
    EXPECT_EQ(Value(kNtFontsKeyPath, kLostName), "<missing>");
    EXPECT_EQ(Value(kFontsKeyPath, kLostName), kFonts + "\\LOST.TTF");
    HKEY mark = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kServerMark, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &mark, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(mark);
}

TEST(FontRestart, AfterRestart) {
    ASSERT_FALSE(RegistryRedirect::KeyExists(HKEY_CURRENT_USER, kServerMark)) << "the wineserver did not stop";
    ASSERT_TRUE(vexatest::FileExists(kFonts + "\\KEPT.TTF") && vexatest::FileExists(kFonts + "\\LOST.TTF"));

    EXPECT_TRUE(vexatest::FaceAvailable(kKeptFace));
    EXPECT_EQ(Value(kNtFontsKeyPath, kKeptName), kFonts + "\\KEPT.TTF");
    // Recorded under the Windows 95 family's key alone, the font is gone.
    EXPECT_FALSE(vexatest::FaceEnumerated(kLostFace));
    EXPECT_EQ(Value(kFontsKeyPath, kLostName), kFonts + "\\LOST.TTF");
}

TEST(FontRestart, CleanUp) {
    RemoveInstalledFonts();
    for (const char* key : {kFontsKeyPath, kNtFontsKeyPath})
        for (const char* name : {kKeptName, kLostName}) EXPECT_EQ(Value(key, name), "<missing>") << key;
    EXPECT_FALSE(vexatest::FileExists(kFonts + "\\KEPT.TTF"));
}

}  // namespace
