#include "messages.h"

#include <cstring>

#include "message_ids.h"

namespace tarsik {

namespace {

const wchar_t kFallbackCaption[] = L"VexaLab TT Font Installer";

UINT ArgumentCodePage(int id, int index) {
    switch (id) {
    case IDS_CANNOT_CREATE_FILE:
    case IDS_CANNOT_CREATE_TEMP:
    case IDS_STATUS_COPYING:
    case IDS_STATUS_REMOVING:
        return CP_ACP;  // a path or a piece's file name
    case IDS_INSERT_DISK:
        return index == 0 ? kInstallerCodePage : CP_ACP;  // the disk label, then the file name
    default:
        return kInstallerCodePage;  // an item's name
    }
}

}  // namespace

void LoadCaption(HINSTANCE instance) {
    if (LoadStringW(instance, IDS_CAPTION, g_shell.caption, kTextCapacity) <= 0)
        lstrcpynW(g_shell.caption, kFallbackCaption, kTextCapacity);
}

int LoadMessage(int id, char* text, int capacity) {
    text[0] = '\0';
    wchar_t wide[kTextCapacity];
    int n = LoadStringW(g_shell.instance, static_cast<UINT>(id), wide, kTextCapacity);
    if (n <= 0) return 0;
    char bytes[2 * kTextCapacity];
    int length = WideCharToMultiByte(kInstallerCodePage, 0, wide, n, bytes, sizeof bytes, nullptr, nullptr);
    int kept = WholeCharacterBytes(bytes, length, kInstallerCodePage, capacity - 1);
    std::memcpy(text, bytes, static_cast<size_t>(kept));
    text[kept] = '\0';
    return kept;
}

void FormatMessageText(wchar_t* out, int capacity, int id, const char* arg1, const char* arg2) {
    char format[kTextCapacity];
    LoadMessage(id, format, sizeof format);
    const TextArg args[] = {{arg1, ArgumentCodePage(id, 0)}, {arg2, ArgumentCodePage(id, 1)}};
    FormatText(out, capacity, format, args, 2);
}

// The version and publisher of the program's version resource (tarsik.rc).
ProductDefaults ProductDefaultTexts() { return {g_shell.caption, L"2.01", L"VexaLab"}; }

void WidenInstallerText(wchar_t* out, int capacity, const char* text) {
    const TextArg arg = {text, kInstallerCodePage};
    FormatText(out, capacity, "%s", &arg, 1);
}

}  // namespace tarsik
