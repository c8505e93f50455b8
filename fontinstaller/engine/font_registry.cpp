#include "font_registry.h"

#include "registry_access.h"

const char kFontsKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";

namespace {

HKEY OpenFontsKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontsKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

}  // namespace

bool IsFontRegistered(const char* fontName) {
    HKEY key = OpenFontsKey();
    if (!key) return true;
    bool present = ValueExists(key, fontName) != 0;
    RegCloseKey(key);
    return present;
}

bool RegisterFont(const char* fontName, const char* registryData, bool* writeFailed) {
    if (writeFailed) *writeFailed = false;
    HKEY key = OpenFontsKey();
    if (!key) return false;
    if (ValueExists(key, fontName)) {
        RegCloseKey(key);
        return false;
    }
    // The system may refuse the file as a font; it is recorded all the same,
    // as the system loads the Fonts key's entries itself at start-up.
    int added = AddFontResourceA(registryData);
    if (!WriteStringValue(key, fontName, registryData)) {
        // A font in the table but not in the key would vanish at the next
        // start-up without a trace: take it out again and say it failed.
        if (added) RemoveFontResourceA(registryData);
        RegCloseKey(key);
        if (writeFailed) *writeFailed = true;
        return false;
    }
    RegCloseKey(key);
    return true;
}
