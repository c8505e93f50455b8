#include "font_registry.h"

#include <cstring>

#include "ansi_text.h"
#include "install_script.h"
#include "registry_access.h"

namespace tarsik {

const char kFontsKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
const char kNtFontsKeyPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

namespace {

// An install ended by force at a given step, for the tests of what the
// next run and a removal make of it: VEXA_TEST_STOP_AT names the step.
void StopHereForTests(const char* step) {
    char wanted[32];
    DWORD n = GetEnvironmentVariableA("VEXA_TEST_STOP_AT", wanted, sizeof wanted);
    if (n > 0 && n < sizeof wanted && std::strcmp(wanted, step) == 0) TerminateProcess(GetCurrentProcess(), 99);
}

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

int HoldingCount(HKEY* keys, int count, const char* fontName) {
    int holding = 0;
    for (int i = 0; i < count; ++i) holding += ValueExists(keys[i], fontName) != 0;
    return holding;
}

bool AnyHolds(HKEY* keys, int count, const char* fontName) { return HoldingCount(keys, count, fontName) > 0; }

// The string data of a value; false when it is missing, not a string or
// does not fit.
bool ReadStringValue(HKEY key, const char* name, char (&data)[kPathCapacity]) {
    DWORD type = 0, size = sizeof data - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    data[size] = '\0';
    return data[0] != '\0';
}

// Whether the file a Fonts value names is there: a bare name lies in the
// system fonts directory, anything else is a path of its own.
bool FontFileInPlace(const char* data, const char* fontsDir) {
    char path[kPathCapacity];
    if (LastBackslash(data) == nullptr) {
        if (!JoinPath(path, sizeof path, fontsDir, data)) return false;
    } else if (!CopyText(path, sizeof path, data)) {
        return false;
    }
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

FontRecord LookUpFont(const char* fontName) {
    HKEY keys[kMaxKeys];
    const int count = OpenFontsKeys(keys);
    if (!count) return FontKeysUnavailable;
    const int holding = HoldingCount(keys, count, fontName);
    CloseKeys(keys, count);
    if (holding == 0) return FontNotRecorded;
    return holding == count ? FontRecorded : FontPartlyRecorded;
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
    StopHereForTests("registration");
    const int added = AddFontResourceA(registryData);
    for (int i = 0; i < count; ++i) {
        if (i == 1) StopHereForTests("between the keys");
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

bool CompleteFontRecord(HWND owner, const char* fontName, const char* fontsDir) {
    HKEY keys[kMaxKeys];
    const int count = OpenFontsKeys(keys);
    if (!count) return false;
    char data[kPathCapacity] = "";
    bool found = false;
    for (int i = 0; i < count && !found; ++i) found = ReadStringValue(keys[i], fontName, data);
    const int holding = HoldingCount(keys, count, fontName);
    if (!found || holding == count || !FontFileInPlace(data, fontsDir)) {
        CloseKeys(keys, count);
        return false;
    }
    bool written[kMaxKeys] = {};
    bool complete = RecordFont(owner, data) != 0;
    for (int i = 0; i < count && complete; ++i) {
        if (ValueExists(keys[i], fontName)) continue;
        complete = RecordWrittenValue(owner, HKEY_LOCAL_MACHINE, kKeyPaths[i], fontName, data) != 0;
        written[i] = complete = complete && WriteStringValue(keys[i], fontName, data) != 0;
    }
    if (!complete) {
        for (int i = 0; i < count; ++i)
            if (written[i]) RegDeleteValueA(keys[i], fontName);
    } else {
        AddFontResourceA(data);
    }
    CloseKeys(keys, count);
    return complete;
}

int RecordFontRegistration(HWND owner, const char* fontName, const char* registryData) {
    const int count = OnNtFamily() ? kMaxKeys : 1;
    if (!RecordFont(owner, registryData)) return 0;
    for (int i = 0; i < count; ++i)
        if (!RecordWrittenValue(owner, HKEY_LOCAL_MACHINE, kKeyPaths[i], fontName, registryData)) return 0;
    return 1;
}

EntryOutcome RemoveFontFromTable(const char* registryData, char* why) {
    why[0] = '\0';
    // Not in the table (a restart since, or taken out by hand): nothing to do.
    RemoveFontResourceA(registryData);
    return EntryRemoved;
}

void NotifyFontChange() { SendNotifyMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0); }

}  // namespace tarsik
