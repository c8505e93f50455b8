// The sample disc's fonts installed from a CD-ROM drive: run_from_cdrom puts
// the files of the disc's image, read-only, in drive D: of type CD-ROM, and
// the installer's engine installs every font from there as a user would,
// typing D:\Fonts\DISK2 when the second piece is asked for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "ansi_text.h"
#include "font_registry.h"
#include "install_script.h"
#include "install_session.h"
#include "item_installers.h"
#include "registry_redirect.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "text_files.h"

using namespace tarsik;

using testing::IsEmpty;
using vexatest::RegistryRedirect;
using vexatest::UiEvent;

namespace {

TEST(CdromInstall, FontsInstallFromTheReadOnlyDisc) {
    ASSERT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_CDROM));
    for (const char* file : {"D:\\Fonts\\HVMONO.TTF", "D:\\Fonts\\DISK2\\HVHEI.TT2"})
        ASSERT_TRUE(GetFileAttributesA(file) & FILE_ATTRIBUTE_READONLY) << file;

    vexatest::ScratchDir dir;
    RegistryRedirect redirect;
    ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));
    vexatest::ScriptedUi ui;
    ASSERT_EQ(LoadInstallScript("D:\\Fonts\\Tarsik.exe"), kScriptLoaded);
    InitInstallSession(g_installScript);
    CopyText(g_installSession.chosenDir, sizeof g_installSession.chosenDir, dir.path().c_str());
    UpdateRegistrationPrefix(g_installScript);
    ui.AnswerDiskWithDirectory("D:\\Fonts\\DISK2");
    for (int i = 0; i < g_installScript.fontItemCount; ++i) EXPECT_EQ(InstallFontItem(nullptr, i), 1) << i;

    // No message but the one prompt for the second disk's piece.
    EXPECT_THAT(ui.WarningIds(), IsEmpty());
    EXPECT_THAT(ui.Of(UiEvent::Box), IsEmpty());
    ASSERT_EQ(ui.Of(UiEvent::DiskPrompt).size(), 1u);
    EXPECT_EQ(ui.Of(UiEvent::DiskPrompt)[0].arg2, vexatest::Big5("第二片"));

    // Each font whole, writable and removable, and recorded.
    const std::string dejavu = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\";
    struct Installed {
        const char* file;
        const char* original;
        const char* fontName;
    } installed[] = {{"HVMONO.TTF", "DejaVuSansMono.ttf", "Halvex Mono (TrueType)"},
                     {"HVMING.TT_", "DejaVuSerif.ttf", "Halvex Ming (TrueType)"},
                     {"HVHEI.TT1", "DejaVuSans.ttf", "Halvex Hei (TrueType)"}};
    for (const Installed& font : installed) {
        std::string path = dir / font.file;
        EXPECT_EQ(vexatest::FileBytes(path), vexatest::FileBytes(dejavu + font.original)) << font.file;
        DWORD attributes = GetFileAttributesA(path.c_str());
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY) << font.file << " " << attributes;
        EXPECT_EQ(RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, kFontsKeyPath, font.fontName), path);
        RemoveFontResourceA(path.c_str());
        EXPECT_TRUE(DeleteFileA(path.c_str())) << font.file;
    }
}

}  // namespace
