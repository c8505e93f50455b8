// One item of the "TTEs" list: an EUDC font file, copied like any other file
// and then named under the current user's EUDC key as the end-user
// characters of each of the item's typefaces.
#include "ansi_text.h"
#include "box_text.h"
#include "eudc_support.h"
#include "file_transfer.h"
#include "font_registry.h"
#include "install_script.h"
#include "install_session.h"
#include "item_installers.h"
#include "message_ids.h"
#include "registry_access.h"

namespace tarsik {

namespace {

// The current user's EUDC links for code page 950.
constexpr char kEudcKeyPath[] = "EUDC\\950";

// The links change under the system's feet: EUDC support is off while the
// guard lives, and on again on every way out.
class EudcSwitchedOff {
public:
    explicit EudcSwitchedOff(HWND owner) : owner_(owner) { SetEudcEnabled(owner_, 0); }
    ~EudcSwitchedOff() { SetEudcEnabled(owner_, 1); }
    EudcSwitchedOff(const EudcSwitchedOff&) = delete;
    EudcSwitchedOff& operator=(const EudcSwitchedOff&) = delete;

private:
    HWND owner_;
};

// Writes every link name of the item with the file's registry data; 0 when
// the key or a value cannot be written (then shown to the user).
int WriteLinks(HWND owner, const InstallItem& item, const char* registryData) {
    EudcSwitchedOff off(owner);
    if (!RecordMissingKeys(owner, HKEY_CURRENT_USER, kEudcKeyPath)) return 0;
    HKEY key = nullptr;
    if (!OpenKeyForWriting(HKEY_CURRENT_USER, kEudcKeyPath, &key)) {
        ShowFormattedBox(owner, "Can't Create Key EUDC\\950");
        return 0;
    }
    int written = 1;
    for (int n = 0; n < item.linkNameCount && written; ++n) {
        const char* linkName = g_installScript.linkNames[item.firstLinkName + n];
        // What the link named before is recorded with it, to be given back.
        if (!RecordWrittenValue(owner, HKEY_CURRENT_USER, kEudcKeyPath, linkName, registryData)) {
            RegCloseKey(key);
            return 0;
        }
        written = WriteStringValue(key, linkName, registryData);
    }
    if (!written) ShowFormattedBox(owner, "Can't create link with TTE");
    RegCloseKey(key);
    return written;
}

}  // namespace

int InstallEudcItem(HWND owner, int index) {
    if (index < 0 || index >= g_installScript.eudcItemCount) return 0;
    const InstallItem& item = g_installScript.eudcItems[index];
    const SourcePiece& first = g_installScript.pieces[item.files.firstPiece];
    const char* destDir = g_installSession.chosenDir;

    char registryData[kPathCapacity];
    // A cut path would link the typefaces to a file that is not there; the
    // destination (the same path) could not be created either.
    bool dataFits =
        JoinPath(registryData, sizeof registryData, g_installSession.registrationPrefix, first.fileName) != 0;

    if (!IsFontRegistered(item.fontName)) {
        ShowFormattedBox(owner, "%s 所對應的字形沒有安裝，請先安裝Sorvel字形!", {InstallerText(item.name)});
        return 0;
    }

    const TransferOptions options = {
        .itemName = item.name, .singlePieceReport = ReportNamedFiles, .trace = 0, .normalAttributes = 1};
    char destPath[kPathCapacity];
    TransferResult transfer =
        dataFits ? TransferFileGroup(owner, item.files, destDir, options, destPath) : TransferNoDestination;
    if (transfer == TransferNoDestination) {
        ShowFormattedBox(owner, "無法建立外字檔%s可能系統正在使用中,請啟動Windows,從新安裝Sorvel字形!",
                         {SystemText(first.fileName)});
        return 0;
    }
    if (transfer != TransferDone) return 0;

    SetStatus(IDS_STATUS_ADDING_FONT, item.name);
    if (!WriteLinks(owner, item, registryData)) return 0;
    NotifyFontChange();
    return 1;
}

}  // namespace tarsik
