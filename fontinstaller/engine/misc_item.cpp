// One item of the "Misc" list: any other file, copied into its destination
// directory and, when the item names a program group, entered there.
#include "file_transfer.h"
#include "install_script.h"
#include "item_installers.h"
#include "progman.h"

namespace {
constexpr int kMsgCannotCreateFile = 12;
}

int InstallMiscItem(HWND owner, int index) {
    if (index < 0 || index >= g_installScript.miscItemCount) return 0;
    const InstallItem& item = g_installScript.miscItems[index];
    const SourcePiece& first = g_installScript.pieces[item.files.firstPiece];

    const TransferOptions options = {ReportStandard, 1, 1};
    char destPath[kPathCapacity];
    switch (TransferFileGroup(owner, item.files, item.destDir, options, destPath)) {
    case TransferDone:
        return AddProgmanItem(owner, index, destPath);
    case TransferNoDestination:
        JoinPath(destPath, sizeof destPath, item.destDir, first.fileName);
        ShowWarning(owner, kMsgCannotCreateFile, destPath);
        return 0;
    default:
        return 0;
    }
}
