// One item of the "Tbls" list: an input-method table, copied into its
// destination directory and registered under the key the script names with
// the three values by which the system describes an input method.
#include "box_text.h"
#include "file_transfer.h"
#include "install_script.h"
#include "item_installers.h"
#include "registry_access.h"

namespace tarsik {

int InstallTableItem(HWND owner, int index) {
    if (index < 0 || index >= g_installScript.tableItemCount) return 0;
    const InstallItem& item = g_installScript.tableItems[index];

    const TransferOptions options = {
        .itemName = item.name, .singlePieceReport = ReportStandard, .trace = 0, .normalAttributes = 1};
    char destPath[kPathCapacity];
    // A destination that cannot be created is said as the other categories
    // say it: a table that silently fails to install leaves the user without
    // an input method and no reason.
    if (!TransferOrWarn(owner, item.files, item.destDir, options, destPath)) return 0;

    // An empty key path would name the root of HKEY_LOCAL_MACHINE itself:
    // the values never belong there.
    HKEY key = nullptr;
    if (item.userKey[0] != '\0' && !RecordMissingKeys(owner, HKEY_LOCAL_MACHINE, item.userKey)) return 0;
    if (item.userKey[0] == '\0' || !OpenKeyForWriting(HKEY_LOCAL_MACHINE, item.userKey, &key)) {
        ShowFormattedBox(owner, "Can't Create Key %s", {SystemText(item.userKey)});
        return 0;
    }
    const struct {
        const char* name;
        const char* data;
    } values[] = {
        {"IME file", item.imeFile},
        {"layout text", item.layoutText},
        {"layout file", item.layoutFile},
    };
    for (const auto& value : values) {
        if (!RecordWrittenValue(owner, HKEY_LOCAL_MACHINE, item.userKey, value.name, value.data)) {
            RegCloseKey(key);
            return 0;
        }
        if (!WriteStringValue(key, value.name, value.data)) {
            RegCloseKey(key);
            ShowFormattedBox(owner, "Can't write to key %s", {SystemText(item.userKey)});
            return 0;
        }
    }
    RegCloseKey(key);
    return 1;
}

}  // namespace tarsik
