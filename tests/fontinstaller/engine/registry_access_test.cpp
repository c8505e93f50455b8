// Registry access and the Fonts key against the real registry, redirected
// into a scratch key; the cut of overlong box texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "box_text.h"
#include "font_registry.h"
#include "import_hook.h"
#include "registry_access.h"
#include "registry_redirect.h"
#include "text_files.h"
#include "windows_family.h"

using namespace tarsik;

using vexatest::RegistryRedirect;

namespace {

std::string Value(HKEY root, const char* path, const char* name, DWORD* type = nullptr) {
    return RegistryRedirect::ValueOrMissing(root, path, name, type);
}

TEST(OpenKeyForWriting, CreatesAMissingKeyWithItsWholePath) {
    vexatest::RegistryRedirect redirect;
    HKEY key = nullptr;
    ASSERT_EQ(OpenKeyForWriting(HKEY_LOCAL_MACHINE, "Software\\Example\\Phonetic", &key), 1);
    EXPECT_EQ(WriteStringValue(key, "layout text", "Phonetic"), 1);
    RegCloseKey(key);

    DWORD type = 0;
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, "Software\\Example\\Phonetic", "layout text", &type), "Phonetic");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST(OpenKeyForWriting, OpensAnExistingKeyAndLeavesItsOtherValues) {
    vexatest::RegistryRedirect redirect;
    ASSERT_TRUE(RegistryRedirect::SetString(HKEY_CURRENT_USER, "EUDC\\950", "Other", "keep"));
    ASSERT_TRUE(RegistryRedirect::SetString(HKEY_CURRENT_USER, "EUDC\\950", "Same", "old"));

    HKEY key = nullptr;
    ASSERT_EQ(OpenKeyForWriting(HKEY_CURRENT_USER, "EUDC\\950", &key), 1);
    EXPECT_EQ(WriteStringValue(key, "Same", "new"), 1);
    RegCloseKey(key);

    EXPECT_EQ(Value(HKEY_CURRENT_USER, "EUDC\\950", "Other"), "keep");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, "EUDC\\950", "Same"), "new");
}

// The Windows 95 family looks at its Fonts key alone; the NT family at that
// key and the NT key, either of which names the fonts installed there.
TEST(IsFontRegistered, AnswersFromTheKeysOfTheFamily) {
    struct Case {
        const char* what;
        VersionSource family;
        bool createKey;
        const char* valueKey;
        const char* existingValue;
        bool expected;
    } cases[] = {
        {"Fonts key missing: treated as registered", vexatest::Windows95, false, nullptr, nullptr, true},
        {"key without the name", vexatest::Windows95, true, kFontsKeyPath, "Other (TrueType)", false},
        {"key with the name", vexatest::Windows95, true, kFontsKeyPath, "Kai Medium (TrueType)", true},
        {"name under the NT key only, not read", vexatest::Windows95, true, kNtFontsKeyPath, "Kai Medium (TrueType)",
         false},
        {"NT: name under the NT key only", vexatest::WindowsNt, true, kNtFontsKeyPath, "Kai Medium (TrueType)", true},
        {"NT: name under the Fonts key only", vexatest::WindowsNt, true, kFontsKeyPath, "Kai Medium (TrueType)", true},
        {"NT: keys missing are made, no name", vexatest::WindowsNt, false, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vexatest::RegistryRedirect redirect;
        vexatest::WindowsFamily family(c.family);
        if (c.createKey) {
            ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));
        }
        if (c.existingValue) {
            ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, c.valueKey, c.existingValue, "KAIM.TTF"));
        }
        EXPECT_EQ(IsFontRegistered("Kai Medium (TrueType)"), c.expected);
    }
}

TEST(RegisterFont, RecordsTheFontUnderItsExactName) {
    vexatest::RegistryRedirect redirect;
    vexatest::WindowsFamily family(vexatest::Windows95);
    ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));

    const char* unwrittenKey = "";
    EXPECT_TRUE(RegisterFont("Kai Medium (TrueType)", "D:\\MYFONTS\\KAIM.TTF", &unwrittenKey));
    EXPECT_EQ(unwrittenKey, nullptr);

    DWORD type = 0;
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kFontsKeyPath, "Kai Medium (TrueType)", &type), "D:\\MYFONTS\\KAIM.TTF");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_LOCAL_MACHINE, kNtFontsKeyPath));
}

TEST(RegisterFont, RefusesAnExistingNameAndChangesNothing) {
    vexatest::RegistryRedirect redirect;
    vexatest::WindowsFamily family(vexatest::Windows95);
    ASSERT_TRUE(RegistryRedirect::SetString(HKEY_LOCAL_MACHINE, kFontsKeyPath, "Kai Medium (TrueType)", "OLD.TTF"));
    const char* unwrittenKey = "";
    EXPECT_FALSE(RegisterFont("Kai Medium (TrueType)", "KAIM.TTF", &unwrittenKey));
    EXPECT_EQ(unwrittenKey, nullptr);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kFontsKeyPath, "Kai Medium (TrueType)"), "OLD.TTF");
}

