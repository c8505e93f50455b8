#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install_session.h"

using namespace tarsik;

namespace {

InstallScript MakeScript() {
    InstallScript script;
    std::memset(&script, 0, sizeof script);
    std::strcpy(script.installerDir, "D:\\FONTS95");
    std::strcpy(script.windowsDir, "C:\\WINDOWS");
    std::strcpy(script.fontsDir, "C:\\WINDOWS\\FONTS");
    return script;
}

TEST(InstallSessionTest, StartsFromTheInstallerDirectory) {
    InstallScript script = MakeScript();
    std::strcpy(g_installSession.chosenDir, "left over");
    std::strcpy(g_installSession.registrationPrefix, "left over");
    g_installSession.abortFlag = 1;
    InitInstallSession(script);
    EXPECT_STREQ(g_installSession.sourceDir, "D:\\FONTS95");
    EXPECT_EQ(g_installSession.abortFlag, 0);
    EXPECT_STREQ(g_installSession.chosenDir, "");
    EXPECT_STREQ(g_installSession.registrationPrefix, "");
}

struct PrefixCase {
    const char* chosenDir;
    const char* prefix;
};

class RegistrationPrefixTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(RegistrationPrefixTest, FromChosenDirectory) {
    InstallScript script = MakeScript();
    InitInstallSession(script);
    std::strcpy(g_installSession.registrationPrefix, "stale");
    std::strcpy(g_installSession.chosenDir, GetParam().chosenDir);
    UpdateRegistrationPrefix(script);
    EXPECT_STREQ(g_installSession.registrationPrefix, GetParam().prefix);
    EXPECT_STREQ(g_installSession.chosenDir, GetParam().chosenDir);  // never changed
}

INSTANTIATE_TEST_SUITE_P(Session, RegistrationPrefixTest,
                         ::testing::Values(PrefixCase{"C:\\WINDOWS\\FONTS", ""}, PrefixCase{"C:\\WINDOWS\\FONTS\\", ""},
                                           PrefixCase{"c:\\windows\\Fonts", ""}, PrefixCase{"D:\\", "D:\\"},
                                           PrefixCase{"C:\\WINDOWS", "C:\\WINDOWS"},
                                           PrefixCase{"C:\\WINDOWS\\FONTS2", "C:\\WINDOWS\\FONTS2"},
                                           PrefixCase{"C:\\WINDOWS\\FONTS\\\\", "C:\\WINDOWS\\FONTS\\\\"},
                                           PrefixCase{"E:\\MYFONTS\\", "E:\\MYFONTS\\"}));

}  // namespace
