#include "font_registry.h"

#include "registry_access.h"

namespace tarsik {

const char kFontsKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const char kNtFontsKeyPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

namespace {

const char* const kKeyPaths[] = {kFontsKeyPath, kNtFontsKeyPath};
constexpr int kMaxKeys = 2;

HKEY OpenFontsKey(const char* path, bool ntFamily) {
    HKEY key = nullptr;
    if (!ntFamily) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS | MachineView(), &key) != ERROR_SUCCESS)
            return nullptr;
        return key;
    }
    // The NT family needs no Windows 95 key and a current system may lack
    // it: created when missing rather than refusing every font.
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | MachineView(),
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void CloseKeys(HKEY* keys, int count) {
    for (int i = 0; i < count; ++i) RegCloseKey(keys[i]);
}

// Opens the keys this family records fonts under, in the order of
// kKeyPaths. Returns their number, or 0 (nothing left open) when one of
// them cannot be opened.
int OpenFontsKeys(HKEY* keys) {
    const bool ntFamily = OnNtFamily();
    const int count = ntFamily ? kMaxKeys : 1;
    for (int i = 0; i < count; ++i) {
        keys[i] = OpenFontsKey(kKeyPaths[i], ntFamily);
        if (!keys[i]) {
            CloseKeys(keys, i);
            return 0;
        }
    }
    return count;
}

bool AnyHolds(HKEY* keys, int count, const char* fontName) {
    for (int i = 0; i < count; ++i)
        if (ValueExists(keys[i], fontName)) return true;
    return false;
}

}  // namespace

FontRecord LookUpFont(const char* fontName) {
    HKEY keys[kMaxKeys];
    const int count = OpenFontsKeys(keys);
    if (!count) return FontKeysUnavailable;
    const bool present = AnyHolds(keys, count, fontName);
    CloseKeys(keys, count);
    return present ? FontRecorded : FontNotRecorded;
}

bool IsFontRegistered(const char* fontName) { return LookUpFont(fontName) != FontNotRecorded; }

bool RegisterFont(const char* fontName, const char* registryData, const char** unwrittenKey) {
    if (unwrittenKey) *unwrittenKey = nullptr;
    HKEY keys[kMaxKeys];
    const int count = OpenFontsKeys(keys);
    if (!count) return false;
    if (AnyHolds(keys, count, fontName)) {
        CloseKeys(keys, count);
        return false;
    }
    // The system may refuse the file as a font; it is recorded all the same,
    // as the system loads the Fonts key's entries itself at start-up.
    const int added = AddFontResourceA(registryData);
    for (int i = 0; i < count; ++i) {
        if (WriteStringValue(keys[i], fontName, registryData)) continue;
        // A font in the table but not in the key the system starts from
        // would vanish at the next start-up without a trace: take it out
        // again, with the values already written, and say it failed.
        for (int written = 0; written < i; ++written) RegDeleteValueA(keys[written], fontName);
        if (added) RemoveFontResourceA(registryData);
        CloseKeys(keys, count);
        if (unwrittenKey) *unwrittenKey = kKeyPaths[i];
        return false;
    }
    CloseKeys(keys, count);
    return true;
}

}  // namespace tarsik