TEST(RegisterFont, RefusesWithoutTheFontsKeyAndCreatesNone) {
    vexatest::RegistryRedirect redirect;
    vexatest::WindowsFamily family(vexatest::Windows95);
    EXPECT_FALSE(RegisterFont("Kai Medium (TrueType)", "KAIM.TTF"));
    EXPECT_FALSE(RegistryRedirect::KeyExists(HKEY_LOCAL_MACHINE, kFontsKeyPath));
}

// A system without registry views: NT before version 5.1 refuses a key
// asked for with a view flag (ERROR_ACCESS_DENIED), as the hooks below do.
using OpenKeyProc = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using CreateKeyProc = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
OpenKeyProc g_realOpenKey = nullptr;
CreateKeyProc g_realCreateKey = nullptr;
constexpr REGSAM kViewFlags = KEY_WOW64_64KEY | KEY_WOW64_32KEY;
LONG WINAPI OpenKeyWithoutViews(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY key) {
    return access & kViewFlags ? ERROR_ACCESS_DENIED : g_realOpenKey(root, path, options, access, key);
}
LONG WINAPI CreateKeyWithoutViews(HKEY root, LPCSTR path, DWORD reserved, LPSTR cls, DWORD options, REGSAM access,
                                  LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition) {
    return access & kViewFlags
               ? ERROR_ACCESS_DENIED
               : g_realCreateKey(root, path, reserved, cls, options, access, security, key, disposition);
}

// Systems without views get no view flag: their fonts and tables are still
// recorded. (Only the NT family from 5.1 on, where WOW64 can be, gets one.)
TEST(MachineView, SystemsWithoutViewsAreAskedForNone) {
    for (VersionSource family : {vexatest::Windows95, vexatest::Windows2000}) {
        SCOPED_TRACE(family == vexatest::Windows95 ? "Windows 95" : "Windows 2000");
        vexatest::RegistryRedirect redirect;
        vexatest::WindowsFamily as(family);
        ASSERT_TRUE(RegistryRedirect::CreateKey(HKEY_LOCAL_MACHINE, kFontsKeyPath));
        {
            vexatest::ImportHook open("ADVAPI32.dll", "RegOpenKeyExA", reinterpret_cast<void*>(OpenKeyWithoutViews));
            vexatest::ImportHook create("ADVAPI32.dll", "RegCreateKeyExA",
                                        reinterpret_cast<void*>(CreateKeyWithoutViews));
            ASSERT_TRUE(open.installed() && create.installed());
            g_realOpenKey = reinterpret_cast<OpenKeyProc>(open.original());
            g_realCreateKey = reinterpret_cast<CreateKeyProc>(create.original());

            EXPECT_TRUE(RegisterFont("Kai Medium (TrueType)", "KAIM.TTF"));
            HKEY key = nullptr;
            EXPECT_EQ(OpenKeyForWriting(HKEY_LOCAL_MACHINE, "Software\\Example\\Phonetic", &key), 1);
            if (key) {
                EXPECT_EQ(WriteStringValue(key, "layout text", "Phonetic"), 1);
                RegCloseKey(key);
            }
        }
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kFontsKeyPath, "Kai Medium (TrueType)"), "KAIM.TTF");
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, "Software\\Example\\Phonetic", "layout text"), "Phonetic");
    }
}

// Box texts are cut to 255 bytes, and never between the two bytes of a Big5
// character (the cut half would pair with the NUL into another character).
TEST(FormatBoxText, CutsOverlongTextsAtAWholeCharacter) {
    ASSERT_EQ(GetACP(), 950u);
    const std::string big5 = vexatest::FromUtf8("字", 950);
    ASSERT_EQ(big5.size(), 2u);
    struct Case {
        std::string text;
        int whole;
        std::string expected;
    } cases[] = {
        {std::string(253, 'a') + big5, 1, std::string(253, 'a') + big5},
        {std::string(254, 'a') + big5, 0, std::string(254, 'a')},
        {std::string(255, 'a') + big5, 0, std::string(255, 'a')},
        {big5 + std::string(300, 'b'), 0, big5 + std::string(253, 'b')},
    };
    for (const Case& c : cases) {
        char buffer[kMessageCapacity + 8];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(FormatBoxText(buffer, kMessageCapacity, "%s", c.text.c_str()), c.whole);
        EXPECT_EQ(std::string(buffer), c.expected);
        EXPECT_EQ(buffer[kMessageCapacity], 'X');  // nothing written past the capacity
    }
}

}  // namespace
