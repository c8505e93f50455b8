// One item of the "Misc" list: any other file, copied into its destination
// directory and, when the item names a program group, entered there.
#include "file_transfer.h"
#include "install_script.h"
#include "item_installers.h"
#include "progman.h"

namespace tarsik {

int InstallMiscItem(HWND owner, int index) {
    if (index < 0 || index >= g_installScript.miscItemCount) return 0;
    const InstallItem& item = g_installScript.miscItems[index];

    const TransferOptions options = {
        .itemName = item.name, .singlePieceReport = ReportStandard, .trace = 1, .normalAttributes = 1};
    char destPath[kPathCapacity];
    if (!TransferOrWarn(owner, item.files, item.destDir, options, destPath)) return 0;
    return AddProgmanItem(owner, index, destPath);
}

}  // namespace tarsik
