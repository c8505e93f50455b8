#include "item_script.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "ansi_text.h"
#include "text_files.h"

using namespace tarsik;

namespace vexatest {

namespace {

InstallItem& NewItem(InstallItem* items, int* count, int capacity, const char* name, const FileGroup& files) {
    if (*count >= capacity) throw std::length_error("too many items for the script");
    InstallItem& item = items[(*count)++];
    std::memset(&item, 0, sizeof item);
    CopyText(item.name, sizeof item.name, name);
    item.files = files;
    return item;
}

}  // namespace

void ResetScript(const std::string& sourceDir) {
    std::memset(&g_installScript, 0, sizeof g_installScript);
    std::memset(&g_installSession, 0, sizeof g_installSession);
    InstallScript& s = g_installScript;
    GetWindowsDirectoryA(s.windowsDir, sizeof s.windowsDir);
    GetSystemDirectoryA(s.systemDir, sizeof s.systemDir);
    std::snprintf(s.fontsDir, sizeof s.fontsDir, "%s\\FONTS", s.windowsDir);
    CopyText(s.installerDir, sizeof s.installerDir, sourceDir.c_str());
    CopyText(g_installSession.sourceDir, sizeof g_installSession.sourceDir, sourceDir.c_str());
}

FileGroup AddGroup(std::initializer_list<const char*> fileNames, int compressed) {
    InstallScript& s = g_installScript;
    FileGroup group = {s.piecesUsed, 0, compressed};
    for (const char* name : fileNames) {
        if (s.piecesUsed >= kMaxPieces) throw std::length_error("too many pieces");
        SourcePiece& piece = s.pieces[s.piecesUsed++];
        CopyText(piece.fileName, sizeof piece.fileName, name);
        CopyText(piece.diskLabel, sizeof piece.diskLabel, "Disk 1");
        ++group.pieceCount;
    }
    return group;
}

InstallItem& AddMiscItem(const char* name, const FileGroup& files, const std::string& destDir, const char* group) {
    InstallScript& s = g_installScript;
    InstallItem& item = NewItem(s.miscItems, &s.miscItemCount, kMaxMiscItems, name, files);
    CopyText(item.destDir, sizeof item.destDir, destDir.c_str());
    CopyText(item.group, sizeof item.group, group);
    return item;
}

InstallItem& AddFontItem(const char* name, const FileGroup& files, const char* fontName) {
    InstallScript& s = g_installScript;
    InstallItem& item = NewItem(s.fontItems, &s.fontItemCount, kMaxFontItems, name, files);
    CopyText(item.fontName, sizeof item.fontName, fontName);
    return item;
}

InstallItem& AddEudcItem(const char* name, const FileGroup& files, const char* fontName,
                         std::initializer_list<const char*> linkNames) {
    InstallScript& s = g_installScript;
    InstallItem& item = NewItem(s.eudcItems, &s.eudcItemCount, kMaxEudcItems, name, files);
    CopyText(item.fontName, sizeof item.fontName, fontName);
    item.firstLinkName = s.linkNamesUsed;
    for (const char* link : linkNames) {
        if (s.linkNamesUsed >= kMaxLinkNames) throw std::length_error("too many link names");
        CopyText(s.linkNames[s.linkNamesUsed++], kPathCapacity, link);
        ++item.linkNameCount;
    }
    return item;
}

InstallItem& AddTableItem(const char* name, const FileGroup& files, const std::string& destDir, const char* userKey,
                          const char* layoutText, const char* layoutFile, const char* imeFile) {
    InstallScript& s = g_installScript;
    InstallItem& item = NewItem(s.tableItems, &s.tableItemCount, kMaxTableItems, name, files);
    CopyText(item.destDir, sizeof item.destDir, destDir.c_str());
    CopyText(item.userKey, sizeof item.userKey, userKey);
    CopyText(item.layoutText, sizeof item.layoutText, layoutText);
    CopyText(item.layoutFile, sizeof item.layoutFile, layoutFile);
    CopyText(item.imeFile, sizeof item.imeFile, imeFile);
    return item;
}

void ChooseDestination(const std::string& dir) {
    CopyText(g_installSession.chosenDir, sizeof g_installSession.chosenDir, dir.c_str());
    UpdateRegistrationPrefix(g_installScript);
}

}  // namespace vexatest
