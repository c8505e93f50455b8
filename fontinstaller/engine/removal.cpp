#include "removal.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "ansi_text.h"
#include "box_text.h"
#include "eudc_support.h"
#include "file_transfer.h"
#include "font_registry.h"
#include "message_ids.h"
#include "progman.h"
#include "registry_access.h"
#include "user_interface.h"

namespace tarsik {

namespace {

// Each entry by the remover of its kind.
EntryOutcome RemoveEntry(HWND owner, const RecordEntry& entry, char* why) {
    switch (entry.kind) {
    case RecordedFile:
        return RemoveInstalledFile(entry.path, why);
    case RecordedDirectory:
        return RemoveMadeDirectory(entry.path, why);
    case RecordedValue:
        return RemoveWrittenValue(entry, why);
    case RecordedKey:
        return RemoveMadeKey(entry, why);
    case RecordedFont:
        return RemoveFontFromTable(entry.path, why);
    default:
        return RemoveProgmanItem(owner, entry, why);
    }
}

// What the user reads of an entry: its file, its key and value, its item.
std::wstring Describe(const RecordEntry& e) {
    auto wide = [](const char* text, UINT codePage) {
        wchar_t out[kPathCapacity];
        int n = MultiByteToWideChar(codePage, 0, text, -1, out, kPathCapacity);
        return std::wstring(n > 0 ? out : L"");
    };
    switch (e.kind) {
    case RecordedValue:
        return std::wstring(e.root == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\") +
               wide(e.path, CP_ACP) + L" " + wide(e.name, CP_ACP);
    case RecordedKey:
        return std::wstring(e.root == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\") +
               wide(e.path, CP_ACP);
    case RecordedProgramItem:
        return wide(e.path, kInstallerCodePage) + L" / " + wide(e.name, kInstallerCodePage);
    case RecordedFont:
        return L"字型表 " + wide(e.path, CP_ACP);
    default:
        return wide(e.path, CP_ACP);
    }
}

bool TouchesEudc(const InstallRecord& r) {
    for (int i = 0; i < r.count; ++i)
        if (r.entries[i].kind == RecordedValue && r.entries[i].root == HKEY_CURRENT_USER) return true;
    return false;
}

bool TouchesFonts(const InstallRecord& r) {
    for (int i = 0; i < r.count; ++i)
        if (r.entries[i].kind == RecordedFont) return true;
    return TouchesEudc(r);
}

// The product's name for the confirmation: its Apps & features entry's.
std::wstring ProductName(const char* id) {
    wchar_t path[160], name[kPathCapacity] = L"";
    std::swprintf(path, 160, L"%ls\\%hs", kUninstallKeyPath, id);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return name;
    DWORD size = sizeof name - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, L"DisplayName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        name[size / sizeof(wchar_t)] = L'\0';
    else
        name[0] = L'\0';
    RegCloseKey(key);
    return name;
}

void Report(const wchar_t* format, const std::wstring& a, const std::wstring& b = L"") {
    wchar_t line[kPathCapacity * 3];
    std::swprintf(line, kPathCapacity * 3, format, a.c_str(), b.c_str());
    Ui().Report(line);
}

void AppendLimited(std::wstring* text, const std::wstring& line) {
    // A box shows a screenful: what does not fit is counted, not listed.
    constexpr size_t kBoxText = 1800;
    if (text->size() + line.size() < kBoxText) *text += line;
}

}  // namespace

RemovalResult RunRemoval(HWND owner, const char* folder, int* confirmed, int* recordGone) {
    *confirmed = 0;
    *recordGone = 0;
    static InstallRecord record;
    char path[kPathCapacity];
    if (!JoinPath(path, sizeof path, folder, kRecordName) || !LoadInstallRecord(path, &record)) {
        ShowFormattedBox(owner, "安裝記錄 %s 無法讀取或已損壞,沒有移除任何檔案!", {SystemText(path)});
        return RemovalIncomplete;
    }
    std::wstring name = ProductName(record.id);
    wchar_t question[kPathCapacity + 64];
    std::swprintf(question, kPathCapacity + 64, L"確定要移除 %ls 所安裝的字型及其他檔案嗎?",
                  name.empty() ? L"本產品" : name.c_str());
    if (!Ui().Confirm(owner, question)) {
        Ui().Report(L"removal not confirmed: nothing removed");
        return RemovalDone;
    }
    *confirmed = 1;
    wchar_t where[kPathCapacity];
    MultiByteToWideChar(CP_ACP, 0, path, -1, where, kPathCapacity);
    Report(L"removing what %ls names", where);

    // EUDC links change under the system's feet only while its EUDC support
    // is off, as when they were written.
    const bool eudc = TouchesEudc(record), fonts = TouchesFonts(record);
    if (eudc) SetEudcEnabled(owner, 0);
    int kept = 0, atRestart = 0, notRemoved = 0;
    std::wstring restartList, failedList;
    // Newest first: the undoing of each install, last change first.
    const int count = record.count;
    static RecordEntry remaining[kMaxRecordEntries];
    for (int i = count - 1; i >= 0; --i) {
        const RecordEntry& e = record.entries[i];
        char why[kWhyCapacity];
        if (e.kind == RecordedFile) SetStatus(IDS_STATUS_REMOVING, e.path);
        EntryOutcome outcome = RemoveEntry(owner, e, why);
        const std::wstring what = Describe(e);
        wchar_t reason[kWhyCapacity];
        MultiByteToWideChar(kInstallerCodePage, 0, why, -1, reason, kWhyCapacity);
        if (outcome == EntryRemoved) {
            Report(L"removed: %ls", what);
        } else if (outcome == EntryAtRestart) {
            ++atRestart;
            Report(L"deleted at the next restart (in use): %ls", what);
            AppendLimited(&restartList, what + L"\n");
        } else {
            ++notRemoved;
            Report(L"not removed: %ls: %ls", what, reason);
            AppendLimited(&failedList, what + L": " + reason + L"\n");
            remaining[kept++] = e;
        }
    }
    if (eudc) SetEudcEnabled(owner, 1);
    if (fonts) NotifyFontChange();
    ClearStatus();

    // The record and the entry go last, and only when nothing is left.
    if (notRemoved == 0) {
        DeleteFileA(path);
        DeleteProductEntry(record.id);
        *recordGone = 1;
    } else {
        // Oldest first again, as recorded.
        for (int i = 0; i < kept; ++i) record.entries[i] = remaining[kept - 1 - i];
        record.count = kept;
        SaveInstallRecord(record);
    }

    std::wstring text = notRemoved == 0 ? L"移除完成 !" : L"移除完成,但下列項目無法移除:\n" + failedList;
    if (atRestart > 0) text += L"\n下列檔案將於重新啟動 Windows 時刪除:\n" + restartList;
    ShowBox(owner, text.c_str());
    wchar_t summary[96];
    std::swprintf(summary, 96, L"%d removed, %d at the next restart, %d not removed", count - atRestart - notRemoved,
                  atRestart, notRemoved);
    Ui().Report(summary);
    if (notRemoved > 0) return RemovalIncomplete;
    return atRestart > 0 ? RemovalRestartNeeded : RemovalDone;
}

}  // namespace tarsik
