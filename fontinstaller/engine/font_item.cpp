// One item of the "Fonts" list: the font file is copied into the font
// destination the user confirmed, added to the system's font table and
// recorded under the Fonts keys.
#include "ansi_text.h"
#include "box_text.h"
#include "file_transfer.h"
#include "font_registry.h"
#include "install_script.h"
#include "install_session.h"
#include "item_installers.h"
#include "message_ids.h"
#include "trace.h"

namespace tarsik {

int InstallFontItem(HWND owner, int index) {
    if (index < 0 || index >= g_installScript.fontItemCount) return 0;
    const InstallItem& item = g_installScript.fontItems[index];
    // Two items of one script with one font name: the later one would find
    // the earlier one's font and never be installed.
    for (int earlier = 0; earlier < index; ++earlier) {
        const InstallItem& other = g_installScript.fontItems[earlier];
        if (g_installSession.fontInstalled[earlier] && lstrcmpiA(other.fontName, item.fontName) == 0) {
            ShowFormattedBox(owner, "%s的字型名稱與%s相同,不再重複安裝!",
                             {InstallerText(item.name), InstallerText(other.name)});
            return 0;
        }
    }
    // A second install of a font is refused before anything else is looked
    // at. One that an earlier install left under one Fonts key only (stopped
    // between the two writes) is finished instead: the key the system
    // starts from would otherwise never learn of it.
    const FontRecord record = LookUpFont(item.fontName);
    if (record == FontPartlyRecorded && CompleteFontRecord(owner, item.fontName, g_installScript.fontsDir)) {
        Trace("Font %s was recorded under one Fonts key only: its record is completed\n", item.fontName);
        NotifyFontChange();
        return 1;
    }
    if (record != FontNotRecorded) {
        ShowFormattedBox(owner, "%s已存在,若要安裝新版,請先刪除舊版!", {InstallerText(item.name)});
        return 0;
    }

    const SourcePiece& first = g_installScript.pieces[item.files.firstPiece];
    const char* destDir = g_installSession.chosenDir;
    // The registry data is the bare file name or the destination path itself;
    // a cut one would record a file that is not there.
    char registryData[kPathCapacity];
    if (!JoinPath(registryData, sizeof registryData, g_installSession.registrationPrefix, first.fileName)) {
        char destPath[kPathCapacity];
        JoinPath(destPath, sizeof destPath, destDir, first.fileName);
        ShowWarning(owner, IDS_CANNOT_CREATE_FILE, destPath);
        return 0;
    }

    // A single compressed piece that does not expand is reported with the
    // LZ32 error, so the user learns why the font failed.
    const TransferOptions options = {
        .itemName = item.name, .singlePieceReport = ReportStandard, .trace = 0, .normalAttributes = 1};
    char destPath[kPathCapacity];
    if (!TransferOrWarn(owner, item.files, destDir, options, destPath)) return 0;

    SetStatus(IDS_STATUS_ADDING_FONT, item.name);
    if (!RecordFontRegistration(owner, item.fontName, registryData)) return 0;
    const char* unwrittenKey = nullptr;
    if (!RegisterFont(item.fontName, registryData, &unwrittenKey)) {
        if (unwrittenKey) {
            ShowFormattedBox(owner, "Can't write to key %s", {SystemText(unwrittenKey)});
        } else {
            ShowFormattedBox(owner, "%s已存在", {InstallerText(item.name)});
        }
        return 0;
    }
    NotifyFontChange();
    return 1;
}

}  // namespace tarsik
